// Disk index against SQLite, the same work in one run, at N = 1e5, 1e6 and 1e7 record
// pointers:
// - bulk load of N (key, record) pairs in record order, as a host files its records: the
//   index without and with its insert cache; SQLite in one transaction with a prepared
//   statement into a table with an index on (key, record);
// - exact lookups of a key's record pointers with a warm page pool (SQLite: warm page cache);
// - lookups by head (every key HEAD\...): the query term "HEAD\" against a range scan;
// - similarity lookups (the index alone: SQLite has no similar-key search of its own);
// - AND, OR and NOT of two large sets (half and a third of all records): the query language
//   against INTERSECT, UNION and EXCEPT.
//
// Keys are HEAD\TAIL: made-up family names as heads, given names as tails, about ten keys a
// head and eight records a key, each record filed under one key. Both stores write through
// the operating system's file cache without syncing: SQLite runs with synchronous=OFF, an
// in-memory journal (the index keeps none) and an exclusive lock held by its connection.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_data.h"
#include "tovr.h"

namespace tovr::bench {
namespace {

constexpr int kPointersPerKey = 8;
constexpr int kKeysPerHead = 10;
constexpr int kLookupKeys = 10000;  // the warm working set of the lookups
constexpr short kBuffers = 32767;   // the largest page pool a handle takes (32 MB)

// ---- Keys ---------------------------------------------------------------------------------

std::string head_of(std::uint32_t h) {
  static const char* const kSyllables[] = {"AN", "BER", "CO", "DEL", "EN", "FOR", "GRA", "HAM",
                                           "IN", "JO",  "KEN", "LA", "MAR", "NOR", "OS", "PER",
                                           "QUI", "RO", "SAN", "TER", "UL", "VAL", "WIL", "ZA"};
  // Base-24 syllables of the head number: every head is different.
  std::string name;
  std::uint32_t x = h;
  do {
    name += kSyllables[x % 24];
    x /= 24;
  } while (x != 0);
  if (name.size() < 5) name += "SON";
  return name;
}

std::string key_text(std::uint32_t k) {
  return head_of(k / kKeysPerHead) + "\\" + first_names()[k % first_names().size()];
}

// Record p (from 1) is filed under key key_of(p): a key's records are spread over the file.
std::uint32_t key_of(std::uint32_t p, std::uint32_t keys) {
  return static_cast<std::uint32_t>((p * 2654435761ull) % keys);
}

std::uint32_t key_count(int n) { return static_cast<std::uint32_t>(n / kPointersPerKey); }

// ---- Files --------------------------------------------------------------------------------

const std::string& dir() {
  static const std::string d = scratch_dir("index");
  return d;
}

// One statement list names every file of the run: LOAD for the load runs, Wn (names, Pearson
// hash) and Sn (the same keys by sound code) for the searched index of each size.
const char* const* statements() {
  static const std::string text = [] {
    std::string t = "FILE " + dir() + "/load.idx\nINDEX 0 LOAD\n";
    for (int e = 5; e <= 7; ++e) {
      t += "FILE " + dir() + "/world" + std::to_string(e) + ".idx\n";
      t += "INDEX 0 W" + std::to_string(e) + "\nINDEX 1 S" + std::to_string(e) + "\n";
    }
    return t + "END";
  }();
  static const char* const list[] = {text.c_str(), nullptr};
  return list;
}

int exponent_of(int n) { return n >= 10000000 ? 7 : n >= 1000000 ? 6 : 5; }

TOVR_Db* open_index(const std::string& name, char coding, char width) {
  int status = -1;
  TOVR_Db* h = TOVR_dbOpen(name.c_str(), coding, width, &status, kBuffers, 1000, 2000,
                           statements(), "BENCH", 1);
  return status <= 2 ? h : nullptr;
}

// ---- SQLite -------------------------------------------------------------------------------

class Sqlite {
 public:
  explicit Sqlite(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) db_ = nullptr;
    exec("PRAGMA synchronous=OFF");
    exec("PRAGMA journal_mode=MEMORY");
    exec("PRAGMA cache_size=-262144");  // 256 MB
    // The connection keeps its lock, so that a read does not take a lock and check the
    // file again each time: SQLite's fastest reading, as the index reads without locks.
    exec("PRAGMA locking_mode=EXCLUSIVE");
  }
  ~Sqlite() {
    for (sqlite3_stmt* s : statements_) sqlite3_finalize(s);
    if (db_ != nullptr) sqlite3_close(db_);
  }
  bool ok() const { return db_ != nullptr; }
  void exec(const char* sql) { sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
  sqlite3_stmt* prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db_, sql, -1, &s, nullptr);
    statements_.push_back(s);
    return s;
  }
  // Steps s to its end; the sum of its first column.
  static long long drain(sqlite3_stmt* s) {
    long long sum = 0;
    while (sqlite3_step(s) == SQLITE_ROW) sum += sqlite3_column_int64(s, 0);
    sqlite3_reset(s);
    return sum;
  }

 private:
  sqlite3* db_ = nullptr;
  std::vector<sqlite3_stmt*> statements_;
};

void create_sqlite_table(Sqlite& db) {
  db.exec("CREATE TABLE idx(key TEXT NOT NULL, rec INTEGER NOT NULL)");
  db.exec("CREATE INDEX idx_key ON idx(key, rec)");
}

// ---- Loads --------------------------------------------------------------------------------

// Files N pairs into sequence `name`; cache 0 inserts each pair at once.
bool load_index(const std::string& name, char coding, char width, int n, int cache) {
  TOVR_Db* h = open_index(name, coding, width);
  if (h == nullptr) return false;
  if (cache > 0) TOVR_dbSetInsertCacheSize(h, cache);
  const std::uint32_t keys = key_count(n);
  bool ok = true;
  for (int p = 1; p <= n && ok; ++p) {
    const std::string key = key_text(key_of(static_cast<std::uint32_t>(p), keys));
    const int status = TOVR_dbInsert(h, key.c_str(), p, 0);
    ok = status == 0 || status == 12;
  }
  return TOVR_dbClose(&h) == 0 && ok;
}

bool load_sqlite(Sqlite& db, int n) {
  create_sqlite_table(db);
  db.exec("BEGIN");
  sqlite3_stmt* insert = db.prepare("INSERT INTO idx(key, rec) VALUES(?1, ?2)");
  const std::uint32_t keys = key_count(n);
  bool ok = true;
  for (int p = 1; p <= n && ok; ++p) {
    const std::string key = key_text(key_of(static_cast<std::uint32_t>(p), keys));
    sqlite3_bind_text(insert, 1, key.c_str(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(insert, 2, p);
    ok = sqlite3_step(insert) == SQLITE_DONE;
    sqlite3_reset(insert);
  }
  db.exec("COMMIT");
  return ok;
}

// The family-name index of the similarity lookups: each record filed under its key's head
// alone, by sound code, so that similar-sounding heads share a bucket.
bool load_heads(const std::string& name, int n) {
  TOVR_Db* h = open_index(name, 'S', 'S');
  if (h == nullptr) return false;
  TOVR_dbSetInsertCacheSize(h, 1 << 20);
  const std::uint32_t keys = key_count(n);
  bool ok = true;
  for (int p = 1; p <= n && ok; ++p) {
    const std::string head = head_of(key_of(static_cast<std::uint32_t>(p), keys) / kKeysPerHead);
    const int status = TOVR_dbInsert(h, head.c_str(), p, 0);
    ok = status == 0 || status == 12;
  }
  return TOVR_dbClose(&h) == 0 && ok;
}

enum Store { kIndex = 0, kIndexCached = 1, kSqlite = 2 };
const char* const kStoreNames[] = {"index", "index+cache", "sqlite"};

// Arguments: store, N. One iteration is a whole load into a fresh file.
void BM_BulkLoad(benchmark::State& state) {
  const auto store = static_cast<Store>(state.range(0));
  const int n = static_cast<int>(state.range(1));
  state.SetLabel(kStoreNames[store]);
  const std::string index_file = dir() + "/load.idx";
  const std::string sqlite_file = dir() + "/load.db";
  for (auto _ : state) {
    std::filesystem::remove(index_file);
    std::filesystem::remove(sqlite_file);
    bool ok = false;
    if (store == kSqlite) {
      Sqlite db(sqlite_file);
      ok = db.ok() && load_sqlite(db, n);
    } else {
      ok = load_index("LOAD", 'R', 'L', n, store == kIndexCached ? 1 << 20 : 0);
    }
    if (!ok) return state.SkipWithError("load failed");
  }
  state.counters["pairs_per_s"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate);
  std::error_code ec;
  const auto size = std::filesystem::file_size(store == kSqlite ? sqlite_file : index_file, ec);
  state.counters["file_MB"] = ec ? 0.0 : static_cast<double>(size) / 1e6;
}

// ---- The searched world of one size -------------------------------------------------------

// The N pairs in both stores, and two large sets, SETA (every second record) and SETB (every
// third), filed as bitmaps in the index. Built once per size, untimed.
struct World {
  int n = 0;
  TOVR_Db* names = nullptr;   // Pearson hash, 32 bits
  TOVR_Db* sounds = nullptr;  // heads alone, by sound code: similar heads share a bucket
  std::unique_ptr<Sqlite> db;
  std::vector<std::string> lookups;  // existing keys, in random order
};

// The sets are filed pointer by pointer in record order, as a host files its records; a set
// turns into a bitmap once it holds more than n / 32 pointers.
bool file_sets(TOVR_Db* h, Sqlite& db, int n) {
  sqlite3_stmt* insert = db.prepare("INSERT INTO idx(key, rec) VALUES(?1, ?2)");
  db.exec("BEGIN");
  for (int step : {2, 3}) {
    const char* key = step == 2 ? "SETA" : "SETB";
    for (int p = step; p <= n; p += step) {
      if (TOVR_dbInsert(h, key, p, 0) != 0) return false;
      sqlite3_bind_text(insert, 1, key, -1, SQLITE_STATIC);
      sqlite3_bind_int(insert, 2, p);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
  }
  db.exec("COMMIT");
  return true;
}

World* world(int n) {
  static std::map<int, std::unique_ptr<World>> worlds;
  auto it = worlds.find(n);
  if (it != worlds.end()) return it->second.get();
  const std::string e = std::to_string(exponent_of(n));
  std::filesystem::remove(dir() + "/world" + e + ".idx");
  std::filesystem::remove(dir() + "/world" + e + ".db");
  // Large sets become bitmaps when they hold more than n / 32 pointers.
  TOVR_dbSetNumRecords(nullptr, n);
  auto w = std::make_unique<World>();
  w->n = n;
  if (!load_index("W" + e, 'R', 'L', n, 1 << 20) || !load_heads("S" + e, n)) return nullptr;
  w->db = std::make_unique<Sqlite>(dir() + "/world" + e + ".db");
  if (!w->db->ok() || !load_sqlite(*w->db, n)) return nullptr;
  w->names = open_index("W" + e, 'R', 'L');
  w->sounds = open_index("S" + e, 'S', 'S');
  if (w->names == nullptr || w->sounds == nullptr || !file_sets(w->names, *w->db, n)) {
    return nullptr;
  }
  TOVR_dbFlush(w->names);
  Random rnd(static_cast<std::uint64_t>(n));
  for (int i = 0; i < kLookupKeys; ++i) {
    w->lookups.push_back(key_text(static_cast<std::uint32_t>(rnd.below(static_cast<int>(key_count(n))))));
  }
  return worlds.emplace(n, std::move(w)).first->second.get();
}

// All record pointers of the current find or query.
long long drain_index(TOVR_Db* h) {
  long long sum = 0;
  for (int p = TOVR_dbGetNext(h); p > 0; p = TOVR_dbGetNext(h)) sum += p;
  return sum;
}

// The pointers of the current find or query in the order given, and the status that ends
// them, added to a fingerprint: equal fingerprints of two builds mean equal answers.
void fingerprint_index(TOVR_Db* h, Fingerprint& f) {
  int p = 0;
  do {
    p = TOVR_dbGetNext(h);
    f.add_value(p);
  } while (p > 0);
}

// Arguments: store (index or sqlite), N. Items are lookups; each returns about eight pointers.
void BM_ExactLookup(benchmark::State& state) {
  const bool sqlite = state.range(0) == kSqlite;
  World* w = world(static_cast<int>(state.range(1)));
  if (w == nullptr) return state.SkipWithError("world not built");
  state.SetLabel(sqlite ? "sqlite" : "index");
  sqlite3_stmt* find = w->db->prepare("SELECT rec FROM idx WHERE key = ?1");
  auto lookup = [&](const std::string& key) {
    if (sqlite) {
      sqlite3_bind_text(find, 1, key.c_str(), static_cast<int>(key.size()), SQLITE_STATIC);
      return Sqlite::drain(find);
    }
    if (TOVR_dbFind(w->names, key.c_str()) != 0) return -1LL;
    return drain_index(w->names);
  };
  for (const std::string& key : w->lookups) lookup(key);  // warm the pools
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lookup(w->lookups[i]));
    if (++i == w->lookups.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
  if (!sqlite) {
    Fingerprint results;
    for (const std::string& key : w->lookups) {
      results.add_value(TOVR_dbFind(w->names, key.c_str()));
      fingerprint_index(w->names, results);
    }
    state.counters["results"] = results.counter();
  }
}

// Every key of a head: the query term HEAD\ (its pointers in ascending order) against a range
// scan of the keys from "HEAD\" up to "HEAD]" (the character after the backslash).
void BM_HeadLookup(benchmark::State& state) {
  const bool sqlite = state.range(0) == kSqlite;
  World* w = world(static_cast<int>(state.range(1)));
  if (w == nullptr) return state.SkipWithError("world not built");
  state.SetLabel(sqlite ? "sqlite" : "index");
  sqlite3_stmt* range = w->db->prepare("SELECT rec FROM idx WHERE key >= ?1 AND key < ?2");
  std::vector<std::string> heads;
  for (const std::string& key : w->lookups) heads.push_back(key.substr(0, key.find('\\')));
  auto lookup = [&](const std::string& head) {
    if (sqlite) {
      const std::string from = head + "\\";
      const std::string to = head + "]";
      sqlite3_bind_text(range, 1, from.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(range, 2, to.c_str(), -1, SQLITE_TRANSIENT);
      return Sqlite::drain(range);
    }
    const std::string query = head + "\\";
    if (TOVR_dbParse(w->names, query.c_str(), 0.0f, nullptr) != 0) return -1LL;
    if (TOVR_dbList(w->names) != 0) return -1LL;
    return drain_index(w->names);
  };
  for (const std::string& head : heads) lookup(head);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lookup(heads[i]));
    if (++i == heads.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
  if (!sqlite) {
    Fingerprint results;
    for (const std::string& head : heads) {
      results.add_value(TOVR_dbParse(w->names, (head + "\\").c_str(), 0.0f, nullptr));
      results.add_value(TOVR_dbList(w->names));
      fingerprint_index(w->names, results);
    }
    state.counters["results"] = results.counter();
  }
}

// A misspelt family name with the similarity suffix: the bucket of its sound code is scored
// and the pointers of the similar names or-ed together.
void BM_SimilarLookup(benchmark::State& state) {
  World* w = world(static_cast<int>(state.range(0)));
  if (w == nullptr) return state.SkipWithError("world not built");
  Random rnd(5);
  std::vector<std::string> queries;
  for (const std::string& key : w->lookups) {
    queries.push_back(misspell(key.substr(0, key.find('\\')), rnd) + "?");
  }
  long long found = 0;
  for (auto _ : state) {
    const std::string& q = queries[static_cast<std::size_t>(state.iterations()) % queries.size()];
    if (TOVR_dbParse(w->sounds, q.c_str(), 0.0f, nullptr) == 0 && TOVR_dbList(w->sounds) == 0) {
      found += drain_index(w->sounds) > 0;
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["found_share"] =
      static_cast<double>(found) / static_cast<double>(std::max<long long>(1, state.iterations()));
}

// Arguments: store, N, operation (0 AND, 1 OR, 2 NOT: SETA and not SETB). The counter
// ns_per_input is the time per input record (the sizes of both sets together).
void BM_SetAlgebra(benchmark::State& state) {
  const bool sqlite = state.range(0) == kSqlite;
  const int n = static_cast<int>(state.range(1));
  const int op = static_cast<int>(state.range(2));
  World* w = world(n);
  if (w == nullptr) return state.SkipWithError("world not built");
  static const char* const kOps[] = {"AND", "OR", "NOT"};
  state.SetLabel(std::string(sqlite ? "sqlite " : "index ") + kOps[op]);
  static const char* const kQueries[] = {"SETA & SETB", "SETA / SETB", "SETA & #SETB"};
  static const char* const kSql[] = {
      "SELECT rec FROM idx WHERE key='SETA' INTERSECT SELECT rec FROM idx WHERE key='SETB'",
      "SELECT rec FROM idx WHERE key='SETA' UNION SELECT rec FROM idx WHERE key='SETB'",
      "SELECT rec FROM idx WHERE key='SETA' EXCEPT SELECT rec FROM idx WHERE key='SETB'"};
  sqlite3_stmt* query = w->db->prepare(kSql[op]);
  for (auto _ : state) {
    if (sqlite) {
      benchmark::DoNotOptimize(Sqlite::drain(query));
    } else {
      if (TOVR_dbParse(w->names, kQueries[op], 0.0f, nullptr) != 0 ||
          TOVR_dbList(w->names) != 0) {
        return state.SkipWithError("query failed");
      }
      benchmark::DoNotOptimize(drain_index(w->names));
    }
  }
  if (!sqlite) {
    Fingerprint results;
    results.add_value(TOVR_dbParse(w->names, kQueries[op], 0.0f, nullptr));
    results.add_value(TOVR_dbList(w->names));
    fingerprint_index(w->names, results);
    state.counters["results"] = results.counter();
  }
  const double inputs = static_cast<double>(n / 2 + n / 3);
  state.counters["ns_per_input"] = benchmark::Counter(
      inputs * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The 1e7 runs are registered too; bench/run.py leaves them out unless asked (--large).
BENCHMARK(BM_BulkLoad)
    ->ArgsProduct({{kIndex, kIndexCached, kSqlite}, {100000, 1000000, 10000000}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ExactLookup)->ArgsProduct({{kIndex, kSqlite}, {100000, 1000000, 10000000}});
BENCHMARK(BM_HeadLookup)->ArgsProduct({{kIndex, kSqlite}, {100000, 1000000, 10000000}});
BENCHMARK(BM_SimilarLookup)->Arg(100000)->Arg(1000000)->Arg(10000000);
BENCHMARK(BM_SetAlgebra)
    ->ArgsProduct({{kIndex, kSqlite}, {100000, 1000000, 10000000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tovr::bench

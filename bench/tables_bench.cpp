// Table files: exact lookups, proximity (similar key) searches and the similarity score,
// on the us-address word classes and on generated tables of growing size.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_data.h"
#include "matchkey/tables/table_registry.h"

namespace tovr::bench {
namespace {

// A table of `rows` made-up words (key, abbreviation, class), sorted by the loader; the
// words are what a lookup asks for, half of them misspelt. A table holds at most 64 KiB of
// text, about 3000 such rows.
struct GeneratedTable {
  std::string file;
  std::vector<std::string> keys;
  std::vector<std::string> asked;
};

std::string made_up_word(Random& rnd) {
  static const char* const kSyllables[] = {"AN", "BER", "CO", "DEL", "EN", "FOR", "GRA", "HAM",
                                           "IN", "JO",  "KEN", "LA", "MAR", "NOR", "OS", "PER",
                                           "QUI", "RO", "SAN", "TER", "UL", "VAL", "WIL", "ZA"};
  std::string w;
  const int n = 2 + rnd.below(3);
  for (int i = 0; i < n; ++i) w += kSyllables[rnd.below(24)];
  return w;
}

const GeneratedTable& generated(int rows) {
  static std::vector<std::unique_ptr<GeneratedTable>> made;
  for (const auto& t : made) {
    if (static_cast<int>(t->keys.size()) == rows) return *t;
  }
  auto t = std::make_unique<GeneratedTable>();
  Random rnd(static_cast<std::uint64_t>(rows));
  std::string text;
  for (int i = 0; i < rows; ++i) {
    std::string key = made_up_word(rnd) + std::to_string(i);
    t->keys.push_back(key);
    text += key + " " + key.substr(0, 4) + " " + static_cast<char>('A' + rnd.below(26)) + "\n";
  }
  for (int i = 0; i < 4096; ++i) {
    const std::string& k = rnd.pick(t->keys);
    t->asked.push_back(rnd.chance(50) ? k : misspell(k, rnd));
  }
  static const std::string dir = scratch_dir("tables");
  t->file = dir + "/words" + std::to_string(rows) + ".tbl";
  write_file(t->file, text);
  made.push_back(std::move(t));
  return *made.back();
}

class Registry {
 public:
  Registry() { tblInit(&registry_); }
  ~Registry() { tblClose(registry_); }
  TableRegistry* get() { return registry_; }

 private:
  TableRegistry* registry_ = nullptr;
};

// Exact lookup of the class column, the key upper-cased by the table's comparison mode 'I'.
void BM_TableLookup(benchmark::State& state) {
  const GeneratedTable& t = generated(static_cast<int>(state.range(0)));
  Registry r;
  if (tblLoad(r.get(), "WORDS", t.file.c_str(), 'I') != kTblOk) {
    return state.SkipWithError("table did not load");
  }
  char value[kTblMaxCell + 1];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        tblLookup(r.get(), "WORDS", 3, t.asked[i].c_str(), value, sizeof value, 0));
    if (++i == t.asked.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TableLookup)->Arg(100)->Arg(300)->Arg(1000)->Arg(3000);

// Proximity search among the rows that share the key's first character, and the best
// result taken, as the tokenizer does for a word without an exact entry.
void BM_TableProx(benchmark::State& state) {
  const GeneratedTable& t = generated(static_cast<int>(state.range(0)));
  Registry r;
  if (tblLoad(r.get(), "WORDS", t.file.c_str(), 'I') != kTblOk) {
    return state.SkipWithError("table did not load");
  }
  char key[kTblMaxCell + 1];
  float score = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    tblProx(r.get(), "WORDS", t.asked[i].c_str(), 0.0, 1, 0);
    benchmark::DoNotOptimize(tblProxNext(r.get(), "WORDS", key, sizeof key, &score));
    if (++i == t.asked.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TableProx)->Arg(100)->Arg(300)->Arg(1000)->Arg(3000);

// The similarity score of two words alone.
void BM_TableScore(benchmark::State& state) {
  const GeneratedTable& t = generated(1000);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        tblScore(t.keys[i % t.keys.size()].c_str(), t.asked[i].c_str(), 'C', 0));
    if (++i == t.asked.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TableScore);

// The us-address word classes: exact lookups of words that are in the table.
void BM_UsAddressClassLookup(benchmark::State& state) {
  const std::string file =
      (std::filesystem::path(TOVR_SOURCE_DIR) / "examples" / "us-address" / "usaddr.cls").string();
  Registry r;
  if (tblLoad(r.get(), "CLS", file.c_str(), 'I') != kTblOk) {
    return state.SkipWithError("usaddr.cls did not load");
  }
  const Table* table = nullptr;
  tblFind(r.get(), "CLS", &table);
  std::vector<std::string> words;
  for (int row = 0; row < table->rows(); ++row) words.push_back(table->key(row));
  char value[kTblMaxCell + 1];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        tblLookup(r.get(), "CLS", 3, words[i].c_str(), value, sizeof value, 0));
    i = (i + 7) % words.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UsAddressClassLookup);

}  // namespace
}  // namespace tovr::bench

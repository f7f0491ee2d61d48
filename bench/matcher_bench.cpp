// Record matcher: candidate scorings per second with a person-and-address rules file of nine
// comparisons, one comparison of each kind, and the string comparator alone.
//
// The work is that of a linkage run after blocking: one standardized record (a match key)
// against the candidates that share its ZIP code; about one candidate in ten is the same
// person written differently (misspelt names, a birth date a day off, another house number
// on the same block), the others are other people.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bench/bench_data.h"
#include "matcher/compare.h"
#include "matcher/prepared_key.h"
#include "matcher/rules_types.h"
#include "matchkey/match_key.h"
#include "tovr.h"

namespace tovr::bench {
namespace {

constexpr char kDictionary[] =
    "\\FORMAT\\ SORT=N\n"
    "FN C 12 S\n"
    "LN C 16 S\n"
    "MI C 1 S\n"
    "DB C 8 S\n"
    "SX C 1 S\n"
    "HN N 6 S\n"
    "SN C 20 S\n"
    "ZP C 5 S\n"
    "PH C 10 S\n";

// Candidate record: columns from 1.
constexpr char kRules[] =
    "VAR FIRST    1 12 S\n"
    "VAR LAST    13 16 S\n"
    "VAR MIDDLE  29  1 S\n"
    "VAR BIRTH   30  8 S\n"
    "VAR SEX     38  1 S\n"
    "VAR LFROM   39  6 S\n"
    "VAR LTO     45  6 S\n"
    "VAR RFROM   51  6 S\n"
    "VAR RTO     57  6 S\n"
    "VAR STREET  63 20 S\n"
    "VAR ZIP     83  5 S\n"
    "VAR PHONE   88 10 S\n"
    "MATCH UNCERT FN FIRST 0.90 0.02 700\n"
    "MATCH UNCERT LN LAST 0.95 0.005 700\n"
    "MATCH CHAR MI MIDDLE 0.80 0.10\n"
    "MATCH DATE8 DB BIRTH 0.97 0.001 30\n"
    "MATCH CHAR SX SEX 0.98 0.50\n"
    "MATCH D_INT HN LFROM LTO RFROM RTO 0.95 0.02 ZERO_VAL\n"
    "MATCH UNCERT SN STREET 0.95 0.01 750\n"
    "MATCH CHAR ZP ZIP 0.95 0.05\n"
    "MATCH CNT PH PHONE 0.95 0.001 2\n"
    "CUTOFF 1000\n";

constexpr int kRecordLength = 97;
constexpr int kQueries = 8;  // one candidate list each; a control block holds ten

struct Person {
  std::string first, last, middle, birth, sex, street, zip, phone;
  long house = 0;
};

Person random_person(Random& rnd, const std::string& zip) {
  Person p;
  p.first = rnd.pick(first_names());
  p.last = rnd.pick(last_names());
  p.middle = std::string(1, static_cast<char>('A' + rnd.below(26)));
  char date[16];
  std::snprintf(date, sizeof date, "%04d%02d%02d", 1930 + rnd.below(75), 1 + rnd.below(12),
                1 + rnd.below(28));
  p.birth = date;
  p.sex = std::string(1, rnd.chance(50) ? 'M' : 'F');
  p.house = 1 + rnd.below(9999);
  p.street = rnd.pick(street_names());
  p.zip = zip;
  p.phone = std::to_string(2000000000L + static_cast<long>(rnd.below(999999999)));
  return p;
}

// The same person as another source writes it.
Person variant_of(const Person& p, Random& rnd) {
  Person v = p;
  if (rnd.chance(40)) v.first = misspell(v.first, rnd);
  if (rnd.chance(40)) v.last = misspell(v.last, rnd);
  if (rnd.chance(20)) v.middle = "";
  if (rnd.chance(15)) v.birth[7] = static_cast<char>('1' + rnd.below(8));
  if (rnd.chance(30)) v.house = p.house + 2 * (rnd.below(5) - 2);
  if (v.house < 1) v.house = 1;
  if (rnd.chance(20)) v.street = misspell(v.street, rnd);
  if (rnd.chance(10)) v.phone[9] = static_cast<char>('0' + rnd.below(10));
  return v;
}

// The candidate record: the person with the block of house numbers that holds their own,
// odd numbers on the left, even ones on the right.
std::string candidate_record(const Person& p) {
  std::string r(kRecordLength, ' ');
  put_field(r, 0, 12, p.first);
  put_field(r, 12, 16, p.last);
  put_field(r, 28, 1, p.middle);
  put_field(r, 29, 8, p.birth);
  put_field(r, 37, 1, p.sex);
  const long block = p.house / 100 * 100;
  put_number(r, 38, 6, block + 1);
  put_number(r, 44, 6, block + 99);
  put_number(r, 50, 6, block + 2);
  put_number(r, 56, 6, block + 98);
  put_field(r, 62, 20, p.street);
  put_field(r, 82, 5, p.zip);
  put_field(r, 87, 10, p.phone);
  return r;
}

struct Query {
  Person person;
  std::vector<std::string> candidates;
};

// kQueries queries with `count` candidates each, the same for every run.
std::vector<Query> make_queries(int count) {
  Random rnd(20240611);
  std::vector<Query> queries;
  for (int q = 0; q < kQueries; ++q) {
    const std::string zip = std::to_string(10000 + rnd.below(89999));
    Query query;
    query.person = random_person(rnd, zip);
    for (int i = 0; i < count; ++i) {
      const Person c = rnd.chance(10) ? variant_of(query.person, rnd) : random_person(rnd, zip);
      query.candidates.push_back(candidate_record(c));
    }
    queries.push_back(std::move(query));
  }
  return queries;
}

const std::string& files_dir() {
  static const std::string dir = [] {
    const std::string d = scratch_dir("matcher");
    write_file(d + "/person.dct", kDictionary);
    write_file(d + "/person.rul", kRules);
    return d;
  }();
  return dir;
}

// One match key service with the person layout, a match control block and the rules: one
// per thread, sharing nothing.
class MatcherWorld {
 public:
  MatcherWorld() {
    const std::string dct = files_dir() + "/person.dct";
    const std::string rul = files_dir() + "/person.rul";
    ok_ = TOVR_mkInit(&mk_) == 0 && mkDictLoad(mk_, "PERSON", "PERSON", dct.c_str()) == 0 &&
          TOVR_mtInit(&mt_, mk_) == 0 &&
          TOVR_mtLoad(mt_, rul.c_str(), "PERSON", nullptr, &rules_) == 0;
  }
  ~MatcherWorld() {
    if (rules_ != nullptr) TOVR_mtFreeRules(&rules_);
    if (mt_ != nullptr) TOVR_mtClose(mt_);
    if (mk_ != nullptr) TOVR_mkClose(mk_);
  }
  bool ok() const { return ok_; }

  bool add_list(const std::vector<std::string>& records) {
    TOVR_List* list = nullptr;
    if (TOVR_mtNewList(mt_, kRecordLength, &list) != 0) return false;
    for (const std::string& r : records) {
      if (TOVR_mtNewCand(mt_, list, r.c_str()) != 0) return false;
    }
    lists_.push_back(list);
    return true;
  }

  void set_key(const Person& p) {
    set("FN", p.first);
    set("LN", p.last);
    set("MI", p.middle);
    set("DB", p.birth);
    set("SX", p.sex);
    set("HN", std::to_string(p.house));
    set("SN", p.street);
    set("ZP", p.zip);
    set("PH", p.phone);
  }

  // Scores list i against the match key and takes the best candidate; the best weight.
  short match(int i) {
    TOVR_Case* c = nullptr;
    TOVR_mtMatch(mt_, rules_, lists_[static_cast<std::size_t>(i)], &c);
    char record[kRecordLength + 1];
    short weight = 0;
    char side = ' ';
    float position = 0;
    TOVR_mtGetCand(mt_, c, -1, record, &weight, &side, &position);
    TOVR_mtEndMatch(mt_, &c);
    return weight;
  }

  // Adds to f every candidate of list i in rank order: record, weight, side and position.
  void fingerprint(int i, int count, Fingerprint& f) {
    TOVR_Case* c = nullptr;
    TOVR_mtMatch(mt_, rules_, lists_[static_cast<std::size_t>(i)], &c);
    char record[kRecordLength + 1];
    for (int n = 1; n <= count; ++n) {
      short weight = 0;
      char side = ' ';
      float position = 0;
      TOVR_mtGetCand(mt_, c, static_cast<short>(-n), record, &weight, &side, &position);
      f.add(record, kRecordLength);
      f.add_value(weight);
      f.add_value(side);
      f.add_value(position);
    }
    TOVR_mtEndMatch(mt_, &c);
  }

  // Scores list i and reads every candidate in rank order.
  int rank_all(int i, int count) {
    TOVR_Case* c = nullptr;
    TOVR_mtMatch(mt_, rules_, lists_[static_cast<std::size_t>(i)], &c);
    char record[kRecordLength + 1];
    short weight = 0;
    char side = ' ';
    float position = 0;
    int sum = 0;
    for (int n = 1; n <= count; ++n) {
      TOVR_mtGetCand(mt_, c, static_cast<short>(-n), record, &weight, &side, &position);
      sum += weight;
    }
    TOVR_mtEndMatch(mt_, &c);
    return sum;
  }

  Rules& rules() { return *reinterpret_cast<Rules*>(rules_); }
  TOVR_Mk* mk() { return mk_; }

 private:
  void set(const char* field, std::string value) { TOVR_mkSet(mk_, "PERSON", field, value.data()); }

  bool ok_ = false;
  TOVR_Mk* mk_ = nullptr;
  TOVR_Mt* mt_ = nullptr;
  TOVR_Rules* rules_ = nullptr;
  std::vector<TOVR_List*> lists_;
};

const std::vector<Query>& queries_of(int count) {
  // Built once per size and shared read-only by the threads.
  static std::vector<std::unique_ptr<std::vector<Query>>> built;
  static std::vector<int> sizes;
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (sizes[i] == count) return *built[i];
  }
  sizes.push_back(count);
  built.push_back(std::make_unique<std::vector<Query>>(make_queries(count)));
  return *built.back();
}

// A full case: fill the match key, score every candidate of its list, take the best.
// Items are candidate scorings.
void BM_MatchCase(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::vector<Query>& queries = queries_of(count);
  MatcherWorld world;
  if (!world.ok()) return state.SkipWithError("matcher setup failed");
  for (const Query& q : queries) {
    if (!world.add_list(q.candidates)) return state.SkipWithError("candidate list failed");
  }
  int q = 0;
  for (auto _ : state) {
    world.set_key(queries[static_cast<std::size_t>(q)].person);
    benchmark::DoNotOptimize(world.match(q));
    q = (q + 1) % kQueries;
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_MatchCase)->RangeMultiplier(10)->Range(10, 10000)->ThreadRange(1, 2)->UseRealTime();

// Scoring and reading every candidate in rank order (the ranking's heap sort included).
void BM_MatchAndRankAll(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::vector<Query>& queries = queries_of(count);
  MatcherWorld world;
  if (!world.ok()) return state.SkipWithError("matcher setup failed");
  for (const Query& q : queries) {
    if (!world.add_list(q.candidates)) return state.SkipWithError("candidate list failed");
  }
  int q = 0;
  for (auto _ : state) {
    world.set_key(queries[static_cast<std::size_t>(q)].person);
    benchmark::DoNotOptimize(world.rank_all(q, count));
    q = (q + 1) % kQueries;
  }
  state.SetItemsProcessed(state.iterations() * count);
  // Untimed: the fingerprint of every ranking, to check that two builds score alike.
  Fingerprint results;
  for (int i = 0; i < kQueries; ++i) {
    world.set_key(queries[static_cast<std::size_t>(i)].person);
    world.fingerprint(i, count, results);
  }
  state.counters["results"] = results.counter();
}
BENCHMARK(BM_MatchAndRankAll)->Arg(100)->Arg(1000);

// Appending candidates to a list (the host's copy into the matcher).
void BM_NewCand(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::vector<Query>& queries = queries_of(count);
  MatcherWorld world;
  if (!world.ok()) return state.SkipWithError("matcher setup failed");
  TOVR_Mt* mt = nullptr;
  TOVR_mtInit(&mt, world.mk());
  for (auto _ : state) {
    TOVR_List* list = nullptr;
    TOVR_mtNewList(mt, kRecordLength, &list);
    for (const std::string& r : queries[0].candidates) TOVR_mtNewCand(mt, list, r.c_str());
    TOVR_mtFreeCands(mt, &list);
  }
  TOVR_mtClose(mt);
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_NewCand)->Arg(1000);

// One comparison of one match definition over many candidate records: the cost of each
// comparison type. The argument is the definition's variable number.
void BM_FieldWeight(benchmark::State& state) {
  const std::vector<Query>& queries = queries_of(1000);
  MatcherWorld world;
  if (!world.ok()) return state.SkipWithError("matcher setup failed");
  Rules& rules = world.rules();
  const MatchDef* def = rules.defs[state.range(0)];
  if (def == nullptr) return state.SkipWithError("no definition");
  static const char* const kTypeNames[] = {
      "",      "CHAR",   "LR_CHAR", "UNCERT",   "LR_UNCERT", "DATE8",       "DATE6",
      "NUM",   "PRORAT", "TIME",    "DELTA",    "ABS",       "INTERVAL_NO", "INTERVAL_PAR",
      "D_INT", "ARRAY",  "CNT",     "DISTANCE", "PREFIX",    "INT_TO_INT"};
  state.SetLabel(kTypeNames[def->type]);
  world.set_key(queries[0].person);
  TOVR_mkCopy(world.mk(), "PERSON", rules.mk_record);
  const std::vector<std::string>& records = queries[0].candidates;
  char marks[512];
  std::size_t i = 0;
  for (auto _ : state) {
    CompareContext ctx;
    ctx.marks = marks;
    ctx.marks_size = sizeof marks;
    benchmark::DoNotOptimize(
        field_weight(*def, rules.mk_record, records[i].data(), kRecordLength, ctx));
    if (++i == records.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
// FIRST, LAST, MIDDLE, BIRTH, SEX, LFROM (D_INT), STREET, ZIP, PHONE.
BENCHMARK(BM_FieldWeight)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Arg(5)->Arg(9)->Arg(10)->Arg(11);

// Pairs of names as a blocked linkage run meets them: about one in ten the same name or a
// misspelling of it, the rest two different names; first and last names mixed.
struct NamePairs {
  std::vector<std::string> a, b;
};

const NamePairs& name_pairs() {
  static const NamePairs pairs = [] {
    NamePairs p;
    Random rnd(77);
    for (int i = 0; i < 4096; ++i) {
      const std::vector<std::string>& pool = rnd.chance(50) ? first_names() : last_names();
      const std::string x = rnd.pick(pool);
      std::string y;
      if (rnd.chance(10)) {
        y = rnd.chance(50) ? x : misspell(x, rnd);
      } else {
        y = rnd.pick(pool);
      }
      p.a.push_back(x);
      p.b.push_back(y);
    }
    return p;
  }();
  return pairs;
}

// The similarity score alone (0 to 900), on values without blanks: the library's form and
// the plain character-by-character walk that it replaces for values up to 64 characters.
template <int (*Score)(Text, Text, char*)>
void BM_SimilarityScore(benchmark::State& state) {
  const NamePairs& pairs = name_pairs();
  char marks[128];
  std::size_t i = 0;
  for (auto _ : state) {
    const Text a{pairs.a[i].data(), static_cast<int>(pairs.a[i].size())};
    const Text b{pairs.b[i].data(), static_cast<int>(pairs.b[i].size())};
    benchmark::DoNotOptimize(Score(a, b, marks));
    if (++i == pairs.a.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_TEMPLATE(BM_SimilarityScore, similarity_score)->Name("BM_SimilarityScore");
BENCHMARK_TEMPLATE(BM_SimilarityScore, similarity_score_plain)->Name("BM_SimilarityScorePlain");

// The name pairs as fields of 16 characters, blank-padded (and cut) on the right.
constexpr int kFieldLength = 16;

struct PaddedPairs {
  std::vector<std::string> a, b;
};

PaddedPairs padded_name_pairs() {
  const NamePairs& pairs = name_pairs();
  PaddedPairs p;
  for (std::size_t i = 0; i < pairs.a.size(); ++i) {
    p.a.push_back(pairs.a[i]);
    p.b.push_back(pairs.b[i]);
    p.a.back().resize(kFieldLength, ' ');
    p.b.back().resize(kFieldLength, ' ');
  }
  return p;
}

// An UNCERT definition of one field at the start of both records, PARAM 700.
MatchDef uncert_definition() {
  MatchDef def;
  def.type = kUncert;
  def.mk_missing = 'S';
  def.cand_missing = 'S';
  def.agree = 452;
  def.disagree = -437;
  def.middle = 7;
  def.param = 700;
  def.mk = {0, kFieldLength};
  def.cand_fields = 1;
  def.cand[0] = {0, kFieldLength};
  return def;
}

// A whole UNCERT comparison of blank-padded 16-character fields: trimming, the missing test,
// the equal-values shortcut, the score and the weight.
void BM_UncertComparison(benchmark::State& state) {
  const PaddedPairs pairs = padded_name_pairs();
  const std::vector<std::string>& a = pairs.a;
  const std::vector<std::string>& b = pairs.b;
  const MatchDef def = uncert_definition();
  const Weights w = weights_of(def);
  char marks[64];
  std::size_t i = 0;
  for (auto _ : state) {
    CompareContext ctx;
    ctx.marks = marks;
    ctx.marks_size = sizeof marks;
    const Text x{a[i].data(), 16};
    const Text y{b[i].data(), 16};
    benchmark::DoNotOptimize(compare_values(kUncert, def, w, x, y, ctx));
    if (++i == a.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UncertComparison);

// UNCERT comparisons as a matching run makes them: the match key value is prepared once per
// case (its trimmed form and character pattern), then compared with each of 100 candidate
// values of 16 characters; the preparation is counted in the time.
void BM_UncertPreparedComparison(benchmark::State& state) {
  constexpr int kLength = kFieldLength;
  constexpr int kCandidates = 100;
  const PaddedPairs pairs = padded_name_pairs();
  const std::vector<std::string>& a = pairs.a;
  const std::vector<std::string>& b = pairs.b;
  MatchDef def = uncert_definition();
  Rules rules;
  rules.var_count = 2;
  rules.defs[1] = &def;
  std::string mk(kLength, ' ');
  rules.mk_record = mk.data();
  char marks[2 * kLength];
  CompareContext ctx;
  ctx.marks = marks;
  ctx.marks_size = sizeof marks;
  auto key = std::make_unique<PreparedKey>();
  std::size_t i = 0, j = 0;
  for (auto _ : state) {
    mk = a[i];
    rules.mk_record = mk.data();
    prepare_key(rules, kLength, ctx, *key);
    for (int k = 0; k < kCandidates; ++k) {
      CompareContext c = ctx;
      benchmark::DoNotOptimize(
          prepared_weight(*key, 1, def, mk.data(), b[j].data(), kLength, c));
      if (++j == b.size()) j = 0;
    }
    if (++i == a.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations() * kCandidates);
}
BENCHMARK(BM_UncertPreparedComparison);

}  // namespace
}  // namespace tovr::bench

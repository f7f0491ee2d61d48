// Queries over real index sequences: both ways of reading a query (segment by segment with
// TOVR_dbList / TOVR_dbGetNext, and at once into a result set) against brute-force
// evaluations, selectors over two sequences, similarity widening through the key tree,
// TOVR_dbFind and the handle checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "index/DbStatus.h"
#include "index/IndexHandle.h"
#include "index/KeyOps.h"
#include "index/KeyTree.h"
#include "index/QueryState.h"
#include "index_test_util.h"
#include "result_model.h"
#include "support/test_support.h"
#include "tovr.h"

namespace tovr::test {
namespace {

TOVR_Db* db(Icb* icb) { return reinterpret_cast<TOVR_Db*>(icb); }

class QueryIndex : public ::testing::Test {
 protected:
  void SetUp() override { open(); }
  void TearDown() override {
    close();
    index_tables().record_count = 100;
    release_tables();
  }

  void open(char coding = 'R') {
    int status = -1;
    city_ = open_index(request("CITY", statements_, coding), &status);
    ASSERT_NE(city_, nullptr) << status;
    zip_ = open_index(request("ZIP", statements_, coding), &status);
    ASSERT_NE(zip_, nullptr) << status;
  }
  void close() {
    if (city_ != nullptr) close_index(city_);
    if (zip_ != nullptr) close_index(zip_);
    city_ = zip_ = nullptr;
  }
  void reopen_with(char coding) {
    close();
    fs_.remove("q.idx");
    open(coding);
  }

  void store(Icb* icb, const std::string& key, const std::vector<uint32_t>& values) {
    for (uint32_t v : values) {
      ASSERT_EQ(db_insert(*icb, key.c_str(), static_cast<int>(v), 0), 0) << key << " " << v;
    }
  }
  // Stores the sets and records the form each one took in the index.
  void store_all(Icb* icb, StoredSets& sets) {
    for (auto& [key, s] : sets) {
      if (s.kind == StoredSet::kAbsent) continue;
      store(icb, key, s.values);
      ASSERT_GE(FindEntry(*icb, kExactMode, key.c_str()), 0);
      s.kind = (icb->search.word_b & 0xFF) == 2 ? StoredSet::kBitmap : StoredSet::kList;
    }
  }

  unsigned short parse(Icb* icb, const std::string& text, float threshold = 0.0f,
                       TOVR_SpellFn callback = nullptr) {
    return TOVR_dbParse(db(icb), text.c_str(), threshold, callback);
  }
  // Reads the handle's program segment by segment; {-2} when TOVR_dbList refuses it.
  Reading listed(Icb* icb) {
    if (TOVR_dbList(db(icb)) != 0) return {-2};
    Reading out;
    for (int v = TOVR_dbGetNext(db(icb)); v != -1; v = TOVR_dbGetNext(db(icb))) {
      out.push_back(v);
      if (v < 0 || out.size() > 200000) break;
    }
    EXPECT_EQ(TOVR_dbGetNext(db(icb)), -2);
    return out;
  }
  // Evaluates the handle's program into a result set and reads it.
  Reading result(Icb* icb) {
    TOVR_QueryResult* r = TOVR_dbReturnQueryResult(db(icb));
    if (r == nullptr) return {-99};
    Reading out;
    for (int v = TOVR_dbGetNextQueryResult(r); v != 0; v = TOVR_dbGetNextQueryResult(r)) {
      out.push_back(v);
      if (v < 0 || out.size() > 200000) break;
    }
    TOVR_dbDeleteQueryResult(r);
    return out;
  }
  const QueryProgram& program(Icb* icb) { return query_state(*icb)->program; }

  MemFs fs_;
  Statements statements_{"FILE q.idx\nINDEX 1 CITY\nINDEX 2 ZIP\nEND"};
  Icb* city_ = nullptr;
  Icb* zip_ = nullptr;
};

TEST_F(QueryIndex, BothEvaluationsAgreeWithPlainSets) {
  StoredSets sets = random_sets(5, 12, 4);
  store_all(city_, sets);
  int bitmaps = 0;
  for (auto& [key, s] : sets) bitmaps += s.kind == StoredSet::kBitmap;
  ASSERT_GE(bitmaps, 2);
  int refused = 0;
  for (unsigned seed = 1; seed <= 150; ++seed) {
    const std::string text = random_expression(seed, 13, 9, false);
    ASSERT_EQ(parse(city_, text), 0) << text;
    const Reading plain = plain_evaluation(program(city_), sets);
    EXPECT_EQ(result(city_), plain) << text;
    if (stack_need(program(city_)) > 5) {
      EXPECT_EQ(listed(city_), Reading{-2}) << text;
      ++refused;
    } else {
      EXPECT_EQ(listed(city_), plain) << text;
    }
  }
  EXPECT_GT(refused, 0);
  EXPECT_LT(refused, 100);
}

TEST_F(QueryIndex, ComplementsFollowEachEvaluationsSegments) {
  StoredSets sets = random_sets(77, 10, 3);
  store_all(city_, sets);
  for (unsigned seed = 1; seed <= 120; ++seed) {
    const std::string text = random_expression(seed + 500, 11, 7, true);
    ASSERT_EQ(parse(city_, text), 0) << text;
    EXPECT_EQ(result(city_), modelled_evaluation(program(city_), sets)) << text;
    if (stack_need(program(city_)) <= 5) {
      EXPECT_EQ(listed(city_), segmented_evaluation(program(city_), sets)) << text;
    }
  }
}

TEST_F(QueryIndex, BitmapsAcrossSegments) {
  std::vector<uint32_t> wide;
  for (uint32_t v = 1; v < 4 * 8064; v += 97) wide.push_back(v);
  wide.push_back(8064);
  store(city_, "WIDE", wide);
  ASSERT_GE(FindEntry(*city_, kExactMode, "WIDE"), 0);
  ASSERT_EQ(city_->search.word_b & 0xFF, 2u);
  store(city_, "ONE", {3 * 8064 + 4});
  std::sort(wide.begin(), wide.end());
  const Reading expected(wide.begin(), wide.end());
  ASSERT_EQ(TOVR_dbFind(db(city_), "WIDE"), 0);
  Reading got;
  for (int v = TOVR_dbGetNext(db(city_)); v != -1; v = TOVR_dbGetNext(db(city_))) got.push_back(v);
  EXPECT_EQ(got, expected);
  ASSERT_EQ(parse(city_, "WIDE / ONE"), 0);
  Reading both = expected;
  both.insert(std::upper_bound(both.begin(), both.end(), 3 * 8064 + 4), 3 * 8064 + 4);
  EXPECT_EQ(listed(city_), both);
  EXPECT_EQ(result(city_), both);
  // A term whose only pointer lies in segment 3: the segments between are skipped.
  ASSERT_EQ(parse(city_, "#ONE"), 0);
  const Reading complement = listed(city_);
  ASSERT_EQ(complement.size(), 2u * 8064 - 2);
  EXPECT_EQ(complement[8062], 8063);
  EXPECT_EQ(complement[8063], 3 * 8064);
}

TEST_F(QueryIndex, SelectorsSearchTheOtherSequence) {
  store(city_, "ROME", {1, 2, 3, 9000});
  store(zip_, "ROME", {2, 50});
  store(zip_, "00100", {3, 9000, 12});
  ASSERT_EQ(parse(city_, "ROME & zip = ROME"), 0);
  EXPECT_EQ(listed(city_), (Reading{2}));
  ASSERT_EQ(parse(city_, "ROME & ZIP = (ROME / \"00100\")"), 0);
  EXPECT_EQ(listed(city_), (Reading{2, 3, 9000}));
  EXPECT_EQ(result(city_), (Reading{2, 3, 9000}));
  ASSERT_EQ(parse(zip_, "ROME / CITY = ROME"), 0);
  EXPECT_EQ(result(zip_), (Reading{1, 2, 3, 50, 9000}));
  // A selector must name a sequence that is open; one closed after compiling reads empty.
  EXPECT_EQ(parse(city_, "ROME & NONE = ROME"), 8);
  ASSERT_EQ(parse(city_, "ROME / ZIP = \"00100\""), 0);
  close_index(zip_);
  zip_ = nullptr;
  EXPECT_EQ(listed(city_), (Reading{1, 2, 3, 9000}));
  EXPECT_EQ(result(city_), (Reading{1, 2, 3, 9000}));
  EXPECT_EQ(parse(city_, "ZIP = ROME"), 1);
}

TEST_F(QueryIndex, StackOverflowIsRefusedCleanly) {
  for (const char* k : {"a", "b", "c", "d", "e", "f"}) store(city_, k, {1});
  ASSERT_EQ(parse(city_, "a / (b / (c / (d / e)))"), 0);
  EXPECT_EQ(listed(city_), (Reading{1}));
  ASSERT_EQ(parse(city_, "a / (b / (c / (d / (e / f))))"), 0);
  EXPECT_EQ(TOVR_dbList(db(city_)), -2);
  EXPECT_EQ(TOVR_dbGetNext(db(city_)), -2);
  EXPECT_EQ(result(city_), (Reading{1}));
}

TEST_F(QueryIndex, FindReadsOneKey) {
  EXPECT_EQ(TOVR_dbGetNext(db(city_)), -2);
  store(city_, "PARIS", {70, 5, 9000});
  store(city_, "LYON", {8});
  ASSERT_EQ(TOVR_dbFind(db(city_), "Paris"), 0);
  EXPECT_EQ(TOVR_dbGetNext(db(city_)), 5);
  EXPECT_EQ(TOVR_dbGetNext(db(city_)), 70);
  EXPECT_EQ(TOVR_dbGetNext(db(city_)), 9000);
  EXPECT_EQ(TOVR_dbGetNext(db(city_)), -1);
  EXPECT_EQ(TOVR_dbGetNext(db(city_)), -2);
  // The result set reads the program of the find.
  EXPECT_EQ(result(city_), (Reading{5, 70, 9000}));
  ASSERT_EQ(TOVR_dbFind(db(city_), "LYON"), 0);
  EXPECT_EQ(listed(city_), (Reading{8}));
  EXPECT_EQ(TOVR_dbFind(db(city_), "NICE"), 7);
  EXPECT_EQ(TOVR_dbGetNext(db(city_)), -2);
  EXPECT_EQ(TOVR_dbFind(db(city_), std::string(90, 'X').c_str()), 7);
  EXPECT_EQ(TOVR_dbFind(db(city_), ""), 7);
  // A new program stops the evaluation going on.
  ASSERT_EQ(TOVR_dbFind(db(city_), "PARIS"), 0);
  ASSERT_EQ(parse(city_, "LYON"), 0);
  EXPECT_EQ(TOVR_dbGetNext(db(city_)), -2);
}

TEST_F(QueryIndex, SpecialStatesOfResultSets) {
  store(city_, "X", {3, 9000});
  const struct {
    const char* text;
    Reading want;
  } cases[] = {
      {"#Y", {-1}},          {"X / #Y", {-1}},  {"#Y / X", {-1}},   {"X & #Y", {3, 9000}},
      {"#Y & X", {3, 9000}}, {"##Y", {}},       {"X & Y", {}},      {"Y $ X", {3, 9000}},
      {"#Y $ #Y", {}},       {"#Y & #Y", {-1}}, {"##X", {3, 9000}}, {"Y", {}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(parse(city_, c.text), 0);
    EXPECT_EQ(result(city_), c.want) << c.text;
  }
  // X $ #Y: the complement of X over the two segments X occupies.
  ASSERT_EQ(parse(city_, "X $ #Y"), 0);
  const Reading got = result(city_);
  EXPECT_EQ(got.size(), 2u * 8064 - 3);
  EXPECT_EQ(got.front(), 1);
  EXPECT_EQ(got.back(), 2 * 8064 - 1);
  // The universe reads -1 every time.
  ASSERT_EQ(parse(city_, "#Y"), 0);
  TOVR_QueryResult* r = TOVR_dbReturnQueryResult(db(city_));
  EXPECT_EQ(TOVR_dbGetNextQueryResult(r), -1);
  EXPECT_EQ(TOVR_dbGetNextQueryResult(r), -1);
  TOVR_dbDeleteQueryResult(r);
}

TEST_F(QueryIndex, InvalidHandlesAndBadTexts) {
  char junk[64] = "NOT A HANDLE";
  TOVR_Db* bad = reinterpret_cast<TOVR_Db*>(junk);
  EXPECT_EQ(TOVR_dbParse(bad, "a", 0, nullptr), 0xFFFF);
  EXPECT_EQ(TOVR_dbParse(nullptr, "a", 0, nullptr), 0xFFFF);
  EXPECT_EQ(TOVR_dbFind(bad, "a"), 13);
  EXPECT_EQ(TOVR_dbList(bad), -1);
  EXPECT_EQ(TOVR_dbGetNext(bad), -2);
  EXPECT_EQ(TOVR_dbReturnQueryResult(bad), nullptr);
  EXPECT_EQ(TOVR_dbGetNextQueryResult(nullptr), 0);
  TOVR_dbDeleteQueryResult(nullptr);

  EXPECT_EQ(parse(city_, "( a"), 1);
  EXPECT_EQ(parse(city_, "a )"), 3);
  EXPECT_EQ(parse(city_, "& a"), 1);
  EXPECT_EQ(parse(city_, std::string(80, 'k')), 79);
  EXPECT_EQ(TOVR_dbParse(db(city_), nullptr, 0, nullptr), 1);
  // After an error the program is empty: it lists nothing and evaluates to the empty set.
  EXPECT_EQ(listed(city_), Reading{});
  EXPECT_EQ(result(city_), Reading{});
  std::mt19937 rng(3);
  for (int round = 0; round < 300; ++round) {
    std::string text(rng() % 120, ' ');
    for (char& c : text) c = static_cast<char>(1 + rng() % 255);
    const unsigned short got = parse(city_, text, 0.0f);
    EXPECT_TRUE(got == 0 || got <= text.size() + 1) << got;
    listed(city_);
    result(city_);
  }
}

// Candidates seen by the callback, and those it drops.
std::vector<std::string> g_seen;
std::set<std::string> g_drop;

int drop_some(int count, char** keys, float*, const char*) {
  for (int i = 0; i < count; ++i) {
    g_seen.push_back(keys[i]);
    if (g_drop.count(keys[i])) keys[i] = nullptr;
  }
  return 0;
}

TEST_F(QueryIndex, SimilarityWideningThroughTheKeyTree) {
  reopen_with('S');  // the sound code puts MARTHA, MARHTA and MARTA in one bucket
  store(city_, "MARTHA", {1});
  store(city_, "MARHTA", {2});
  store(city_, "MARTA", {3});
  store(city_, "MORTON", {4});
  store(city_, "SMITH\\JOHN", {10});
  store(city_, "SMITH\\JANE", {11});
  store(city_, "SMITH", {12});
  g_seen.clear();
  g_drop.clear();
  ASSERT_EQ(parse(city_, "MARTHA?", 0.0f, &drop_some), 0);
  EXPECT_EQ(g_seen, (std::vector<std::string>{"MARTHA", "MARHTA", "MARTA"}));
  EXPECT_EQ(listed(city_), (Reading{1, 2, 3}));
  EXPECT_EQ(result(city_), (Reading{1, 2, 3}));
  g_drop = {"MARHTA"};
  ASSERT_EQ(parse(city_, "MARTHA?", 0.0f, &drop_some), 0);
  EXPECT_EQ(listed(city_), (Reading{1, 3}));
  g_drop = {"MARTHA"};
  ASSERT_EQ(parse(city_, "MARTHA?", 0.0f, &drop_some), 0);
  EXPECT_EQ(result(city_), (Reading{2, 3}));
  ASSERT_EQ(parse(city_, "MARTHX? & #MARTA", 860.0f, nullptr), 0);
  EXPECT_EQ(result(city_), Reading{});
  ASSERT_EQ(parse(city_, "SMITH\\ / MARTA"), 0);
  EXPECT_EQ(listed(city_), (Reading{3, 10, 11, 12}));
  ASSERT_EQ(parse(city_, "SMITH+\\JANE"), 0);
  EXPECT_EQ(result(city_), (Reading{11}));
}

TEST_F(QueryIndex, RunningOutOfMemoryLeavesNothingBehind) {
  store(city_, "A", {1, 2, 9000});
  std::vector<uint32_t> many;
  for (uint32_t v = 5; v < 20000; v += 50) many.push_back(v);
  store(city_, "B", many);
  close();
  release_tables();
  const long runs = sweep_allocation_failures([&](AllocationFaults&) {
    int status = 0;
    Icb* icb = open_index(request("CITY", statements_), &status);
    if (icb == nullptr) return;
    if (parse(icb, "A / #B & A") == 0) {
      if (TOVR_dbList(db(icb)) == 0) {
        while (TOVR_dbGetNext(db(icb)) > 0) {
        }
      }
      TOVR_QueryResult* r = TOVR_dbReturnQueryResult(db(icb));
      while (r != nullptr && TOVR_dbGetNextQueryResult(r) > 0) {
      }
      TOVR_dbDeleteQueryResult(r);
    }
    close_index(icb);
  });
  EXPECT_GT(runs, 10);
}

}  // namespace
}  // namespace tovr::test

// Matching runs through the C functions: candidate lists and their slots, cases and their
// slots, scoring, the best candidate and the ranking, reuse, and failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "matcher/match_case.h"
#include "matcher/match_types.h"
#include "matcher/matcher_fixture.h"

namespace tovr::test {
namespace {

// NAME in columns 1-10 compared by CHAR, NUM in columns 11-15 by PRORAT with PARAM 9.
constexpr char kRules[] =
    "VAR NAME 1 10 S\n"
    "VAR NUM 11 5 Z\n"
    "MATCH CHAR NM NAME 0.9 0.1\n"
    "MATCH PRORAT ST NUM 0.9 0.1 9\n";
constexpr short kRecordLength = 15;

class MatchRunTest : public MatcherFixture {
 protected:
  void SetUp() override {
    MatcherFixture::SetUp();
    ASSERT_EQ(load(kRules), 0);
    set("NM", "SMITH");
    set("ST", "100");
  }

  TOVR_List* list_of(const std::vector<std::string>& records, short length = kRecordLength) {
    TOVR_List* list = nullptr;
    EXPECT_EQ(TOVR_mtNewList(mt_, length, &list), 0);
    for (const std::string& r : records) EXPECT_EQ(TOVR_mtNewCand(mt_, list, r.c_str()), 0);
    return list;
  }

  struct Got {
    int status;
    std::string record;
    short weight;
    char side;
    float position;
  };
  Got get(TOVR_Case* c, short n) {
    char record[64];
    std::memset(record, '#', sizeof record);
    Got g{0, "", -1, '?', -1.0f};
    g.status = TOVR_mtGetCand(mt_, c, n, record, &g.weight, &g.side, &g.position);
    g.record = record;
    return g;
  }
};

const std::vector<std::string> kFour = {
    "SMITH     00100",  // 316 + 316
    "SMITH     00104",  // 316 + 64
    "JONES     00100",  // -316 + 316
    "SMYTH     00110",  // -316 - 316
};

TEST_F(MatchRunTest, ScoresEveryCandidateAndHandsThemOutBestFirst) {
  TOVR_List* list = list_of(kFour);
  TOVR_Case* c = nullptr;
  ASSERT_EQ(TOVR_mtMatch(mt_, rules_, list, &c), 0);
  ASSERT_NE(c, nullptr);
  const short expected[] = {632, 380, 0, -632};
  for (short n = 1; n <= 4; ++n) {
    const Got g = get(c, n);
    EXPECT_EQ(g.status, 0);
    EXPECT_EQ(g.record, kFour[n - 1]);
    EXPECT_EQ(g.weight, expected[n - 1]);
    EXPECT_EQ(g.side, ' ');
    EXPECT_FLOAT_EQ(g.position, 50.0f);
  }
  EXPECT_EQ(get(c, -1).record, kFour[0]);
  EXPECT_EQ(get(c, -1).weight, 632);
  for (short r = 2; r <= 4; ++r) EXPECT_EQ(get(c, static_cast<short>(-r)).record, kFour[r - 1]);

  const Got zero = get(c, 0);
  EXPECT_EQ(zero.status, 15);
  EXPECT_EQ(zero.record, "") << "the record is emptied first";
  EXPECT_EQ(get(c, 5).status, 16);
  EXPECT_EQ(get(c, -5).status, 16);
  EXPECT_EQ(get(c, -32768).status, 16);
  EXPECT_EQ(TOVR_mtEndMatch(mt_, &c), 0);
  EXPECT_EQ(c, nullptr);
  EXPECT_EQ(TOVR_mtFreeCands(mt_, &list), 0);
  EXPECT_EQ(list, nullptr);
}

// Gives the scored case the totals 120, 300, 300 and 50, as a run would leave them.
void give_totals(TOVR_Case* handle, const std::vector<short>& totals) {
  MatchCase& c = *reinterpret_cast<MatchCase*>(handle);
  c.best_weight = -9999;
  c.best_number = 0;
  for (int k = 1; k <= static_cast<int>(totals.size()); ++k) {
    score_entry(c, k - 1).total = totals[k - 1];
    if (totals[k - 1] > c.best_weight) {
      c.best_weight = totals[k - 1];
      c.best_number = static_cast<short>(k);
    }
  }
}

TEST_F(MatchRunTest, RankingOrdersEqualTotalsByCandidateNumber) {
  TOVR_List* list = list_of(kFour);
  TOVR_Case* c = nullptr;
  ASSERT_EQ(TOVR_mtMatch(mt_, rules_, list, &c), 0);
  give_totals(c, {120, 300, 300, 50});
  EXPECT_EQ(get(c, -1).record, kFour[1]);
  EXPECT_EQ(get(c, -1).weight, 300);
  EXPECT_EQ(get(c, -2).record, kFour[2]);
  EXPECT_EQ(get(c, -3).record, kFour[0]);
  EXPECT_EQ(get(c, -4).record, kFour[3]);
  EXPECT_EQ(get(c, -4).weight, 50);
  EXPECT_EQ(get(c, -5).status, 16);
  EXPECT_EQ(get(c, 2).weight, 300) << "numbers still reach candidates directly";
}

TEST_F(MatchRunTest, BestIsTheFirstRankedWhenNoTotalRoseAboveTheFloor) {
  TOVR_List* list = list_of(kFour);
  TOVR_Case* c = nullptr;
  ASSERT_EQ(TOVR_mtMatch(mt_, rules_, list, &c), 0);
  give_totals(c, {-10000, -9999, -12000, -9999});
  EXPECT_EQ(reinterpret_cast<MatchCase*>(c)->best_number, 0);
  EXPECT_EQ(get(c, -1).record, kFour[1]);
  EXPECT_EQ(get(c, -1).weight, -9999);
}

TEST_F(MatchRunTest, RankingAgreesWithAPlainSort) {
  std::vector<std::string> records;
  for (int i = 0; i < 137; ++i) records.push_back("SMITH     00100");
  TOVR_List* list = list_of(records);
  TOVR_Case* c = nullptr;
  ASSERT_EQ(TOVR_mtMatch(mt_, rules_, list, &c), 0);
  std::vector<short> totals;
  unsigned seed = 7;
  for (int i = 0; i < 137; ++i) {
    seed = seed * 1103515245u + 12345u;
    totals.push_back(static_cast<short>(static_cast<int>((seed >> 16) % 21) * 10 - 100));
  }
  give_totals(c, totals);
  std::vector<int> order(137);
  for (int i = 0; i < 137; ++i) order[i] = i + 1;
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return totals[a - 1] > totals[b - 1]; });
  MatchCase& mc = *reinterpret_cast<MatchCase*>(c);
  for (int r = 1; r <= 137; ++r) {
    ASSERT_EQ(ranked_candidate(mc, r), order[r - 1]) << "rank " << r;
  }
}

TEST_F(MatchRunTest, FiftyOneCandidatesSpillIntoABlockOfTwenty) {
  std::vector<std::string> records;
  for (int i = 1; i <= 71; ++i) {
    char r[16];
    std::snprintf(r, sizeof r, "SMITH     %05d", 100 + i % 5);
    records.push_back(r);
  }
  TOVR_List* list = list_of(records);
  const CandBlock& first = *reinterpret_cast<CandBlock*>(list);
  EXPECT_EQ(first.count, 71);
  EXPECT_EQ(first.capacity, 50);
  EXPECT_EQ(first.free_slots, 0);
  ASSERT_NE(first.next, nullptr);
  EXPECT_EQ(first.next->first, 51);
  EXPECT_EQ(first.next->capacity, 20);
  EXPECT_EQ(first.next->free_slots, 0);
  ASSERT_NE(first.next->next, nullptr);
  EXPECT_EQ(first.next->next->first, 71);
  EXPECT_EQ(first.next->next->free_slots, 19);

  TOVR_Case* c = nullptr;
  ASSERT_EQ(TOVR_mtMatch(mt_, rules_, list, &c), 0);
  EXPECT_EQ(get(c, 51).record, records[50]);
  EXPECT_EQ(get(c, 50).record, records[49]);
  EXPECT_EQ(get(c, 71).record, records[70]);
  EXPECT_EQ(get(c, 51).weight, 316 + 316 - 632 / 10) << "00101 is one away from 100";
  EXPECT_EQ(get(c, -1).record, records[4]) << "the first 00100 (i = 5) is the best";
}

TEST_F(MatchRunTest, ShortRecordsArePaddedWithBlanks) {
  TOVR_List* list = list_of({"SMITH"});
  TOVR_Case* c = nullptr;
  ASSERT_EQ(TOVR_mtMatch(mt_, rules_, list, &c), 0);
  const Got g = get(c, 1);
  EXPECT_EQ(g.record, "SMITH          ");
  EXPECT_EQ(g.weight, 316) << "NUM is blank, missing by Z";
}

TEST_F(MatchRunTest, EmptyListGivesACaseWithoutCandidates) {
  TOVR_List* list = list_of({});
  TOVR_Case* c = nullptr;
  EXPECT_EQ(TOVR_mtMatch(mt_, rules_, list, &c), 13);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(get(c, 1).status, 13);
  EXPECT_EQ(get(c, -1).status, 13);
  EXPECT_EQ(get(c, 0).status, 15);
  EXPECT_EQ(TOVR_mtEndMatch(mt_, &c), 0);
}

TEST_F(MatchRunTest, ListSlots) {
  TOVR_List* list = nullptr;
  EXPECT_EQ(TOVR_mtNewList(mt_, 0, &list), 7);
  EXPECT_EQ(TOVR_mtNewList(mt_, -3, &list), 7);
  EXPECT_EQ(list, nullptr);
  std::vector<TOVR_List*> lists(10);
  for (auto& l : lists) ASSERT_EQ(TOVR_mtNewList(mt_, 80, &l), 0);
  EXPECT_EQ(TOVR_mtNewList(mt_, 80, &list), 8);
  EXPECT_EQ(list, nullptr);

  TOVR_List* freed = lists[3];
  ASSERT_EQ(TOVR_mtNewCand(mt_, lists[3], "RECORD"), 0);
  ASSERT_EQ(TOVR_mtFreeCands(mt_, &lists[3]), 0);
  EXPECT_EQ(TOVR_mtFreeCands(mt_, &freed), 9) << "no longer one of the lists in use";
  EXPECT_EQ(TOVR_mtNewCand(mt_, freed, "RECORD"), 9);
  ASSERT_EQ(TOVR_mtNewList(mt_, 80, &list), 0);
  EXPECT_EQ(list, freed) << "the free list of the same length is taken again";
  EXPECT_EQ(reinterpret_cast<CandBlock*>(list)->count, 0);

  // With all ten slots made, a free slot serves only its own record length.
  ASSERT_EQ(TOVR_mtFreeCands(mt_, &list), 0);
  EXPECT_EQ(TOVR_mtNewList(mt_, 90, &list), 8);
  EXPECT_EQ(list, nullptr);
  ASSERT_EQ(TOVR_mtNewList(mt_, 80, &list), 0);
  EXPECT_EQ(list, freed);
}

TEST_F(MatchRunTest, ListHandlesAreChecked) {
  TOVR_List* list = list_of({"SMITH     00100"});
  EXPECT_EQ(TOVR_mtNewList(nullptr, 10, &list), 11);
  EXPECT_EQ(list, nullptr);
  list = list_of({});
  EXPECT_EQ(TOVR_mtNewCand(nullptr, list, "X"), 11);
  EXPECT_EQ(TOVR_mtNewCand(mt_, nullptr, "X"), 9);
  char not_a_list[8] = "CASE";
  EXPECT_EQ(TOVR_mtNewCand(mt_, reinterpret_cast<TOVR_List*>(not_a_list), "X"), 9);
  EXPECT_EQ(TOVR_mtFreeCands(nullptr, &list), 11);
  EXPECT_EQ(TOVR_mtFreeCands(mt_, nullptr), 9);
  TOVR_List* none = nullptr;
  EXPECT_EQ(TOVR_mtFreeCands(mt_, &none), 9);

  TOVR_Mt* other = nullptr;
  ASSERT_EQ(TOVR_mtInit(&other, mk_), 0);
  EXPECT_EQ(TOVR_mtFreeCands(other, &list), 9) << "a list of another control block";
  EXPECT_NE(list, nullptr);
  EXPECT_EQ(TOVR_mtClose(other), 0);
  EXPECT_EQ(TOVR_mtClose(nullptr), 11);
  EXPECT_EQ(TOVR_mtInit(nullptr, mk_), 11);
}

TEST_F(MatchRunTest, CaseSlots) {
  TOVR_List* list = list_of(kFour);
  std::vector<TOVR_Case*> cases(10);
  for (auto& c : cases) ASSERT_EQ(TOVR_mtMatch(mt_, rules_, list, &c), 0);
  TOVR_Case* eleventh = nullptr;
  EXPECT_EQ(TOVR_mtMatch(mt_, rules_, list, &eleventh), 14);
  EXPECT_EQ(eleventh, nullptr);

  TOVR_Case* ended = cases[6];
  ASSERT_EQ(TOVR_mtEndMatch(mt_, &cases[6]), 0);
  EXPECT_EQ(TOVR_mtEndMatch(mt_, &ended), 14) << "an ended case is no longer a handle";
  EXPECT_EQ(get(ended, 1).status, 14);
  ASSERT_EQ(TOVR_mtMatch(mt_, rules_, list, &eleventh), 0);
  EXPECT_EQ(eleventh, ended) << "the case is kept for reuse";
  EXPECT_EQ(get(eleventh, -1).weight, 632);

  EXPECT_EQ(TOVR_mtEndMatch(nullptr, &eleventh), 11);
  EXPECT_EQ(TOVR_mtEndMatch(mt_, nullptr), 14);
  TOVR_Case* none = nullptr;
  EXPECT_EQ(TOVR_mtEndMatch(mt_, &none), 14);
  EXPECT_EQ(get(nullptr, 1).status, 14);
}

TEST_F(MatchRunTest, MatchChecksItsHandlesInOrder) {
  TOVR_List* list = list_of(kFour);
  TOVR_Case* c = reinterpret_cast<TOVR_Case*>(&list);
  char wrong[8] = "XXXX";
  auto* bad_rules = reinterpret_cast<TOVR_Rules*>(wrong);
  auto* bad_list = reinterpret_cast<TOVR_List*>(wrong);
  EXPECT_EQ(TOVR_mtMatch(nullptr, nullptr, nullptr, &c), 11);
  EXPECT_EQ(c, nullptr);
  EXPECT_EQ(TOVR_mtMatch(reinterpret_cast<TOVR_Mt*>(rules_), rules_, list, &c), 11);
  EXPECT_EQ(TOVR_mtMatch(mt_, bad_rules, bad_list, &c), 10);
  EXPECT_EQ(TOVR_mtMatch(mt_, nullptr, list, &c), 10);
  EXPECT_EQ(TOVR_mtMatch(mt_, rules_, bad_list, &c), 9);
  EXPECT_EQ(TOVR_mtMatch(mt_, rules_, nullptr, &c), 9);
  EXPECT_EQ(TOVR_mtMatch(mt_, rules_, list, nullptr), 14);
}

TEST_F(MatchRunTest, MatchKeyThatIsGoneGivesStatus6) {
  TOVR_List* list = list_of(kFour);
  ASSERT_EQ(TOVR_mkFree(mk_, "KEY"), 0);
  TOVR_Case* c = nullptr;
  EXPECT_EQ(TOVR_mtMatch(mt_, rules_, list, &c), 6);
  EXPECT_EQ(c, nullptr);
  // A layout of the same name but another length is not the one the rules were made for.
  fs_.put("short.dct", "\\FORMAT\\ SORT=N\nNM C 5 S\n");
  ASSERT_EQ(mkDictLoad(mk_, "KEY", "short.dct", "short.dct"), 0);
  EXPECT_EQ(TOVR_mtMatch(mt_, rules_, list, &c), 6);
}

TEST_F(MatchRunTest, EachCaseSeesTheMatchKeyOfItsRun) {
  TOVR_List* list = list_of(kFour);
  TOVR_Case* first = nullptr;
  ASSERT_EQ(TOVR_mtMatch(mt_, rules_, list, &first), 0);
  set("NM", "JONES");
  TOVR_Case* second = nullptr;
  ASSERT_EQ(TOVR_mtMatch(mt_, rules_, list, &second), 0);
  EXPECT_EQ(get(first, -1).record, kFour[0]);
  EXPECT_EQ(get(second, -1).record, kFour[2]);
  EXPECT_EQ(get(second, -1).weight, 632);
}

TEST_F(MatchRunTest, CaseOfAnEmptiedListFindsNoRecords) {
  TOVR_List* list = list_of(kFour);
  TOVR_Case* c = nullptr;
  ASSERT_EQ(TOVR_mtMatch(mt_, rules_, list, &c), 0);
  ASSERT_EQ(TOVR_mtFreeCands(mt_, &list), 0);
  EXPECT_EQ(get(c, 1).status, 16);
  EXPECT_EQ(get(c, -2).status, 16);
}

TEST_F(MatchRunTest, ReuseAllocatesNothing) {
  std::vector<std::string> records(75, "SMITH     00100");
  auto cycle = [&] {
    TOVR_List* list = list_of(records);
    TOVR_Case* c = nullptr;
    ASSERT_EQ(TOVR_mtMatch(mt_, rules_, list, &c), 0);
    EXPECT_EQ(get(c, -75).status, 0);
    EXPECT_EQ(TOVR_mtEndMatch(mt_, &c), 0);
    EXPECT_EQ(TOVR_mtFreeCands(mt_, &list), 0);
  };
  cycle();
  AllocationFaults counter;
  cycle();
  EXPECT_EQ(counter.calls(), 0);
}

TEST_F(MatchRunTest, AllocationFailuresDuringAMatch) {
  std::vector<std::string> records(60, "SMITH     00104");
  records.push_back("SMITH     00100");
  const long runs = sweep_allocation_failures([&](AllocationFaults& faults) {
    TOVR_Mt* mt = nullptr;
    int status = TOVR_mtInit(&mt, mk_);
    if (status != 0) {
      EXPECT_EQ(status, 1);
      EXPECT_EQ(mt, nullptr);
      return;
    }
    TOVR_List* list = nullptr;
    status = TOVR_mtNewList(mt, kRecordLength, &list);
    if (status == 0) {
      for (const std::string& r : records) {
        status = TOVR_mtNewCand(mt, list, r.c_str());
        if (status != 0) break;
      }
    }
    TOVR_Case* c = nullptr;
    if (status == 0) status = TOVR_mtMatch(mt, rules_, list, &c);
    if (faults.injected()) {
      EXPECT_EQ(status, 1);
      EXPECT_EQ(c, nullptr);
    } else {
      ASSERT_EQ(status, 0);
      short weight = 0;
      char record[32];
      EXPECT_EQ(TOVR_mtGetCand(mt, c, -1, record, &weight, nullptr, nullptr), 0);
      EXPECT_EQ(weight, 632);
      EXPECT_STREQ(record, "SMITH     00100");
    }
    EXPECT_EQ(TOVR_mtClose(mt), 0);
  });
  EXPECT_GE(runs, 8) << "each allocation of the scenario failed once";
}

class MatchTypesRunTest : public MatcherFixture {
 protected:
  int run(const std::string& rules, const std::vector<std::string>& records, short length) {
    EXPECT_EQ(load(rules), 0);
    list_ = nullptr;
    EXPECT_EQ(TOVR_mtNewList(mt_, length, &list_), 0);
    for (const std::string& r : records) EXPECT_EQ(TOVR_mtNewCand(mt_, list_, r.c_str()), 0);
    return TOVR_mtMatch(mt_, rules_, list_, &case_);
  }
  short weight(short n, char* side = nullptr, float* position = nullptr) {
    char record[128];
    short w = -1;
    EXPECT_EQ(TOVR_mtGetCand(mt_, case_, n, record, &w, side, position), 0);
    return w;
  }
  TOVR_List* list_ = nullptr;
  TOVR_Case* case_ = nullptr;
};

TEST_F(MatchTypesRunTest, DoubleIntervalReportsSideAndPosition) {
  set("HN", "25");
  ASSERT_EQ(run("VAR L1 1 5 S\nVAR H1 6 5 S\nVAR L2 11 5 S\nVAR H2 16 5 S\n"
                "MATCH D_INT HN L1 H1 L2 H2 0.9 0.1 ZERO_VAL\n",
                {"   10   20   21   31", "   20   30   21   31", "   40   50   60   70"}, 20),
            0);
  char side = '?';
  float position = 0;
  EXPECT_EQ(weight(1, &side, &position), 316);
  EXPECT_EQ(side, 'R');
  EXPECT_FLOAT_EQ(position, 40.0f);
  EXPECT_EQ(weight(2, &side, &position), 316);
  EXPECT_EQ(side, 'L');
  EXPECT_FLOAT_EQ(position, 50.0f);
  EXPECT_EQ(weight(3, &side, &position), -316);
  EXPECT_EQ(side, ' ');
  EXPECT_FLOAT_EQ(position, 0.0f);
}

TEST_F(MatchTypesRunTest, LrCharFollowsTheSideOfAnEarlierDoubleInterval) {
  set("HN", "25");
  set("NM", "MAIN");
  ASSERT_EQ(run("VAR L1 1 5 S\nVAR H1 6 5 S\nVAR L2 11 5 S\nVAR H2 16 5 S\n"
                "VAR LEFT 21 6 S\nVAR RIGHT 27 6 S\n"
                "MATCH D_INT HN L1 H1 L2 H2 0.9 0.1 ZERO_VAL\n"
                "MATCH LR_CHAR NM LEFT RIGHT 0.9 0.1 BASED_PREV\n",
                {"   10   20   21   31ELM   MAIN  ", "   20   30   21   31ELM   MAIN  "}, 32),
            0);
  EXPECT_EQ(weight(1), 316 + 316) << "right side: MAIN";
  EXPECT_EQ(weight(2), 316 - 316) << "left side: ELM";
}

TEST_F(MatchTypesRunTest, UncertAndArrayInAFullRun) {
  set("NM", "MARTHA");
  set("KD", "AAABBBCCC");
  ASSERT_EQ(run("VAR NAME 1 10 S\nVAR CNT 11 1 S\nARRAY_ADJ KIDS 12 3 3 S CNT\n"
                "MATCH UNCERT NM NAME 0.9 0.1 700\n"
                "MATCH ARRAY CHAR KD 3 KIDS 0.9 0.1\n",
                {"MARHTA    2BBBAAAXXX", "MARTHA    3BBBAAAXXX", "JONES     9XXXYYYZZZ"}, 20),
            0);
  EXPECT_EQ(weight(1), 158 + 316) << "two items in use, both paired";
  EXPECT_EQ(weight(2), 316 + 632 / 3);
  EXPECT_EQ(weight(3), -316 - 316);
}

}  // namespace
}  // namespace tovr::test

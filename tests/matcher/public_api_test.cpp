// A host's whole run through the exported functions only: the match key comes from a
// standardizer compile, the rules list their errors in a message file, and the candidates
// are scored and handed out best first.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/test_support.h"
#include "tovr.h"

namespace tovr::test {
namespace {

// Layout ADDR: NM name (C 10 S), HN house number (N 5 S).
constexpr char kDictionary[] = "\\FORMAT\\ SORT=N\nNM C 10 S\nHN N 5 S\n";

// NAME in columns 1-10 by CHAR; LOW and HIGH a house number range by INTERVAL_PAR.
constexpr char kRules[] =
    "; names and house number ranges\n"
    "VAR NAME 1 10 S\n"
    "VAR LOW 11 5 S\n"
    "VAR HIGH 16 5 X\n"
    "MATCH CHAR NM NAME 0.9 0.1\n"
    "MATCH INTERVAL_PAR HN LOW HIGH 0.9 0.1 ZERO_VAL\n";

class PublicMatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_.put("ADDR.DCT", kDictionary);
    fs_.put("ADDR.CLS", "STREET ST T\n");
    fs_.put("ADDR.PAT", "?\nCOPY [1] {NM}\n");
    fs_.put("std.stn", "STANDARDIZE ADDR\nRECORD 80\n");
    ASSERT_EQ(TOVR_mkInit(&mk_), 0);
    short total = 0;
    ASSERT_EQ(TOVR_asStanComp("std.stn", &stan_, mk_, &total), 0) << console_.text();
    ASSERT_EQ(TOVR_mtInit(&mt_, mk_), 0);
    console_.clear();
  }
  void TearDown() override {
    EXPECT_EQ(TOVR_mtClose(mt_), 0);
    EXPECT_EQ(TOVR_asCloseStan(stan_), 0);
    TOVR_mkClose(mk_);
    EXPECT_EQ(fs_.open_streams(), 0);
  }

  void set(const char* field, const char* value) {
    std::string v = value;
    ASSERT_EQ(TOVR_mkSet(mk_, "ADDR", field, v.data()), 0);
  }

  MemFs fs_;
  ConsoleCapture console_;
  TOVR_Mk* mk_ = nullptr;
  TOVR_Stan* stan_ = nullptr;
  TOVR_Mt* mt_ = nullptr;
};

TEST_F(PublicMatcherTest, HostRunScoresRanksAndReleases) {
  fs_.put("rules.txt", kRules);
  TOVR_Rules* rules = nullptr;
  ASSERT_EQ(TOVR_mtLoad(mt_, "rules.txt", "addr", "rules.lst", &rules), 0) << console_.text();
  set("NM", "SMITH");
  set("HN", "14");

  TOVR_List* list = nullptr;
  ASSERT_EQ(TOVR_mtNewList(mt_, 20, &list), 0);
  for (const char* r : {"JONES        10   20",    // -316 + 316, position 40
                        "SMITH        10   20",    // 316 + 316
                        "SMITH        11   21",    // 316 - 316: parity differs, position kept
                        "SMITH        20   10"}) {  // ends swapped: 316 + 316, position 60
    ASSERT_EQ(TOVR_mtNewCand(mt_, list, r), 0);
  }
  TOVR_Case* c = nullptr;
  ASSERT_EQ(TOVR_mtMatch(mt_, rules, list, &c), 0);

  const struct {
    short n;
    int candidate;
    short weight;
    char side;
    float position;
  } expected[] = {{-1, 2, 632, ' ', 40.0f}, {-2, 4, 632, ' ', 60.0f}, {-3, 1, 0, ' ', 40.0f},
                  {-4, 3, 0, ' ', 50.0f},   {3, 3, 0, ' ', 50.0f}};
  for (const auto& e : expected) {
    char record[32];
    short weight = -1;
    char side = '?';
    float position = -1.0f;
    ASSERT_EQ(TOVR_mtGetCand(mt_, c, e.n, record, &weight, &side, &position), 0) << e.n;
    char want[32];
    ASSERT_EQ(TOVR_mtGetCand(mt_, c, static_cast<short>(e.candidate), want, nullptr, nullptr,
                             nullptr),
              0);
    EXPECT_STREQ(record, want) << e.n;
    EXPECT_EQ(weight, e.weight) << e.n;
    EXPECT_EQ(side, e.side) << e.n;
    EXPECT_FLOAT_EQ(position, e.position) << e.n;
  }
  char record[32] = "x";
  EXPECT_EQ(TOVR_mtGetCand(mt_, c, -5, record, nullptr, nullptr, nullptr), 16);
  EXPECT_STREQ(record, "");

  EXPECT_EQ(TOVR_mtEndMatch(mt_, &c), 0);
  EXPECT_EQ(c, nullptr);
  EXPECT_EQ(TOVR_mtFreeCands(mt_, &list), 0);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(TOVR_mtFreeRules(&rules), 0);
  EXPECT_EQ(rules, nullptr);
  EXPECT_EQ(console_.text(), "");
}

}  // namespace
}  // namespace tovr::test

// The spelling expansion: the similarity score, the candidate list, and the widening of
// terms with and without a host callback that drops candidates.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "index/QueryParser.h"
#include "index/SpellExpansion.h"
#include "index/SpellScore.h"
#include "query_test_util.h"

namespace tovr::test {
namespace {

float score(const std::string& a, const std::string& b) {
  return spell_score(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
}

TEST(SpellScore, JaroScaledTo900) {
  EXPECT_FLOAT_EQ(score("MARTHA", "MARHTA"), 850.0f);
  EXPECT_FLOAT_EQ(score("martha", "MARTHA"), 900.0f);
  EXPECT_FLOAT_EQ(score("", ""), 900.0f);
  EXPECT_FLOAT_EQ(score("ABC", "XYZ"), 0.0f);
  EXPECT_FLOAT_EQ(score("ABC", ""), 0.0f);
  // The window reaches w characters back but only w - 1 ahead: X of XAB finds no partner.
  EXPECT_FLOAT_EQ(score("XAB", "ABX"), 700.0f);
  EXPECT_FLOAT_EQ(score("ABX", "XAB"), 750.0f);
}

TEST(SpellScore, WindowGrowsWithTheLongerText) {
  // X is two places ahead in b: found from 11 characters on (window 3), not below.
  EXPECT_FLOAT_EQ(score("XBCDEFGHIJ", "BCXDEFGHIJ"), 840.0f);
  EXPECT_NEAR(score("XBCDEFGHIJK", "BCXDEFGHIJK"), 300.0 * (2.0 + 9.5 / 11.0), 1e-3);
  // Three places ahead: found from 16 characters on (window 4).
  EXPECT_NEAR(score("XBCDEFGHIJKLMNO", "BCDXEFGHIJKLMNO"), 300.0 * (2.0 * 14 / 15 + 1), 1e-3);
  EXPECT_FLOAT_EQ(score("XBCDEFGHIJKLMNOP", "BCDXEFGHIJKLMNOP"), 862.5f);
}

TEST(CandidateList, KeepsTheHundredBestInStableOrder) {
  CandidateList& list = spell_candidates();
  list.clear();
  for (int i = 0; i < 150; ++i) {
    const std::string key = "K" + std::to_string(i);
    list.offer(key.c_str(), static_cast<int>(key.size()), static_cast<float>(700 + i % 50));
  }
  ASSERT_EQ(list.count(), kMaxCandidates);
  // Scores 749 down to 700, each held by three keys; 100 places hold 749..717 whole and
  // the first key of score 716.
  EXPECT_STREQ(list.key(0), "K49");
  EXPECT_STREQ(list.key(1), "K99");
  EXPECT_STREQ(list.key(2), "K149");
  EXPECT_STREQ(list.key(99), "K16");
  EXPECT_FLOAT_EQ(list.score(99), 716.0f);
  for (int i = 1; i < list.count(); ++i) EXPECT_GE(list.score(i - 1), list.score(i));
  // Equal to the hundredth is not enough.
  list.offer("LATE", 4, 716.0f);
  EXPECT_STREQ(list.key(99), "K16");
  list.offer("BEST", 4, 900.0f);
  EXPECT_STREQ(list.key(0), "BEST");
  EXPECT_STREQ(list.key(99), "K117");
}

// A bucket served from a list of keys.
class FakeBucket : public BucketKeys {
 public:
  explicit FakeBucket(std::vector<std::string> keys) : keys_(std::move(keys)) {}
  void scan(XrefEntry* index, const char* key, KeyVisitor& visitor) override {
    ++scans;
    scanned_index = index;
    scanned_key = key;
    for (const std::string& k : keys_) {
      if (!visitor.visit(k.c_str(), static_cast<int>(k.size()))) return;
    }
  }
  int scans = 0;
  XrefEntry* scanned_index = nullptr;
  std::string scanned_key;

 private:
  std::vector<std::string> keys_;
};

// What the callback saw, and which candidates it drops.
struct CallbackLog {
  int calls = 0;
  std::vector<std::string> keys;
  std::vector<float> scores;
  std::string term;
  std::vector<int> drop;
};
CallbackLog* g_log = nullptr;

int record_and_drop(int count, char** keys, float* scores, const char* term) {
  ++g_log->calls;
  g_log->keys.assign(keys, keys + count);
  g_log->scores.assign(scores, scores + count);
  g_log->term = term;
  for (int i : g_log->drop) keys[i] = nullptr;
  return 0;
}

class SpellExpansion : public ::testing::Test {
 protected:
  void SetUp() override { g_log = &log_; }
  void TearDown() override { g_log = nullptr; }

  std::string expand(const std::string& text, const std::vector<std::string>& bucket_keys,
                     float threshold = 0.0f, bool with_callback = true) {
    FakeBucket bucket(bucket_keys);
    SpellExpander expander(bucket, threshold, with_callback ? &record_and_drop : nullptr);
    const int result = parse_query(text.c_str(), indexes_.sources(&expander), &program_);
    scans_ = bucket.scans;
    if (bucket.scans > 0) {
      EXPECT_EQ(bucket.scanned_index, indexes_.base());
    }
    if (result != kParseOk) return "error " + std::to_string(result);
    EXPECT_TRUE(well_formed(program_));
    return program_text(program_, indexes_);
  }

  FakeIndexes indexes_;
  QueryProgram program_;
  CallbackLog log_;
  int scans_ = 0;
};

const std::vector<std::string> kNames = {"MARHTA", "MARTHA", "XAVIER", "MARTA", "MARTHE"};

TEST_F(SpellExpansion, StoredTermStaysAndOthersAreOred) {
  // MARTHA 900; MARHTA 850; MARTA 850; MARTHE 300 * (5/6 + 5/6 + 1) = 800.
  EXPECT_EQ(expand("MARTHA?", kNames), "MARTHA MARHTA / MARTA / MARTHE /");
  EXPECT_EQ(log_.calls, 1);
  EXPECT_EQ(log_.term, "MARTHA");
  EXPECT_EQ(log_.keys, (std::vector<std::string>{"MARTHA", "MARHTA", "MARTA", "MARTHE"}));
  EXPECT_FLOAT_EQ(log_.scores[0], 900.0f);
  EXPECT_FLOAT_EQ(log_.scores[3], 800.0f);
  EXPECT_EQ(expand("MARTHA? & x", kNames, 820.0f), "MARTHA MARHTA / MARTA / x &");
  EXPECT_EQ(expand("MARTHA?", kNames, 900.0f), "MARTHA");
}

TEST_F(SpellExpansion, TermWithoutItsOwnKeyBecomesEmpty) {
  // MARTHA and MARTHE 800, MARHTA and MARTA 740.
  EXPECT_EQ(expand("MARTHX?", kNames), "~MARTHX MARTHA / MARTHE / MARHTA / MARTA /");
  EXPECT_EQ(expand("QQQ?", kNames), "~QQQ");
  EXPECT_EQ(log_.calls, 2);
  EXPECT_TRUE(log_.keys.empty());
  // Without a callback the same candidates are taken.
  EXPECT_EQ(expand("MARTHX?", kNames, 0.0f, false), "~MARTHX MARTHA / MARTHE / MARHTA / MARTA /");
}

TEST_F(SpellExpansion, CallbackDropsCandidates) {
  log_.drop = {2};
  EXPECT_EQ(expand("MARTHA?", kNames), "MARTHA MARHTA / MARTHE /");
  log_.drop = {0};
  EXPECT_EQ(expand("MARTHA?", kNames), "~MARTHA MARHTA / MARTA / MARTHE /");
  log_.drop = {0, 1, 2, 3};
  EXPECT_EQ(expand("MARTHA?", kNames), "~MARTHA");
}

const std::vector<std::string> kPeople = {"SMITH\\JOHN", "SMITH\\JANE",    "SMYTH\\JOHN",
                                          "SMITH",       "SMITHSON\\JOHN", "JONES\\JOHN"};

TEST_F(SpellExpansion, HeadAndTailTerms) {
  // Head-only: every head like SMITH, the term itself never stays. SMITHSON 787.5, SMYTH 780.
  EXPECT_EQ(expand("SMITH+", kPeople),
            "~SMITH SMITH\\JOHN / SMITH\\JANE / SMITH / SMITHSON\\JOHN / SMYTH\\JOHN /");
  // Head with a tail: the tails must be equal.
  EXPECT_EQ(expand("SMITH+\\john", kPeople), "SMITH\\john SMITHSON\\JOHN / SMYTH\\JOHN /");
  EXPECT_EQ(log_.keys.front(), "SMITH\\JOHN");
  // Tail: the heads must be equal; JOHN against JON scores 300 * (3/4 + 1 + 1) = 825.
  EXPECT_EQ(expand("SMITH\\JON+", kPeople), "~SMITH\\JON SMITH\\JOHN /");
  // Without a head every head is allowed.
  EXPECT_EQ(expand("\\JON+", {"\\JOHN", "X\\JOHN"}), "~\\JON \\JOHN / X\\JOHN /");
}

TEST_F(SpellExpansion, AllTailsTakesEveryKeyOfTheHeadWithoutScoring) {
  EXPECT_EQ(expand("smith\\", kPeople), "~smith\\ SMITH\\JOHN / SMITH\\JANE / SMITH /");
  EXPECT_EQ(log_.calls, 0);
  // With a tail the term names one key and is not widened.
  EXPECT_EQ(expand("SMITH\\JOHN", kPeople), "SMITH\\JOHN");
  EXPECT_EQ(scans_, 0);
}

TEST_F(SpellExpansion, ThresholdBelowOneMeansSevenHundred) {
  // XAB scores 700 exactly against ABX, QQX 500.
  EXPECT_EQ(expand("ABX?", {"QQX", "XAB"}, 0.5f), "~ABX XAB /");
  EXPECT_EQ(expand("ABX?", {"QQX", "XAB"}, 701.0f), "~ABX");
  EXPECT_EQ(expand("ABX?", {"QQX", "XAB"}, 500.0f), "~ABX XAB / QQX /");
}

TEST_F(SpellExpansion, LongStoredKeysAreNoCandidates) {
  const std::string long_key = "MARTHA" + std::string(80, 'A');
  EXPECT_EQ(expand("MARTHA?", {long_key, "MARTHA"}, 100.0f), "MARTHA");
  EXPECT_EQ(expand("MARTHA\\", {"MARTHA\\" + std::string(80, 'A')}), "~MARTHA\\");
}

TEST_F(SpellExpansion, TooManyCandidatesFillTheProgram) {
  std::vector<std::string> many;
  for (int i = 0; i < 150; ++i) many.push_back("MARTHA" + std::to_string(i));
  // 100 candidates: the term and 200 entries.
  expand("MARTHA?", many, 100.0f);
  EXPECT_EQ(program_.count, 201);
  expand("a b c d MARTHA?", many, 100.0f);
  EXPECT_EQ(program_.count, 209);
  EXPECT_EQ(expand("a b c d e MARTHA?", many, 100.0f), "error " + std::to_string(kProgramFull));
  EXPECT_EQ(program_.count, 0);
  EXPECT_EQ(expand("MARTHA\\ / x", {}, 100.0f), "~MARTHA\\ x /");
  std::vector<std::string> tails;
  for (int i = 0; i < 120; ++i) tails.push_back("MARTHA\\" + std::to_string(i));
  EXPECT_EQ(expand("MARTHA\\", tails), "error " + std::to_string(kProgramFull));
}

}  // namespace
}  // namespace tovr::test

// Field comparisons, grouped by type. Unless a test says otherwise the weights are those of
// m = 0.9 and u = 0.1: A = 316, D = -316, M = 0, and both missing codes are S.
#include "matcher/compare.h"

#include <gtest/gtest.h>

#include <string>

#include "matcher/weights.h"

namespace tovr {
namespace {

constexpr std::int16_t A = 316;
constexpr std::int16_t D = -316;
constexpr std::int16_t M = 0;

class CompareTest : public ::testing::Test {
 protected:
  // A definition reading the whole match key record and, by default, the whole candidate
  // record as its one candidate field.
  static MatchDef define(std::int16_t type, float param = 0, bool reverse = false) {
    MatchDef d;
    d.type = type;
    d.reverse = reverse ? 1 : 0;
    d.param = param;
    d.mk_missing = 'S';
    d.cand_missing = 'S';
    const WeightSet w = compute_weights(0.9f, 0.1f);
    d.agree = w.agree;
    d.disagree = w.disagree;
    d.middle = w.middle;
    return d;
  }

  std::int16_t weigh(MatchDef d, const std::string& mk, const std::string& cand) {
    if (d.mk.length < 0) d.mk = {0, static_cast<std::int16_t>(mk.size())};
    if (d.cand_fields == 0) {
      d.cand_fields = 1;
      d.cand[0] = {0, static_cast<std::int16_t>(cand.size())};
    }
    ctx_.marks = marks_;
    ctx_.marks_size = sizeof marks_;
    return field_weight(d, mk.c_str(), cand.c_str(), static_cast<int>(cand.size()), ctx_);
  }

  CompareContext ctx_;
  char marks_[256];
};

TEST(Weights, FromProbabilities) {
  const WeightSet a = compute_weights(0.9f, 0.1f);
  EXPECT_EQ(a.agree, 316);
  EXPECT_EQ(a.disagree, -316);
  EXPECT_EQ(a.middle, 0);
  const WeightSet b = compute_weights(0.99f, 0.5f);
  EXPECT_EQ(b.agree, 98);
  EXPECT_EQ(b.disagree, -564);
  EXPECT_EQ(b.middle, -233) << "(98 - 564) / 2 truncates toward zero";
  const WeightSet d = compute_weights(0.8f, 0.3f);  // 141.5 and -180.7
  EXPECT_EQ(d.agree, 141);
  EXPECT_EQ(d.disagree, -180);
  EXPECT_EQ(d.middle, -19);
}

TEST_F(CompareTest, CharAgreesOnEqualTextAfterTrailingBlanks) {
  const MatchDef d = define(kChar);
  EXPECT_EQ(weigh(d, "SMITH", "SMITH     "), A);
  EXPECT_EQ(weigh(d, "SMITH", "SMYTH"), D);
  EXPECT_EQ(weigh(d, "Smith", "SMITH"), D) << "case-sensitive";
  EXPECT_EQ(weigh(d, " SMITH", "SMITH "), D) << "leading blanks count";
  EXPECT_EQ(weigh(d, "     ", "SMITH"), M);
  EXPECT_EQ(weigh(d, "SMITH", "     "), M);
  EXPECT_TRUE(ctx_.cand_missing && !ctx_.mk_missing && !ctx_.both_missing);
  EXPECT_EQ(weigh(d, "   ", "  "), M);
  EXPECT_TRUE(ctx_.both_missing);
}

TEST_F(CompareTest, ReverseCharSwapsAgreementAndDisagreement) {
  const MatchDef d = define(kChar, 0, true);
  EXPECT_EQ(weigh(d, "SMITH", "SMITH"), D);
  EXPECT_EQ(weigh(d, "SMITH", "JONES"), A);
  EXPECT_EQ(weigh(d, "SMITH", "     "), M);
}

TEST_F(CompareTest, MissingCodes) {
  MatchDef d = define(kChar);
  d.mk_missing = 'Z';
  EXPECT_EQ(weigh(d, "00 0", "0000"), M);
  d.mk_missing = '9';
  EXPECT_EQ(weigh(d, "9999", "9999"), M);
  EXPECT_EQ(weigh(d, "99  ", "99"), M) << "tested after trailing blanks are dropped";
  d.mk_missing = 'X';
  d.cand_missing = 'X';
  EXPECT_EQ(weigh(d, "    ", "  "), A) << "X: blanks are a value like any other";
  d.mk_missing = 'N';
  EXPECT_EQ(weigh(d, "-5", "-5"), A) << "N never applies to text";
  MatchDef n = define(kNum);
  n.mk_missing = 'N';
  EXPECT_EQ(weigh(n, " -5", " -5"), M);
  EXPECT_EQ(weigh(n, "  5", "  5"), A);
}

TEST_F(CompareTest, PrefixAgreesWhenTheShorterStartsTheLonger) {
  const MatchDef d = define(kPrefix);
  EXPECT_EQ(weigh(d, "JOHN", "JOHNSON"), A);
  EXPECT_EQ(weigh(d, "JOHNSON   ", "JOHN"), A);
  EXPECT_EQ(weigh(d, "JOHNX", "JOHNSON"), D);
}

TEST_F(CompareTest, UncertScoresCommonAndTransposedCharacters) {
  const MatchDef d = define(kUncert, 700);
  EXPECT_EQ(similarity_score({"MARTHA", 6}, {"MARHTA", 6}, marks_), 850);
  EXPECT_EQ(similarity_score({"ABC", 3}, {"ABC", 3}, marks_), 900);
  EXPECT_EQ(similarity_score({"ABC", 3}, {"XYZ", 3}, marks_), 0);
  // c = 6, t = 2, h = 1: -316 - trunc(850 - 700) * 632 / trunc(700 - 900) = 158.
  EXPECT_EQ(weigh(d, "MARTHA", "MARHTA"), 158);
  EXPECT_EQ(weigh(d, "MARTHA", "MARTHA  "), A);
  EXPECT_EQ(weigh(d, "  MARTHA", "MARTHA"), A) << "leading blanks dropped as well";
  EXPECT_EQ(weigh(d, "ABC", "XYZ"), D);
  // DWAYNE / DUANE: c = 4, t = 0; s = 300 + 240 + 200 = 740 -> -316 + 40 * 632 / 200 = -190.
  EXPECT_EQ(weigh(d, "DWAYNE", "DUANE"), -190);
  // Below PARAM the weight stays at D.
  EXPECT_EQ(weigh(define(kUncert, 890), "MARTHA", "MARHTA"), D);
}

TEST_F(CompareTest, UncertWindowIsAtLeastTwo) {
  // Strings of length 3: max(3, 3) / 2 - 1 = 0, widened to 2; j runs below i + 2.
  // All three are common; in order they read ABC beside CAB: t = 3, h = 1.
  EXPECT_EQ(similarity_score({"ABC", 3}, {"CAB", 3}, marks_), 200 + 300 + 300);
  // "AXXXXXXB" against "BXXXXXXA": A and B lie 7 apart, outside the window of 3.
  EXPECT_EQ(similarity_score({"AXXXXXXB", 8}, {"BXXXXXXA", 8}, marks_),
            300 * 6 / 6 + 300 * 6 / 8 + 300 * 6 / 8);
}

TEST_F(CompareTest, UncertParamAtTheTopAgreesOnlyOnEqualValues) {
  for (float p : {899.0f, 899.5f, 900.0f}) {
    const MatchDef d = define(kUncert, p);
    EXPECT_EQ(weigh(d, "MARTHA", "MARTHA"), A) << p;
    EXPECT_EQ(weigh(d, "MARTHA", "MARTHE"), D) << p;
  }
  EXPECT_EQ(weigh(define(kUncert, 898), "ABCDEFGHIJ", "ABCDEFGHIK"), D) << "s = 840 < 898";
}

TEST_F(CompareTest, ReverseUncertStaysAtOrBelowTheSwappedD) {
  const MatchDef d = define(kUncert, 700, true);
  EXPECT_EQ(weigh(d, "MARTHA", "MARHTA"), -158);
  EXPECT_EQ(weigh(d, "MARTHA", "MARTHA"), D);
  EXPECT_EQ(weigh(d, "DWAYNE", "DUANE"), 190);
  EXPECT_EQ(weigh(d, "ABC", "XYZ"), A);
}

TEST_F(CompareTest, NumComparesNumbersAndGivesMForText) {
  const MatchDef d = define(kNum);
  EXPECT_EQ(weigh(d, "  42", "042 "), A);
  EXPECT_EQ(weigh(d, "42", "43"), D);
  EXPECT_EQ(weigh(d, "4A", "4A"), M);
  EXPECT_EQ(weigh(d, "-7", "-7.9"), A) << "the integer at the start";
}

TEST_F(CompareTest, AbsAgreesWithinTheTolerance) {
  EXPECT_EQ(weigh(define(kAbs, 0), "5", "5"), A);
  EXPECT_EQ(weigh(define(kAbs, 0), "5", "6"), D);
  EXPECT_EQ(weigh(define(kAbs, 2.9f), "5", "7"), A) << "abs(d) < trunc(2.9) + 1";
  EXPECT_EQ(weigh(define(kAbs, 2.9f), "5", "8"), D);
  EXPECT_EQ(weigh(define(kAbs, 2, true), "5", "7"), D);
}

TEST_F(CompareTest, ProratInterpolatesBetweenAAndD) {
  const MatchDef d = define(kProrat, 9);
  EXPECT_EQ(weigh(d, "100", "100"), A);
  EXPECT_EQ(weigh(d, "100", "104"), 64) << "316 + (-632) * 4 / 10";
  EXPECT_EQ(weigh(d, "100", "109"), -252) << "316 - 5688 / 10 truncates toward zero";
  EXPECT_EQ(weigh(d, "100", "110"), D);
  EXPECT_EQ(weigh(define(kProrat, 9, true), "100", "104"), -64);
  EXPECT_EQ(weigh(define(kProrat, 9, true), "100", "110"), A);
}

TEST_F(CompareTest, TimeCountsMinutesAcrossMidnight) {
  const MatchDef d = define(kTime, 30);
  // 23:50 and 00:10 are 20 minutes apart: 316 - 12640 / 31 = -91.
  EXPECT_EQ(weigh(d, "2350", "0010"), -91);
  EXPECT_EQ(weigh(d, "0010", "2350"), -91);
  EXPECT_EQ(weigh(d, "1200", "1215"), 316 - 632 * 15 / 31);
  EXPECT_EQ(weigh(d, "0600", "1800"), D) << "720 minutes";
  EXPECT_EQ(weigh(d, "1159", "1159"), A);
}

TEST_F(CompareTest, DeltaIsAPercentageOfTheSmallerValue) {
  const MatchDef d = define(kDelta, 10);
  EXPECT_EQ(weigh(d, "100", "105"), 29) << "316 + (-632) * 5 * 100 / (100 * 11)";
  EXPECT_EQ(weigh(d, "105", "100"), 29);
  EXPECT_EQ(weigh(d, "100", "120"), D) << "never beyond D";
  EXPECT_EQ(weigh(d, "0", "5"), D);
  EXPECT_EQ(weigh(d, "100", "100"), A);
  EXPECT_EQ(weigh(d, "-100", "-105"), 316 - 316000 / 1155)
      << "negative amounts: percent of the smaller one's size (105)";
  EXPECT_EQ(weigh(define(kDelta, 10, true), "100", "105"), -29);
}

TEST_F(CompareTest, DatesBecomeDayNumbers) {
  CompareContext ctx;
  EXPECT_EQ(day_number({"950101", 6}, false, ctx), 365 * 95 + 1) << "95 is 1895";
  EXPECT_EQ(day_number({"930101", 6}, false, ctx), 365 * 193 + 1) << "93 is 1993";
  EXPECT_EQ(day_number({"18000101", 8}, true, ctx), 1);
  EXPECT_EQ(day_number({"17991231", 8}, true, ctx), 334 + 31);
  EXPECT_EQ(day_number({"20000301", 8}, true, ctx), 365 * 200 + 59 + 1) << "February has 28";
  EXPECT_EQ(day_number({"2000AB01", 8}, true, ctx), 0);
  EXPECT_EQ(day_number({"200003", 6}, true, ctx), 0) << "too short for DATE8";
  // A date of digits only is read at once, any other part by part. Characters next to the
  // digits in the character set (and others sharing their nibbles) are no digits anywhere.
  EXPECT_EQ(day_number({"99991231", 8}, true, ctx), 365 * 8199 + 334 + 31);
  EXPECT_EQ(day_number({"19991231X", 8}, true, ctx), 365 * 199 + 334 + 31) << "eight only";
  EXPECT_EQ(day_number({"2000 301", 8}, true, ctx), 365 * 200 + 59 + 1) << "month ' 3'";
  for (int at = 0; at < 8; ++at) {
    for (const char c : {'/', ':', '?', 'p', '@', '\x90', '\xB5'}) {
      char text[9] = "20000301";
      text[at] = c;
      EXPECT_EQ(day_number({text, 8}, true, ctx), 0) << text;
    }
  }

  const MatchDef d8 = define(kDate8, 5);
  EXPECT_EQ(weigh(d8, "19990101", "19990101"), A);
  EXPECT_EQ(weigh(d8, "19990101", "19990103"), 316 - 1264 / 6);
  EXPECT_EQ(weigh(d8, "19990301", "19990228"), 316 - 632 / 6) << "one day apart";
  EXPECT_EQ(weigh(d8, "19990101", "19990107"), D);
  const MatchDef d6 = define(kDate6, 5);
  EXPECT_EQ(weigh(d6, "991231", "991231"), A);
  EXPECT_EQ(weigh(d6, "991231", "000101"), 316 - 632 / 6) << "31 Dec 1899, 1 Jan 1900";
  EXPECT_EQ(weigh(d6, "931231", "940101"), D) << "1993 and 1894";
}

TEST_F(CompareTest, CntCountsDifferingPositions) {
  const MatchDef d = define(kCnt, 2);
  EXPECT_EQ(weigh(d, "ABCD", "ABCD"), A);
  EXPECT_EQ(weigh(d, "ABCD", "ABXD"), 316 - 632 / 3);
  EXPECT_EQ(weigh(d, "ABCD", "AB"), 316 - 1264 / 3) << "ended positions count";
  EXPECT_EQ(weigh(d, "ABCD", "WXYZ"), D);
  EXPECT_EQ(weigh(d, "AB  ", "AB"), 316 - 1264 / 3) << "no blank trimming";
  // Longer values: differences at both ends of an eight-character word, and in a high bit.
  const MatchDef wide = define(kCnt, 20);
  EXPECT_EQ(weigh(wide, "ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOPQ"), A);
  EXPECT_EQ(weigh(wide, "ABCDEFGHIJKLMNOPQ", "xBCDEFGxIJKLMNOPx"), 316 - 632 * 3 / 21);
  EXPECT_EQ(weigh(wide, "ABCDEFGHIJ",
                  "\xC1"
                  "BCDEFGHIJ"),
            316 - 632 / 21);
  EXPECT_EQ(weigh(wide, "ABCDEFGHIJ", "ABCDEFGHIJKLM"), 316 - 632 * 3 / 21);
  EXPECT_EQ(weigh(wide, "ABCDEFGHIJKLM", "ABCDEFGH"), 316 - 632 * 5 / 21);
}

class IntervalTest : public CompareTest {
 protected:
  // Match key number against low and high ends of 4 characters each.
  std::int16_t interval(std::int16_t type, std::int16_t mode, const std::string& x,
                        const std::string& low, const std::string& high, char cand_code = 'S') {
    MatchDef d = define(type);
    d.mode = mode;
    d.cand_missing = cand_code;
    d.cand_fields = 2;
    d.cand[0] = {0, 4};
    d.cand[1] = {4, 4};
    ctx_.position = 50.0f;
    return weigh(d, x, low + high);
  }
};

TEST_F(IntervalTest, ParityAndPosition) {
  EXPECT_EQ(interval(kIntervalPar, kZeroVal, "15", "  10", "  20"), D);
  EXPECT_FLOAT_EQ(ctx_.position, 50.0f) << "a parity miss leaves the position";
  EXPECT_EQ(interval(kIntervalPar, kZeroVal, "14", "  10", "  20"), A);
  EXPECT_FLOAT_EQ(ctx_.position, 40.0f);
  EXPECT_EQ(interval(kIntervalNo, kZeroVal, "15", "  10", "  20"), A);
  EXPECT_FLOAT_EQ(ctx_.position, 50.0f);
  EXPECT_EQ(interval(kIntervalNo, kZeroVal, " 9", "  10", "  20"), D);
  EXPECT_FLOAT_EQ(ctx_.position, 0.0f);
  EXPECT_EQ(interval(kIntervalNo, kZeroVal, "21", "  10", "  20"), D);
  EXPECT_FLOAT_EQ(ctx_.position, 100.0f);
}

TEST_F(IntervalTest, ReversedEndsCountThePositionFromTheOtherEnd) {
  EXPECT_EQ(interval(kIntervalNo, kZeroVal, "14", "  20", "  10"), A);
  EXPECT_FLOAT_EQ(ctx_.position, 60.0f);
  EXPECT_EQ(interval(kIntervalNo, kZeroVal, "10", "  10", "  10"), A);
  EXPECT_FLOAT_EQ(ctx_.position, 50.0f) << "low = high leaves the position";
}

TEST_F(IntervalTest, ZeroValFillsABlankEnd) {
  EXPECT_EQ(interval(kIntervalNo, kZeroVal, "12", "  12", "    "), A);
  EXPECT_EQ(interval(kIntervalNo, kZeroVal, "12", "    ", "  12", 'X'), A);
  EXPECT_EQ(interval(kIntervalNo, kZeroVal, "12", "    ", "    ", 'X'), M);
  EXPECT_EQ(interval(kIntervalNo, kZeroVal, "  ", "  10", "  20"), M);
  EXPECT_EQ(interval(kIntervalNo, kZeroVal, "12", "    ", "  20"), M) << "low missing by S";
}

TEST_F(IntervalTest, ZeroNulFillsAZeroHighEnd) {
  EXPECT_EQ(interval(kIntervalNo, kZeroNul, "12", "  12", "   0"), A);
  EXPECT_EQ(interval(kIntervalNo, kZeroNul, "13", "  12", "   0"), D);
  EXPECT_EQ(interval(kIntervalNo, kZeroNul, "12", "   0", "   0"), M);
  EXPECT_EQ(interval(kIntervalNo, kZeroNul, " 0", "   0", "  20"), M);
  EXPECT_EQ(interval(kIntervalNo, kZeroNul, " 5", "   0", "  20"), A) << "a low 0 stays 0";
}

TEST_F(IntervalTest, TextValuesDisagree) {
  EXPECT_EQ(interval(kIntervalNo, kZeroVal, "1A", "  10", "  20"), D);
  EXPECT_FLOAT_EQ(ctx_.position, 0.0f);
  EXPECT_EQ(interval(kIntervalNo, kZeroVal, "30", "  1A", "  20"), D);
  EXPECT_FLOAT_EQ(ctx_.position, 100.0f);
}

TEST_F(CompareTest, DoubleIntervalChoosesTheSide) {
  MatchDef d = define(kDoubleInterval);
  d.mode = kZeroVal;
  d.cand_fields = 4;
  for (int i = 0; i < 4; ++i) d.cand[i] = {static_cast<std::int16_t>(4 * i), 4};
  const std::string ranges = "  10  20  11  21";
  EXPECT_EQ(weigh(d, "14", ranges), A);
  EXPECT_EQ(ctx_.side, kSideLeft);
  EXPECT_FLOAT_EQ(ctx_.position, 40.0f);
  ctx_ = CompareContext{};
  EXPECT_EQ(weigh(d, "25", "  10  20  21  31"), A);
  EXPECT_EQ(ctx_.side, kSideRight);
  EXPECT_FLOAT_EQ(ctx_.position, 40.0f);
  ctx_ = CompareContext{};
  EXPECT_EQ(weigh(d, "99", ranges), D);
  EXPECT_EQ(ctx_.side, kSideNone);
  EXPECT_FLOAT_EQ(ctx_.position, 100.0f);
}

TEST_F(CompareTest, LrTypesFollowTheSide) {
  MatchDef d = define(kLrChar);
  d.cand_fields = 2;
  d.cand[0] = {0, 4};
  d.cand[1] = {4, 4};
  d.mode = kEither;
  EXPECT_EQ(weigh(d, "MAIN", "ELM MAIN"), A);
  EXPECT_EQ(weigh(d, "OAK", "ELM MAIN"), D);
  d.mode = kBasedPrev;
  ctx_.side = kSideNone;
  EXPECT_EQ(weigh(d, "MAIN", "ELM MAIN"), M);
  ctx_.side = kSideLeft;
  EXPECT_EQ(weigh(d, "MAIN", "ELM MAIN"), D);
  ctx_.side = kSideRight;
  EXPECT_EQ(weigh(d, "MAIN", "ELM MAIN"), A);
  MatchDef u = d;
  u.type = kLrUncert;
  u.param = 700;
  u.mode = kEither;
  u.cand[0] = {0, 6};
  u.cand[1] = {6, 6};
  EXPECT_EQ(weigh(u, "MARTHA", "XXXXXXMARHTA"), 158);
}

TEST_F(CompareTest, IntToIntAgreesOnOverlap) {
  MatchDef d = define(kIntToInt);
  d.mode = kZeroVal;
  d.mk = {0, 4};
  d.mk2 = {4, 4};
  d.cand_fields = 2;
  d.cand[0] = {0, 4};
  d.cand[1] = {4, 4};
  EXPECT_EQ(weigh(d, "  10  20", "  15  30"), A);
  EXPECT_EQ(weigh(d, "  10  20", "  20  30"), A) << "touching ends overlap";
  EXPECT_EQ(weigh(d, "  10  20", "  21  30"), D);
  EXPECT_EQ(weigh(d, "  20  10", "  30  15"), A) << "ends are ordered first";
  EXPECT_EQ(weigh(d, "  10    ", "  10  30"), A) << "blank high end takes the low";
  d.reverse = 1;
  EXPECT_EQ(weigh(d, "  10  20", "  15  30"), D);
  d.reverse = 0;
  d.mode = kZeroNul;
  EXPECT_EQ(weigh(d, "  25   0", "  10  30"), A);
  d.mk_missing = 'X';
  EXPECT_EQ(weigh(d, "   0   0", "  10  30"), M);
}

TEST_F(CompareTest, DistanceBetweenTwoPoints) {
  MatchDef d = define(kDistance, 10);
  d.mk = {0, 3};
  d.mk2 = {3, 3};
  d.cand_fields = 2;
  d.cand[0] = {0, 3};
  d.cand[1] = {3, 3};
  EXPECT_EQ(weigh(d, "  0  0", "  3  4"), 316 - 632 * 5 / 11);
  EXPECT_EQ(weigh(d, "  7  7", "  7  7"), A);
  EXPECT_EQ(weigh(d, "  0  0", " 30 40"), D);
  EXPECT_EQ(weigh(d, "  0  0", "  7  7"), 316 - 632 * 9 / 11) << "trunc(9.9) = 9";
  EXPECT_EQ(weigh(d, "  0  A", "  3  4"), M);
}

TEST_F(CompareTest, CandidateFieldOutsideTheRecordIsMissing) {
  MatchDef d = define(kChar);
  d.cand_fields = 1;
  d.cand[0] = {8, 5};
  EXPECT_EQ(weigh(d, "SMITH", "1234567SMITH"), M);
  EXPECT_TRUE(ctx_.cand_missing);
  d.cand[0] = {-1, 5};
  EXPECT_EQ(weigh(d, "SMITH", "SMITH"), M);
  d.cand[0] = {7, 5};
  EXPECT_EQ(weigh(d, "SMITH", "1234567SMITH"), A);
}

class ArrayTest : public CompareTest {
 protected:
  // Match key field of 9 in 3 items; candidate items of 3 at columns 0, 3 and 6; an optional
  // count variable in column 9.
  MatchDef array(std::int16_t element, int cand_items = 3, bool with_count = false) {
    MatchDef d = define(kArray, 0);
    d.element_type = element;
    d.mk = {0, 9};
    d.item_count = 3;
    d.cand_item_count = static_cast<std::int16_t>(cand_items);
    d.cand_fields = 1;
    d.cand[0] = {0, 3};
    for (int i = 0; i < kMaxItems; ++i) table_.item[i] = ItemSlot{};
    for (int i = 0; i < 3; ++i) {
      table_.item[i].mk_offset = static_cast<std::int16_t>(3 * i);
      table_.item[i].mk_length = 3;
    }
    for (int i = 0; i < cand_items; ++i) {
      table_.item[i].cand_start = static_cast<std::int16_t>(3 * i);
      table_.item[i].cand_length = 3;
    }
    d.items = &table_;
    if (with_count) {
      d.cand_count_var = 0;
      d.cand_count = {9, 1};
      d.cand_count_missing = 'S';
    }
    return d;
  }
  ItemTable table_;
};

TEST_F(ArrayTest, PairsItemsInAnyOrder) {
  const MatchDef d = array(kChar);
  EXPECT_EQ(weigh(d, "AAABBBCCC", "CCCAAABBB"), A);
  EXPECT_EQ(ctx_.assigned, 3);
  // Two pairs agree, CCC finds no partner: (316 + 316) / 3.
  EXPECT_EQ(weigh(d, "AAABBBCCC", "BBBXXXAAA"), 632 / 3);
  EXPECT_EQ(ctx_.assigned, 2);
  EXPECT_EQ(weigh(d, "AAABBBCCC", "XXXYYYZZZ"), D);
  EXPECT_STREQ(ctx_.mode_word, "REGULAR");
}

TEST_F(ArrayTest, MissingItemsAreNeverPaired) {
  const MatchDef d = array(kChar);
  EXPECT_EQ(weigh(d, "AAA      ", "XXXYYYAAA"), A) << "one usable item drives";
  EXPECT_EQ(weigh(d, "AAABBBCCC", "   BBB   "), A);
  EXPECT_EQ(weigh(d, "         ", "AAABBBCCC"), M);
  EXPECT_EQ(weigh(d, "AAABBBCCC", "         "), M);
}

TEST_F(ArrayTest, CountVariableLimitsTheCandidateItems) {
  const MatchDef d = array(kChar, 3, true);
  EXPECT_EQ(weigh(d, "AAABBBCCC", "XXXAAABBB1"), D) << "only XXX is in use";
  EXPECT_EQ(weigh(d, "AAABBBCCC", "AAAXXXBBB1"), A);
  EXPECT_EQ(weigh(d, "AAABBBCCC", "AAAXXXBBB0"), M) << "no items in use";
  EXPECT_EQ(weigh(d, "AAABBBCCC", "AAAXXXBBB9"), 632 / 3) << "held to the declared items";
  EXPECT_EQ(weigh(d, "AAABBBCCC", "AAAXXXBBB "), 632 / 3) << "a blank count is not taken";
  EXPECT_EQ(weigh(d, "AAABBBCCC", "AAAXXXBBBA"), 632 / 3) << "nor a letter";
}

TEST_F(ArrayTest, ItemsNeverPlacedCountAsMissing) {
  MatchDef d = array(kChar, 3);
  table_.item[2].cand_start = -1;
  EXPECT_EQ(weigh(d, "AAABBBCCC", "AAABBBCCC"), A) << "two usable candidate items drive";
}

TEST_F(ArrayTest, ElementTypesKeepTheirRules) {
  MatchDef d = array(kProrat);
  d.param = 9;
  // Items 100/104 agree partly (64), 200/200 fully; 300 finds no partner above M.
  EXPECT_EQ(weigh(d, "100200300", "200104900"), (316 + 64) / 3);
}

}  // namespace
}  // namespace tovr

// Fast forms of the value helpers against their plain twins on random values: trailing
// blanks dropped a word at a time, day numbers of dates written in digits only, the
// one-pass reading of a number with its tests, and short numbers read as one word.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "matcher/compare.h"

#include "support/test_random.h"

namespace tovr {
namespace {

using test::Lcg;
using test::random_value;

int plain_trimmed_length(const std::string& v) {
  int n = static_cast<int>(v.size());
  while (n > 1 && v[static_cast<std::size_t>(n - 1)] == ' ') --n;
  return n;
}

// Year part, then month and day parts, each read as a number when numeric; 365 days a year
// from 1800 and the months of a year of 365 days.
long long plain_day_number(const std::string& v, bool eight, const CompareContext& ctx) {
  static constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int yd = eight ? 4 : 2;
  if (static_cast<int>(v.size()) < yd + 4) return 0;
  const Text y{v.data(), yd};
  const Text m{v.data() + yd, 2};
  const Text d{v.data() + yd + 2, 2};
  if (!is_numeric(y) || !is_numeric(m) || !is_numeric(d)) return 0;
  long long year = read_number(y);
  if (!eight) year = year <= ctx.pivot ? ctx.base_year + year : ctx.base_year - 100 + year;
  long long days = year > 1800 ? 365 * (year - 1800) : 0;
  for (long long k = 1; k < read_number(m) && k <= 12; ++k) days += kMonthDays[k - 1];
  return days + read_number(d);
}

TEST(FieldValuesTest, TrailingBlanksDroppedByWordsAsByCharacters) {
  Lcg rnd(7);
  for (int round = 0; round < 20000; ++round) {
    // Words of mostly blanks, so long runs of blanks cross the eight-character steps.
    const std::string v = random_value(rnd, rnd.below(41), round % 2 ? "    A" : "       \tB");
    const Text t = trim_trailing({v.data(), static_cast<int>(v.size())});
    ASSERT_EQ(t.length, plain_trimmed_length(v)) << "[" << v << "]";
    ASSERT_EQ(t.data, v.data());
  }
  EXPECT_EQ(trim_trailing({"                ", 16}).length, 1);
  EXPECT_EQ(trim_trailing({"", 0}).length, 0);
}

TEST(FieldValuesTest, DayNumbersOfDigitDatesEqualThePartByPartReading) {
  CompareContext ctx;
  Lcg rnd(11);
  for (int round = 0; round < 20000; ++round) {
    const bool eight = round % 2 == 0;
    // One round in four writes blanks, signs or points among the digits.
    const std::string alphabet = round % 4 == 1 ? "0123456789 -." : "0123456789";
    const std::string v = random_value(rnd, eight ? 8 : 6, alphabet);
    ASSERT_EQ(day_number({v.data(), static_cast<int>(v.size())}, eight, ctx),
              plain_day_number(v, eight, ctx))
        << v;
  }
  // 1 March 1801: one year of 365 days, then January and February.
  EXPECT_EQ(day_number({"18010301", 8}, true, ctx), 365 + 31 + 28 + 1);
  // Month 13 and beyond count the whole year.
  EXPECT_EQ(day_number({"18001501", 8}, true, ctx), 365 + 1);
}

TEST(FieldValuesTest, OneReadingGivesTheNumberAndBothTests) {
  Lcg rnd(5);
  for (int round = 0; round < 20000; ++round) {
    const std::string v = random_value(rnd, rnd.below(9), round % 3 ? "0123456789  -.+" : " 0A");
    const Text t{v.data(), static_cast<int>(v.size())};
    const Reading r = read_value(t);
    ASSERT_EQ(r.value, read_number(t)) << "[" << v << "]";
    ASSERT_EQ(r.numeric, is_numeric(t)) << "[" << v << "]";
    ASSERT_EQ(r.blank, is_blank(t)) << "[" << v << "]";
  }
}

TEST(FieldValuesTest, ShortNumbersReadAsOneWordReadAsByCharacters) {
  Lcg rnd(11);
  int taken = 0;
  for (int round = 0; round < 40000; ++round) {
    // Blanks then digits mostly; other characters anywhere now and then; the eight bytes
    // before the value are noise that the reading must not see.
    const int n = 1 + rnd.below(8);
    const int blanks = rnd.below(n + 1);
    std::string v = std::string(static_cast<std::size_t>(blanks), ' ') +
                    random_value(rnd, n - blanks, "0123456789");
    if (round % 4 == 0) {
      v[static_cast<std::size_t>(rnd.below(n))] = " 09-+.A/:\x80\xB5"[rnd.below(11)];
    }
    const std::string buffer = random_value(rnd, 8, "0123456789 A") + v;
    const Text t{buffer.data() + 8, n};
    Reading fast;
    if (!read_short_number(t, &fast)) {
      ASSERT_TRUE(round % 4 == 0) << "blanks then digits must be read: [" << v << "]";
      continue;
    }
    ++taken;
    const Reading r = read_value(t);
    ASSERT_EQ(fast.value, r.value) << "[" << v << "]";
    ASSERT_EQ(fast.numeric, r.numeric) << "[" << v << "]";
    ASSERT_EQ(fast.blank, r.blank) << "[" << v << "]";
  }
  EXPECT_GT(taken, 30000);
}

}  // namespace
}  // namespace tovr

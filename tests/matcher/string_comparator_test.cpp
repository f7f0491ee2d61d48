// The bit-parallel string comparator against the plain walk: both must give the same score
// for every pair, at every length on both sides of the 64-character word.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "matcher/compare.h"

#include "support/test_random.h"

namespace tovr {
namespace {

using test::Lcg;
using test::random_value;

int fast(const std::string& a, const std::string& b) {
  std::vector<char> marks(a.size() + b.size() + 1);
  return similarity_score({a.data(), static_cast<int>(a.size())},
                          {b.data(), static_cast<int>(b.size())}, marks.data());
}

int plain(const std::string& a, const std::string& b) {
  std::vector<char> marks(a.size() + b.size() + 1);
  return similarity_score_plain({a.data(), static_cast<int>(a.size())},
                                {b.data(), static_cast<int>(b.size())}, marks.data());
}

TEST(StringComparatorTest, BitParallelScoresEqualThePlainWalkOnRandomPairs) {
  std::string all_bytes;
  for (int c = 1; c < 256; ++c) all_bytes += static_cast<char>(c);
  const std::vector<std::string> alphabets = {"AB", "ABCD", "AEIOU RST",
                                              "ABCDEFGHIJKLMNOPQRSTUVWXYZ", all_bytes};
  Lcg rnd(12345);
  for (int round = 0; round < 60000; ++round) {
    const std::string& alphabet = alphabets[static_cast<std::size_t>(round) % alphabets.size()];
    // Mostly name-sized values; one round in eight reaches past 64 characters.
    const int limit = round % 8 == 0 ? 80 : 20;
    const std::string a = random_value(rnd, rnd.below(limit + 1), alphabet);
    std::string b = random_value(rnd, rnd.below(limit + 1), alphabet);
    if (round % 5 == 0 && !a.empty()) {
      // A near copy: one character of a changed, so the window and order rules both count.
      b = a;
      b[static_cast<std::size_t>(rnd.below(static_cast<int>(b.size())))] = alphabet[0];
    }
    ASSERT_EQ(fast(a, b), plain(a, b)) << "[" << a << "] [" << b << "]";
    ASSERT_EQ(fast(b, a), plain(b, a)) << "[" << b << "] [" << a << "]";
  }
}

// A pattern built once, as a case builds it for the match key value, then met by many values
// (the pattern's table cleared whole rather than character by character).
TEST(StringComparatorTest, APatternBuiltOnceScoresEveryValueAsThePlainWalk) {
  const std::vector<std::string> alphabets = {"AB", "ABCD", "AEIOU RST",
                                              "ABCDEFGHIJKLMNOPQRSTUVWXYZ"};
  Lcg rnd(4242);
  std::vector<std::uint64_t> where(kPatternEntries);
  for (int round = 0; round < 400; ++round) {
    const std::string& alphabet = alphabets[static_cast<std::size_t>(round) % alphabets.size()];
    const std::string a = random_value(rnd, 1 + rnd.below(round % 10 == 0 ? 64 : 20), alphabet);
    build_pattern({a.data(), static_cast<int>(a.size())}, where.data());
    for (int k = 0; k < 50; ++k) {
      const std::string b = random_value(rnd, 1 + rnd.below(round % 10 == 0 ? 64 : 20), alphabet);
      ASSERT_EQ(score_by_pattern(where.data(), {a.data(), static_cast<int>(a.size())},
                                 {b.data(), static_cast<int>(b.size())}),
                plain(a, b))
          << "[" << a << "] [" << b << "]";
    }
  }
}

TEST(StringComparatorTest, BitParallelScoresEqualThePlainWalkAtTheWordEdge) {
  Lcg rnd(99);
  for (int la = 60; la <= 66; ++la) {
    for (int lb = 1; lb <= 70; ++lb) {
      const std::string a = random_value(rnd, la, "ABC");
      const std::string b = random_value(rnd, lb, "ABC");
      ASSERT_EQ(fast(a, b), plain(a, b)) << la << " " << lb;
      ASSERT_EQ(fast(b, a), plain(b, a)) << lb << " " << la;
    }
  }
  const std::string full(64, 'Q');
  EXPECT_EQ(fast(full, full), 900);
  EXPECT_EQ(fast(full, std::string(64, 'R')), 0);
}

// The comparator's scores divide by lengths and counts of up to 64; every quotient it can
// form (numerators up to 300 * 64, and beyond) must equal the division's.
TEST(StringComparatorTest, ReciprocalQuotientsEqualTheDivision) {
  for (int d = 1; d <= kSmallDivisorMax; ++d) {
    for (int n = 0; n < 65536; ++n) {
      ASSERT_EQ(quotient_small(n, d), n / d) << n << " / " << d;
    }
  }
}

}  // namespace
}  // namespace tovr

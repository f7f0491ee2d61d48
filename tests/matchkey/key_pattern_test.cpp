// The key prepared for a proximity search scores every entry exactly as tblScore does, on
// random keys and entries of both cases, on both sides of the 64-character word, and skips
// an entry only when its score stays below the search's threshold.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "matchkey/tables/table_internal.h"

#include "support/test_random.h"

namespace tovr {
namespace {

using test::Lcg;
using test::random_value;

TEST(KeyPatternTest, ScoresEveryEntryAsTblScore) {
  const std::string alphabets[] = {"aAbB", "ABCDE", "MARTHAmartha 19",
                                   "ABCDEFGHIJKLMNOPQRSTUVWXYZ"};
  Lcg rnd(2718);
  for (int round = 0; round < 3000; ++round) {
    const std::string& alphabet = alphabets[round % 4];
    const int limit = round % 10 == 0 ? 70 : 16;
    const std::string key = random_value(rnd, rnd.below(limit + 1), alphabet);
    const char ocr = round % 7 == 0 ? 'O' : 'C';
    const int match_type = round % 5 == 0 ? 1 + rnd.below(2) : 0;
    const KeyPattern pattern(key.c_str(), ocr, match_type);
    for (int e = 0; e < 20; ++e) {
      std::string entry = random_value(rnd, rnd.below(limit + 1), alphabet);
      if (e == 0) entry = key;
      const double score = tblScore(entry.c_str(), key.c_str(), ocr, match_type);
      ASSERT_EQ(pattern.score(entry.c_str()), score)
          << "[" << entry << "] [" << key << "] " << ocr << " " << match_type;
      // Below a threshold the score may be skipped (0), at or above it never; thresholds
      // right at the score test the bound's rounding.
      for (const double threshold : {1.0, 600.0, 700.0, 850.0, score, score + 0.001}) {
        const double reaching = pattern.score_reaching(entry.c_str(), threshold);
        ASSERT_TRUE(score >= threshold ? reaching == score : reaching == score || reaching == 0.0)
            << "[" << entry << "] [" << key << "] " << threshold;
      }
    }
  }
}

}  // namespace
}  // namespace tovr

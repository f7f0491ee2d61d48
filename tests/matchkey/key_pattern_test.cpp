// The key prepared for a proximity search scores every entry exactly as tblScore does, on
// random keys and entries of both cases, on both sides of the 64-character word.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "matchkey/tables/table_internal.h"

namespace tovr {
namespace {

class Lcg {
 public:
  explicit Lcg(std::uint32_t seed) : state_(seed) {}
  int below(int n) {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<int>((state_ >> 8) % static_cast<std::uint32_t>(n));
  }

 private:
  std::uint32_t state_;
};

std::string random_value(Lcg& rnd, int length, const std::string& alphabet) {
  std::string v;
  for (int i = 0; i < length; ++i) {
    v += alphabet[static_cast<std::size_t>(rnd.below(static_cast<int>(alphabet.size())))];
  }
  return v;
}

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
      ASSERT_EQ(pattern.score(entry.c_str()), tblScore(entry.c_str(), key.c_str(), ocr, match_type))
          << "[" << entry << "] [" << key << "] " << ocr << " " << match_type;
    }
  }
}

}  // namespace
}  // namespace tovr

// A small seeded generator for tests that compare two implementations on many random
// inputs: the same seed gives the same inputs on every machine and every run.
#pragma once

#include <cstdint>
#include <string>

namespace tovr::test {

class Lcg {
 public:
  explicit Lcg(std::uint32_t seed) : state_(seed) {}
  // A number from 0 to n - 1.
  int below(int n) {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<int>((state_ >> 8) % static_cast<std::uint32_t>(n));
  }

 private:
  std::uint32_t state_;
};

// A value of length characters drawn from alphabet; a small alphabet makes many common and
// transposed characters.
inline std::string random_value(Lcg& rnd, int length, const std::string& alphabet) {
  std::string v;
  for (int i = 0; i < length; ++i) {
    v += alphabet[static_cast<std::size_t>(rnd.below(static_cast<int>(alphabet.size())))];
  }
  return v;
}

}  // namespace tovr::test

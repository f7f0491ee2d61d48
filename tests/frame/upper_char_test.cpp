// The fast upper-case of the string routines against the locale's own, byte by byte, in
// every locale installed here; the case-insensitive compares against their plain twins.
#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cstdint>
#include <string>

#include "frame/strings.h"

namespace tovr {
namespace {

TEST(UpperCharTest, EveryByteAsTheLocaleUpperCasesIt) {
  const std::string before = std::setlocale(LC_CTYPE, nullptr);
  for (const char* name : {"C", "C.UTF-8", "POSIX"}) {
    if (std::setlocale(LC_CTYPE, name) == nullptr) continue;
    for (int b = 0; b < 256; ++b) {
      ASSERT_EQ(upper_char(static_cast<char>(b)), static_cast<unsigned char>(std::toupper(b)))
          << name << " byte " << b;
    }
  }
  std::setlocale(LC_CTYPE, before.c_str());
  EXPECT_EQ(upper_char('q'), 'Q');
  EXPECT_EQ(upper_char('Q'), 'Q');
  char s[] = "Main St. 12b";
  EXPECT_STREQ(str_upper(s), "MAIN ST. 12B");
}

// Upper-cases every pair of characters, as the compares did before they skipped equal bytes.
int plain_nicmp(const char* a, const char* b, int n) {
  for (int i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(a[i])));
    const auto cb = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(b[i])));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == '\0') return 0;
  }
  return 0;
}

TEST(UpperCharTest, CaseInsensitiveComparesAgreeWithThePlainWalk) {
  std::uint32_t state = 99;
  auto below = [&state](int n) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(n));
  };
  const char alphabet[] = "aAbB1_\xe9\xc9";
  for (int round = 0; round < 20000; ++round) {
    char a[8] = {};
    char b[8] = {};
    const int la = below(7);
    const int lb = below(7);
    for (int i = 0; i < la; ++i) a[i] = alphabet[below(8)];
    for (int i = 0; i < lb; ++i) b[i] = alphabet[below(8)];
    ASSERT_EQ(str_icmp(a, b), plain_nicmp(a, b, 8)) << a << " " << b;
    const int n = below(9);
    ASSERT_EQ(str_nicmp(a, b, n), plain_nicmp(a, b, n)) << a << " " << b << " " << n;
  }
}

}  // namespace
}  // namespace tovr

// The fast upper-case of the string routines against the locale's own, byte by byte, in
// every locale installed here.
#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
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

}  // namespace
}  // namespace tovr

#include "stanengine/phonetic.h"

#include <cstring>

namespace tovr {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int digit_of(char c) {
  switch (c) {
    case 'A':
    case 'E':
    case 'H':
    case 'I':
    case 'O':
    case 'U':
    case 'W':
    case 'Y':
      return 7;
    case 'B':
    case 'F':
    case 'P':
    case 'V':
      return 1;
    case 'C':
    case 'G':
    case 'J':
    case 'K':
    case 'Q':
    case 'S':
    case 'X':
    case 'Z':
      return 2;
    case 'D':
    case 'T':
      return 3;
    case 'L':
      return 4;
    case 'M':
    case 'N':
      return 5;
    case 'R':
      return 6;
    default:
      return 8;
  }
}

}  // namespace

void phonetic_code(const char* text, char code[kPhoneticSize]) {
  std::memcpy(code, "0000", kPhoneticSize);
  const char* p = text;
  while (*p == ' ') ++p;
  if (*p == '\0') return;
  code[0] = *p;
  int filled = 1;
  bool digits = is_digit(*p);
  int last = digits ? 0 : digit_of(*p);
  for (++p; *p != '\0' && filled < kPhoneticSize - 1; ++p) {
    if (!digits && is_digit(*p)) digits = true;
    if (digits) {
      if (*p != ' ') code[filled++] = *p;
      continue;
    }
    const int d = digit_of(*p);
    if (d == last || d == 8) continue;
    last = d;
    if (d != 7) code[filled++] = static_cast<char>('0' + d);
  }
}

}  // namespace tovr

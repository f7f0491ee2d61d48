#include "frame/strings.h"

#include <cstring>

namespace tovr {

bool is_letter(int c) {
  const int b = c & 0xFF;
  if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) return true;
  switch (b) {
    case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA:
      return true;
    default:
      return b >= 0xC0 && b != 0xD7 && b != 0xF7;
  }
}

char* str_upper(char* s) {
  for (char* p = s; *p != '\0'; ++p) *p = static_cast<char>(upper_char(*p));
  return s;
}

// Equal bytes are equal in upper case too, so only differing bytes are upper-cased; a NUL
// beside any other byte always differs in upper case.
int str_icmp(const char* a, const char* b) {
  for (;; ++a, ++b) {
    if (*a == *b) {
      if (*a == '\0') return 0;
      continue;
    }
    const unsigned char ca = upper_char(*a);
    const unsigned char cb = upper_char(*b);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
}

int str_nicmp(const char* a, const char* b, int n) {
  for (int i = 0; i < n; ++i) {
    if (a[i] == b[i]) {
      if (a[i] == '\0') return 0;
      continue;
    }
    const unsigned char ca = upper_char(a[i]);
    const unsigned char cb = upper_char(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return 0;
}

char* str_reverse(char* s) {
  std::size_t n = std::strlen(s);
  for (std::size_t i = 0; i < n / 2; ++i) {
    char t = s[i];
    s[i] = s[n - 1 - i];
    s[n - 1 - i] = t;
  }
  return s;
}

char* str_trim(char* s) {
  std::size_t start = 0;
  while (s[start] == ' ') ++start;
  std::size_t end = std::strlen(s);
  while (end > start && s[end - 1] == ' ') --end;
  std::memmove(s, s + start, end - start);
  s[end - start] = '\0';
  return s;
}

char* cut_field(char* buf, int n) {
  if (n < 0) n = 0;
  buf[n] = '\0';
  while (n > 0 && buf[n - 1] == ' ') buf[--n] = '\0';
  return buf;
}

std::size_t copy_text(char* dst, std::size_t dst_size, const char* src) {
  if (dst_size == 0) return 0;
  std::size_t n = std::strlen(src);
  if (n >= dst_size) n = dst_size - 1;
  std::memcpy(dst, src, n);
  dst[n] = '\0';
  return n;
}

}  // namespace tovr

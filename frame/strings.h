// String routines shared by every parser of the library.
#pragma once

#include <cctype>
#include <cstddef>

namespace tovr {

// The upper-case form of c as an unsigned byte, by the standard classification of the
// current locale. Bytes below 'a' (digits, punctuation, capitals) are their own upper case
// in every locale, so only the others go to the locale's table; parsers and table scans call
// this for every character they compare.
inline unsigned char upper_char(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 'a' ? u : static_cast<unsigned char>(std::toupper(u));
}

// Letter test: A-Z, a-z and the letters of the Windows-1252 character set (0x8A, 0x8C, 0x8E,
// 0x9A, 0x9C, 0x9E, 0x9F, 0xAA, 0xB5, 0xBA, 0xC0-0xFF except 0xD7 and 0xF7).
bool is_letter(int c);

// Upper-cases s in place (standard classification of the current locale); returns s.
char* str_upper(char* s);
// Case-insensitive compare of the upper-cased characters as unsigned bytes: -1, 0 or 1.
int str_icmp(const char* a, const char* b);
// As str_icmp over at most n characters; 0 when n < 1.
int str_nicmp(const char* a, const char* b, int n);
// Reverses s in place; returns s.
char* str_reverse(char* s);
// Removes leading and trailing blanks (character 32 only) in place; returns s.
char* str_trim(char* s);
// Terminates a fixed-width field at n and removes the blanks in front of the terminator.
char* cut_field(char* buf, int n);

// Copies src into dst of dst_size bytes, always terminating; returns the number of
// characters copied (src is cut when it does not fit).
std::size_t copy_text(char* dst, std::size_t dst_size, const char* src);

}  // namespace tovr

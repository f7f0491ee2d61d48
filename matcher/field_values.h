// Field values as the comparisons see them: a piece of a record, its missing-value test and
// its reading as a number.
//
// Every comparison of every candidate runs through these helpers, so they are defined here,
// where the comparison files can inline them.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace tovr {

// A value: length characters at data, not terminated.
struct Text {
  const char* data = "";
  int length = 0;
};

namespace field_detail {

constexpr long long kReadingLimit = 2147483647LL;
constexpr std::uint64_t kEightBlanks = 0x2020202020202020ULL;

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

template <class Pred>
bool all_of(Text v, Pred pred) {
  for (int i = 0; i < v.length; ++i) {
    if (!pred(v.data[i])) return false;
  }
  return true;
}

}  // namespace field_detail

// Every character is a blank (true for an empty value).
inline bool is_blank(Text v) {
  return field_detail::all_of(v, [](char c) { return c == ' '; });
}

// The decimal integer at the start: leading blanks, an optional sign, then digits up to the
// first other character. Beyond 32 bits the reading stays at the largest 32-bit value, so
// that the weight arithmetic on two readings never overflows.
inline long long read_number(Text v) {
  int i = 0;
  while (i < v.length && v.data[i] == ' ') ++i;
  bool negative = false;
  if (i < v.length && (v.data[i] == '-' || v.data[i] == '+')) negative = v.data[i++] == '-';
  long long value = 0;
  for (; i < v.length && field_detail::is_digit(v.data[i]); ++i) {
    value = value * 10 + (v.data[i] - '0');
    if (value > field_detail::kReadingLimit) value = field_detail::kReadingLimit;
  }
  return negative ? -value : value;
}

// The value is missing by its code: S all blanks, Z all blanks or zeros, N a negative
// number (numeric comparisons only), 9 all nines; X and anything else never.
inline bool is_missing(Text v, char code, bool numeric_comparison) {
  switch (code) {
    case 'S':
      return is_blank(v);
    case 'Z':
      return field_detail::all_of(v, [](char c) { return c == ' ' || c == '0'; });
    case 'N':
      return numeric_comparison && read_number(v) < 0;
    case '9':
      return field_detail::all_of(v, [](char c) { return c == '9'; });
    default:
      return false;
  }
}

// Every character is a digit, a blank, a minus sign or a point.
inline bool is_numeric(Text v) {
  return field_detail::all_of(
      v, [](char c) { return field_detail::is_digit(c) || c == ' ' || c == '-' || c == '.'; });
}

// A value's number and its two tests in one: the number as read_number reads it, whether
// is_numeric holds and whether is_blank holds.
struct Reading {
  long long value = 0;
  bool numeric = true;
  bool blank = true;
};

inline Reading read_value(Text v) {
  Reading r;
  const char* d = v.data;
  const int n = v.length;
  int i = 0;
  while (i < n && d[i] == ' ') ++i;
  if (i == n) return r;
  r.blank = false;
  bool negative = false;
  if (d[i] == '-' || d[i] == '+') {
    negative = d[i] == '-';
    r.numeric = negative;  // a plus sign is read, but is not a numeric character
    ++i;
  }
  // Nine digits stay below the limit; only further ones need the bound.
  long long value = 0;
  const int unbounded_end = n - i > 9 ? i + 9 : n;
  for (; i < unbounded_end && field_detail::is_digit(d[i]); ++i) value = value * 10 + (d[i] - '0');
  for (; i < n && field_detail::is_digit(d[i]); ++i) {
    value = value * 10 + (d[i] - '0');
    if (value > field_detail::kReadingLimit) value = field_detail::kReadingLimit;
  }
  r.value = negative ? -value : value;
  for (; r.numeric && i < n; ++i) {
    const char c = d[i];
    r.numeric = field_detail::is_digit(c) || c == ' ' || c == '-' || c == '.';
  }
  return r;
}

namespace field_detail {

// 0x80 in every byte of v that is not zero, 0 in the others.
inline std::uint64_t nonzero_bytes(std::uint64_t v) {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  return (((v & kLow7) + kLow7) | v) & ~kLow7;
}

}  // namespace field_detail

// read_value for a value of 1 to 8 characters of blanks followed by digits, all read as one
// word: the eight bytes that end where the value ends must be readable (its record holds
// them). False for any other value, which read_value then reads.
inline bool read_short_number(Text v, Reading* out) {
  if constexpr (std::endian::native != std::endian::little) return false;
  const int n = v.length;
  if (n < 1 || n > 8) return false;
  std::uint64_t x = 0;
  std::memcpy(&x, v.data + n - 8, sizeof x);
  // The value's characters are the top n bytes, its first character the lowest of them.
  const std::uint64_t field = n == 8 ? ~0ULL : ~((1ULL << (8 * (8 - n))) - 1);
  const std::uint64_t high_nibble_not_3 = (x & 0xF0F0F0F0F0F0F0F0ULL) ^ 0x3030303030303030ULL;
  const std::uint64_t low_nibble_over_9 =
      ((x & 0x0F0F0F0F0F0F0F0FULL) + 0x0606060606060606ULL) & 0xF0F0F0F0F0F0F0F0ULL;
  const std::uint64_t not_digit =
      field_detail::nonzero_bytes(high_nibble_not_3 | low_nibble_over_9) & field;
  const std::uint64_t not_blank =
      field_detail::nonzero_bytes(x ^ field_detail::kEightBlanks) & field;
  if ((not_digit & not_blank) != 0) return false;  // neither a digit nor a blank
  if (not_blank == 0) {
    *out = Reading{};
    return true;
  }
  // Every blank must stand before the first digit.
  if (not_digit != 0 && 63 - std::countl_zero(not_digit) > std::countr_zero(not_blank)) {
    return false;
  }
  // Blanks have a low nibble of 0 and count as leading zeros; digits are joined pairwise,
  // then by fours, then by eights.
  std::uint64_t d = x & 0x0F0F0F0F0F0F0F0FULL & field;
  d = (d * 10 + (d >> 8)) & 0x00FF00FF00FF00FFULL;
  d = (d * 100 + (d >> 16)) & 0x0000FFFF0000FFFFULL;
  d = (d * 10000 + (d >> 32)) & 0xFFFFFFFFULL;
  *out = Reading{static_cast<long long>(d), true, false};
  return true;
}

// Every character is a digit or a blank (the count fields of arrays).
inline bool is_count_numeric(Text v) {
  return field_detail::all_of(v, [](char c) { return field_detail::is_digit(c) || c == ' '; });
}

// Without its trailing blanks; a value of blanks only keeps one.
inline Text trim_trailing(Text v) {
  if constexpr (std::endian::native == std::endian::little) {
    // Eight characters at a time while eight are left: the last character that is not a
    // blank is the highest byte of the word that differs from eight blanks.
    while (v.length >= 8) {
      std::uint64_t word;
      std::memcpy(&word, v.data + v.length - 8, sizeof word);
      word ^= field_detail::kEightBlanks;
      if (word != 0) {
        v.length -= std::countl_zero(word) / 8;
        return v;
      }
      if (v.length == 8) {
        v.length = 1;
        return v;
      }
      v.length -= 8;
    }
  }
  while (v.length > 1 && v.data[v.length - 1] == ' ') --v.length;
  return v;
}

// Without its leading blanks.
inline Text trim_leading(Text v) {
  while (v.length > 0 && v.data[0] == ' ') {
    ++v.data;
    --v.length;
  }
  return v;
}

// The piece of a record of record_length characters at (start, length); false when the
// piece does not lie wholly inside the record.
inline bool record_piece(const char* record, int record_length, int start, int length, Text* out) {
  if (start < 0 || length < 0 || start + length > record_length) return false;
  *out = Text{record + start, length};
  return true;
}

}  // namespace tovr

// How TOVR_mkSet places a value into a field. Runs once per field per record while
// standardizing: it allocates nothing and touches only the field's own characters.
#include <cctype>
#include <cstring>

#include "frame/messages.h"
#include "frame/strings.h"
#include "matchkey/match_key.h"

namespace tovr {
namespace {

// Numeric names align their leading digits to end in this column.
constexpr int kNumericNameColumn = 4;

bool has_letter(const char* value) {
  for (const char* p = value; *p != '\0'; ++p) {
    if (is_letter(static_cast<unsigned char>(*p))) return true;
  }
  return false;
}

// Removes the leading zeros of value in place; a value of zeros only keeps one.
void remove_leading_zeros(char* value) {
  if (value[0] != '0') return;
  std::size_t zeros = 0;
  while (value[zeros] == '0') ++zeros;
  if (value[zeros] == '\0') --zeros;
  std::memmove(value, value + zeros, std::strlen(value + zeros) + 1);
}

int leading_digits(const char* value) {
  int d = 0;
  while (std::isdigit(static_cast<unsigned char>(value[d]))) ++d;
  return d;
}

// The value from the field's start after `indent` blanks, cut at the field's end, blanks
// after it.
void left(char* field, int length, int indent, const char* value, int n) {
  if (indent > length) indent = length;
  std::memset(field, ' ', static_cast<std::size_t>(indent));
  const int room = length - indent;
  const int copied = n < room ? n : room;
  std::memcpy(field + indent, value, static_cast<std::size_t>(copied));
  std::memset(field + indent + copied, ' ', static_cast<std::size_t>(room - copied));
}

// The value ending at the field's last character; cut at its left when too long.
void right(char* field, int length, const char* value, int n) {
  if (n >= length) {
    std::memcpy(field, value + (n - length), static_cast<std::size_t>(length));
    return;
  }
  std::memset(field, ' ', static_cast<std::size_t>(length - n));
  std::memcpy(field + (length - n), value, static_cast<std::size_t>(n));
}

}  // namespace

void place_value(const FieldDef& field, char* record, char* value) {
  const bool mixed = field.type == 'M';
  const bool no_letters = mixed && !has_letter(value);
  if (field.signed_numeric != 0 || no_letters) remove_leading_zeros(value);
  const int n = static_cast<int>(std::strlen(value));
  char* target = record + field.offset;
  const int length = field.length;
  if (length < 1) return;  // dictionaries give every field 1 to 256 characters

  if (field.numeric_name != 0) {
    const int d = leading_digits(value);
    if (d > kNumericNameColumn) console_message(kMkBadNumericNameFormat, value);
    const int indent = d >= 1 && d < kNumericNameColumn ? kNumericNameColumn - d : 0;
    left(target, length, indent, value, n);
  } else if (field.type == 'N' || no_letters) {
    right(target, length, value, n);
  } else {
    left(target, length, 0, value, n);
  }
}

}  // namespace tovr

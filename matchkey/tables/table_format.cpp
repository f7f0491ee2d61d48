#include "matchkey/tables/table_format.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "frame/strings.h"

namespace tovr {
namespace {

constexpr char kHeaderMarker[] = "\\FORMAT\\";
constexpr int kHeaderMarkerLength = 8;

// The keywords of the header line, in the order their values are read below.
enum HeaderKeyword { kKey, kSep, kSort, kComment, kCompare, kHeaderKeywordCount };
constexpr const char* kHeaderKeywords[kHeaderKeywordCount] = {"KEY", "SEP", "SORT", "COMMENT",
                                                              "COMPARE"};

bool is_header_cut(char c) { return c == ' ' || c == '=' || c == '\n'; }

// Next word of a header line starting at *p, cut at blanks, '=' and newlines; false when
// the line has no more words.
bool next_word(const char** p, const char** word, int* length) {
  const char* s = *p;
  while (*s != '\0' && is_header_cut(*s)) ++s;
  if (*s == '\0') return false;
  *word = s;
  while (*s != '\0' && !is_header_cut(*s)) ++s;
  *length = static_cast<int>(s - *word);
  *p = s;
  return true;
}

int keyword_of(const char* word, int length) {
  for (int k = 0; k < kHeaderKeywordCount; ++k) {
    const int n = static_cast<int>(std::strlen(kHeaderKeywords[k]));
    if (n == length && str_nicmp(word, kHeaderKeywords[k], n) == 0) return k;
  }
  return -1;
}

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// Decimal value of a KEY word. Values beyond the range of long are clamped, which leaves them
// far outside any table's columns.
long key_value(const char* word, int length) {
  char text[32];
  const int n = length < 31 ? length : 31;
  std::memcpy(text, word, n);
  text[n] = '\0';
  return std::strtol(text, nullptr, 10);
}

int apply_value(int keyword, const char* word, int length, TableFormat* format) {
  const char first = word[0];
  switch (keyword) {
    case kKey:
      format->key = key_value(word, length);
      return kTblOk;
    case kSep:
      format->separator = first;
      return kTblOk;
    case kSort:
      format->sort = upper(first);
      return std::strchr("YNS", format->sort) != nullptr ? kTblOk : kTblHeaderError;
    case kComment:
      format->comment = first;
      return kTblOk;
    default:
      format->compare = upper(first);
      return std::strchr("OIUC", format->compare) != nullptr ? kTblOk : kTblHeaderError;
  }
}

}  // namespace

bool is_header_line(const char* line) {
  return std::strlen(line) >= kHeaderMarkerLength &&
         str_nicmp(line, kHeaderMarker, kHeaderMarkerLength) == 0;
}

int parse_header_line(const char* line, TableFormat* format) {
  const char* p = line + kHeaderMarkerLength;
  const char* word;
  int length;
  while (next_word(&p, &word, &length)) {
    const int keyword = keyword_of(word, length);
    if (keyword < 0) return kTblHeaderError;
    if (!next_word(&p, &word, &length)) return kTblHeaderError;
    const int rc = apply_value(keyword, word, length, format);
    if (rc != kTblOk) return rc;
  }
  return kTblOk;
}

namespace {

class RowCutter {
 public:
  RowCutter(const char* line, const TableFormat& format) : p_(line), format_(format) {}

  int cut(FieldSpan fields[kTblMaxFields], int* count) {
    *count = 0;
    while (*p_ == ' ' || *p_ == '\t') ++p_;
    if (*p_ == '\0' || *p_ == format_.comment || *p_ == '\n' || *p_ == '\r') return kTblOk;
    // True after a non-blank separator: a field follows it, even at the end of the row.
    bool field_due = false;
    for (;;) {
      skip_white_space();
      if (*p_ != format_.separator && ends_row(*p_)) {
        if (field_due) return add(fields, count, FieldSpan{p_, 0});
        return kTblOk;
      }
      FieldSpan field;
      int rc = *p_ == '"' ? quoted(&field, &field_due) : unquoted(&field, &field_due);
      if (rc == kTblOk) rc = add(fields, count, field);
      if (rc != kTblOk) return rc;
    }
  }

 private:
  // A tab is white space in front of a field, unless it is the separator itself.
  void skip_white_space() {
    while (*p_ == ' ' || (*p_ == '\t' && format_.separator != '\t')) ++p_;
  }
  bool ends_row(char c) const {
    return c == '\0' || c == '\n' || c == '\r' || c == format_.comment;
  }
  bool ends_field(char c) const { return c == format_.separator || c == '\t' || ends_row(c); }

  int add(FieldSpan fields[kTblMaxFields], int* count, FieldSpan field) {
    if (*count == kTblMaxFields) return kTblTooLarge;
    fields[(*count)++] = field;
    return kTblOk;
  }

  // Runs to the closing quote (or the end of the line); then white space and one separator
  // are skipped.
  int quoted(FieldSpan* field, bool* field_due) {
    field->start = ++p_;
    while (*p_ != '\0' && *p_ != '"' && *p_ != '\n' && *p_ != '\r') ++p_;
    field->length = static_cast<int>(p_ - field->start);
    *field_due = false;
    if (*p_ != '"') return kTblOk;
    ++p_;
    skip_white_space();
    if (*p_ == format_.separator && *p_ != '\0') {
      ++p_;
      *field_due = format_.separator != ' ';
    }
    return kTblOk;
  }

  int unquoted(FieldSpan* field, bool* field_due) {
    field->start = p_;
    while (*p_ != format_.separator && !ends_field(*p_)) {
      if (*p_ == '"') return kTblBadContent;
      ++p_;
    }
    field->length = static_cast<int>(p_ - field->start);
    *field_due = false;
    if (*p_ == '\0') return kTblOk;
    if (*p_ == format_.separator) {
      ++p_;
      *field_due = format_.separator != ' ';
    } else if (*p_ == '\t') {
      ++p_;
    }
    return kTblOk;
  }

  const char* p_;
  const TableFormat& format_;
};

}  // namespace

int split_row(const char* line, const TableFormat& format, FieldSpan fields[kTblMaxFields],
              int* count) {
  return RowCutter(line, format).cut(fields, count);
}

}  // namespace tovr

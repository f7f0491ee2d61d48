// Value lists: the test written after "=" on a pattern operand.
#include <cctype>
#include <cstring>

#include "frame/memory.h"
#include "stancomp/pattern_compiler.h"
#include "stancomp/pattern_messages.h"

namespace tovr {
namespace {

constexpr int kMaxValues = kValueSlots - 1;
constexpr int kMaxNumberDigits = 9;  // a number always fits an int

bool is_digit(char c) { return c >= '0' && c <= '9'; }

ValueList* new_value_list() {
  auto* v = static_cast<ValueList*>(mem_alloc_zeroed(1, sizeof(ValueList)));
  if (v == nullptr) return nullptr;
  for (int& n : v->number) n = kNumberNotGiven;
  v->range[0] = v->range[1] = kBoundNotGiven;
  v->user_file = -1;
  return v;
}

int skip_value_separators(const char* s, int i) {
  while (is_blank(s[i]) || s[i] == ',') ++i;
  return i;
}

// A value list ends at the operand's end, a comment or a condition.
bool ends_value_list(char c) { return c == '\0' || c == '|' || c == ';' || c == '['; }

Step read_value_file(PatternFileState& st, const char* s, int& i, ValueList& v) {
  int j = i + 1;
  int n = 0;
  while (is_file_name_char(s[j + n])) ++n;
  if (n == 0) return line_error(st, patmsg::kImproperTestValue);
  if (n > kMaxLiteral) return line_error(st, patmsg::kStringTooLong);
  char* name = st.temp;
  std::memcpy(name, s + j, static_cast<std::size_t>(n));
  name[n] = '\0';
  Step r = open_user_file(st, name, patmsg::kOpenValueFile, v.user_file);
  if (r != Step::kOk) return r;
  v.file = st.out->user_files.files[v.user_file].stream;
  i = j + n;
  return Step::kOk;
}

// Quoted texts: blanks inside are dropped and letters upper-cased.
Step read_texts(PatternFileState& st, const char* s, int& i, ValueList& v) {
  while (s[i] == '"') {
    int j = i + 1;
    int raw = 0;
    int kept = 0;
    while (s[j] != '\0' && s[j] != '"') {
      if (++raw > kMaxLiteral) return line_error(st, patmsg::kStringTooLong);
      if (!is_blank(s[j])) {
        st.temp[kept++] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[j])));
      }
      ++j;
    }
    if (s[j] != '"') return line_error(st, patmsg::kImproperTestValue);
    if (v.text_count >= kMaxValues) return line_error(st, patmsg::kTooManyValues);
    st.temp[kept] = '\0';
    char* text = static_cast<char*>(mem_alloc(static_cast<std::size_t>(kept) + 1));
    if (text == nullptr) return no_memory(patmsg::kNoMemCharValue);
    std::memcpy(text, st.temp, static_cast<std::size_t>(kept) + 1);
    v.charValue[v.text_count++] = text;
    i = skip_value_separators(s, j + 1);
  }
  return Step::kOk;
}

Step read_numbers(PatternFileState& st, const char* s, int& i, ValueList& v) {
  while (is_digit(s[i])) {
    int value = 0;
    int digits = 0;
    while (is_digit(s[i])) {
      if (++digits > kMaxNumberDigits) return line_error(st, patmsg::kImproperTestValue);
      value = value * 10 + (s[i] - '0');
      ++i;
    }
    if (v.number_count >= kMaxValues) return line_error(st, patmsg::kTooManyValues);
    v.number[v.number_count++] = value;
    i = skip_value_separators(s, i);
  }
  return Step::kOk;
}

}  // namespace

Step parse_value_list(PatternFileState& st, const char* s, int& i, Pattern& p, int k) {
  ValueList* v = new_value_list();
  if (v == nullptr) return no_memory(patmsg::kNoMemPValue);
  p.pValue[k] = v;

  int j = skip_blanks(s, i + 1);
  v->kind = kValuePlain;
  const char kc = static_cast<char>(std::toupper(static_cast<unsigned char>(s[j])));
  if ((kc == 'A' || kc == 'T') && s[j + 1] == '=') {
    v->kind = kc == 'A' ? kValueAbbrev : kValueText;
    j = skip_blanks(s, j + 2);
  }

  Step r;
  const char c = s[j];
  if (c == '@') {
    r = read_value_file(st, s, j, *v);
  } else if (c == '"') {
    r = read_texts(st, s, j, *v);
  } else if (is_digit(c)) {
    r = read_numbers(st, s, j, *v);
  } else if (c == '(') {
    r = read_range(st, s, j, v->range);
  } else {
    return line_error(st, patmsg::kImproperTestValue);
  }
  if (r != Step::kOk) return r;
  j = skip_blanks(s, j);
  if (!ends_value_list(s[j])) return line_error(st, patmsg::kImproperTestValue);
  i = j;
  return Step::kOk;
}

}  // namespace tovr

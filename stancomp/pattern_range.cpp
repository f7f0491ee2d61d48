// The range routine: (a:b) or (a) after an operand, a value list, a condition entity or an
// action source.
#include <cctype>
#include <cstring>

#include "stancomp/pattern_compiler.h"
#include "stancomp/pattern_messages.h"

namespace tovr {
namespace {

// Reads one bound from text[0..n): an optional "-", then digits, "n" or "c" (either case),
// with blanks around it. More than 9 digits is refused, so a bound always fits an int.
bool parse_bound(const char* text, int n, int& value) {
  int i = 0;
  while (i < n && is_blank(text[i])) ++i;
  while (n > i && is_blank(text[n - 1])) --n;
  bool negative = false;
  if (i < n && text[i] == '-') {
    negative = true;
    ++i;
  }
  if (i >= n) return false;
  if (n - i == 1 && (text[i] == 'n' || text[i] == 'N')) {
    value = negative ? kRangeMinusN : kRangeN;
    return true;
  }
  if (n - i == 1 && (text[i] == 'c' || text[i] == 'C')) {
    value = negative ? kRangeMinusC : kRangeC;
    return true;
  }
  if (n - i > 9) return false;
  int v = 0;
  for (; i < n; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    v = v * 10 + (text[i] - '0');
  }
  value = negative ? -v : v;
  return true;
}

}  // namespace

Step read_range(PatternFileState& st, const char* s, int& i, int range[2]) {
  int start = i + 1;
  int close = start;
  while (s[close] != '\0' && s[close] != ')') ++close;
  if (close - start > kMaxLiteral) return line_error(st, patmsg::kStringTooLong);
  int colon = start;
  while (colon < close && s[colon] != ':') ++colon;

  int low = 0;
  int high = 0;
  if (!parse_bound(s + start, colon - start, low)) return line_error(st, patmsg::kRangeStart);
  if (colon < close) {
    if (!parse_bound(s + colon + 1, close - colon - 1, high)) {
      return line_error(st, patmsg::kRangeEnd);
    }
  } else {
    high = low;
  }
  if (s[close] != ')') return line_error(st, patmsg::kRangeEnd);
  if (low == 0 || high == 0) return line_error(st, patmsg::kRangeZero);
  const bool ordered_wrong = (low > 0 && high > 0 && high < low) ||
                             (low < 0 && high < 0 && high < low) || (low < 0 && high > 0);
  if (ordered_wrong) return line_error(st, patmsg::kBadRange);
  range[0] = low;
  range[1] = high;
  i = close + 1;
  return Step::kOk;
}

}  // namespace tovr

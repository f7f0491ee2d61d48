#include "matcher/rules_lexer.h"

namespace tovr {
namespace {

bool is_line_end(char c) { return c == '\n' || c == '\r'; }

}  // namespace

void split_operands(const char* line, Operands& out) {
  out.count = 0;
  out.cut = 0;
  out.too_many = false;
  const char* p = line;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0' || *p == ';' || is_line_end(*p)) return;
    if (out.count == kMaxOperands) {
      out.too_many = true;
      return;
    }
    char* dst = out.text[out.count++];
    int length = 0;
    bool cut = false;
    for (; *p != '\0' && *p != ' ' && *p != '\t' && *p != ';' && !is_line_end(*p); ++p) {
      if (length < kMaxOperandLength) {
        dst[length++] = *p;
      } else {
        cut = true;
      }
    }
    dst[length] = '\0';
    if (cut) ++out.cut;
  }
}

}  // namespace tovr

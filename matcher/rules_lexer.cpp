#include "matcher/rules_lexer.h"

#include <cstring>

namespace tovr {
namespace {

// Reads up to size - 1 bytes of a line and returns how many were read, or -1 at end of
// file. The buffer is filled with line ends first: the terminator that the read writes is
// then the last NUL in front of that filler, so the count is right even when the line
// itself holds NUL bytes.
int read_counted(Stream in, char* buf, int size) {
  std::memset(buf, '\n', static_cast<std::size_t>(size));
  if (stream_gets(buf, size, in) == nullptr) return -1;
  const char* end =
      static_cast<const char*>(std::memchr(buf, '\n', static_cast<std::size_t>(size)));
  if (end == nullptr) return size - 1;  // filled to the last byte without a line end
  const int k = static_cast<int>(end - buf);
  if (k + 1 < size && buf[k + 1] == '\0') return k + 1;  // the line end itself was read
  return k - 1;                                          // k is filler; NUL at k - 1
}

bool is_line_end(char c) { return c == '\n' || c == '\r'; }

void skip_rest_of_line(Stream in) {
  char rest[64];
  for (;;) {
    const int n = read_counted(in, rest, sizeof rest);
    if (n < 0 || (n > 0 && rest[n - 1] == '\n')) return;
  }
}

}  // namespace

bool read_rules_line(Stream in, RulesLine& line) {
  line.too_long = false;
  line.has_nul = false;
  const int n = read_counted(in, line.text, RulesLine::kBufferSize);
  if (n < 0) return false;
  line.has_nul = std::memchr(line.text, '\0', static_cast<std::size_t>(n)) != nullptr;
  const bool ended = n > 0 && line.text[n - 1] == '\n';
  if (!ended && n == RulesLine::kBufferSize - 1) skip_rest_of_line(in);
  int content = n;
  while (content > 0 && is_line_end(line.text[content - 1])) --content;
  if (content > kMaxLineLength) {
    line.too_long = true;
    line.text[kMaxLineLength] = '\n';
    line.text[kMaxLineLength + 1] = '\0';
  }
  return true;
}

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

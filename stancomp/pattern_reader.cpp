// Reading the lines of a pattern file.
#include <cstdio>
#include <cstring>

#include "frame/messages.h"
#include "stancomp/encdec.h"
#include "stancomp/pattern_compiler.h"
#include "stancomp/pattern_messages.h"

namespace tovr {
namespace {

// The cipher type of pattern files.
constexpr int kPatternEnctyp = 2;

bool starts_with(const char* s, const char* prefix) {
  return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

// Skips what is left of a line longer than the buffer, so that the next read starts at the
// next line and line numbers stay true.
void skip_rest_of_line(Stream stream) {
  for (;;) {
    int c = stream_getc(stream);
    if (c == EOF || c == '\n') return;
  }
}

}  // namespace

bool read_pattern_line(Stream stream, bool enciphered, ReadLine& line) {
  char* buf = line.buffer;
  if (stream_gets(buf, kLineKeep + 1, stream) == nullptr) return false;
  int n = static_cast<int>(std::strlen(buf));
  line.had_line_end = n > 0 && buf[n - 1] == '\n';
  if (!line.had_line_end && n == kLineKeep) skip_rest_of_line(stream);
  // The line ends at its first line feed or carriage return.
  int end = 0;
  while (end < n && buf[end] != '\n' && buf[end] != '\r') ++end;
  if (end < n) line.had_line_end = true;
  buf[end] = '\0';
  if (enciphered) encdec(kPatternEnctyp, buf, end);
  int start = 0;
  while (buf[start] == ' ' || buf[start] == '\t') ++start;
  line.text = buf + start;
  line.length = static_cast<int>(std::strlen(line.text));
  return true;
}

bool detect_enciphered(Stream stream) {
  int first = stream_getc(stream);
  if (first == kEncipheredMarker) {
    // The rest of the marker line belongs to no pass.
    for (int c = stream_getc(stream); c != EOF && c != '\n';) c = stream_getc(stream);
    return true;
  }
  console_message("%s", patmsg::kNotEncrypted);
  stream_rewind(stream);
  return false;
}

LineKind classify_line(const ReadLine& line) {
  const char* s = line.text;
  if (line.length == 0 || s[0] == ';') return LineKind::kSkip;
  if (starts_with(s, patmsg::kSubEnd)) return LineKind::kSubEnd;
  if (starts_with(s, patmsg::kSubStart)) return LineKind::kSubStart;
  if (starts_with(s, patmsg::kPostStart)) return LineKind::kPostStart;
  if (starts_with(s, patmsg::kPostEnd)) return LineKind::kPostEnd;
  for (const char* key : patmsg::kActionKeys) {
    if (std::strncmp(s, key, 4) == 0) return LineKind::kAction;
  }
  for (const char* key : patmsg::kPostKeys) {
    if (std::strncmp(s, key, 4) == 0) return LineKind::kPostKey;
  }
  // A line of two or more characters, its line end counted, is a pattern line.
  if (line.length + (line.had_line_end ? 1 : 0) >= 2) return LineKind::kPattern;
  return LineKind::kSkip;
}

}  // namespace tovr

// Reading the lines of a pattern file.
#include <cstring>

#include "frame/line_reader.h"
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

}  // namespace

ReadResult read_pattern_line(Stream stream, bool enciphered, ReadLine& line) {
  char* buf = line.buffer;
  // The rest of a line longer than the buffer is dropped, so that the next read starts at the
  // next line and line numbers stay true.
  const ReadResult got = read_line(stream, buf, kLineKeep + 1, LongLine::kSkipRest);
  if (got != ReadResult::kLine) return got;
  int n = static_cast<int>(std::strlen(buf));
  line.had_line_end = n > 0 && buf[n - 1] == '\n';
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
  return ReadResult::kLine;
}

ReadResult detect_enciphered(Stream stream, ReadLine& line, bool* enciphered) {
  // The marker line, rest included, belongs to no pass.
  const ReadResult got = read_line(stream, line.buffer, kLineKeep + 1, LongLine::kSkipRest);
  if (got == ReadResult::kError) return got;
  *enciphered =
      got == ReadResult::kLine && static_cast<unsigned char>(line.buffer[0]) == kEncipheredMarker;
  if (*enciphered) return ReadResult::kLine;
  console_message("%s", patmsg::kNotEncrypted);
  stream_rewind(stream);
  return ReadResult::kLine;
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

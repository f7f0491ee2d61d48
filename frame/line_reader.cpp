#include "frame/line_reader.h"

namespace tovr {
namespace {

constexpr int kSkipChunk = 128;

// Written into the last byte of a buffer before a read: when a NUL stands there afterwards,
// the read filled the buffer (whatever NUL bytes the line itself held), and the line goes on
// unless its last character is the line feed.
constexpr char kUnread = '\x7f';

bool filled_without_line_end(const char* buffer, int size) {
  return buffer[size - 1] == '\0' && buffer[size - 2] != '\n';
}

ReadResult end_or_error(Stream stream) {
  return read_failed(stream) ? ReadResult::kError : ReadResult::kEnd;
}

}  // namespace

bool read_failed(Stream stream) { return stream != nullptr && stream_eof(stream) == 0; }

ReadResult read_line(Stream stream, char* buffer, int size, LongLine long_line) {
  buffer[size - 1] = kUnread;
  if (stream_gets(buffer, size, stream) == nullptr) {
    buffer[size - 1] = '\0';
    return end_or_error(stream);
  }
  if (long_line == LongLine::kSplit || !filled_without_line_end(buffer, size)) {
    return ReadResult::kLine;
  }
  return skip_line(stream) == ReadResult::kError ? ReadResult::kError : ReadResult::kLine;
}

ReadResult skip_line(Stream stream) {
  char chunk[kSkipChunk];
  for (bool any = false;; any = true) {
    chunk[kSkipChunk - 1] = kUnread;
    if (stream_gets(chunk, kSkipChunk, stream) == nullptr) {
      const ReadResult r = end_or_error(stream);
      return r == ReadResult::kEnd && any ? ReadResult::kLine : r;
    }
    if (!filled_without_line_end(chunk, kSkipChunk)) return ReadResult::kLine;
  }
}

}  // namespace tovr

// Reading text files a line at a time through the host's reading callbacks.
//
// The line-reading callback answers null both at the end of a file and when a read fails;
// only the end-of-file callback tells the two apart. Every reader of a text file in the
// library goes through here, so that a failed read is never taken for the end of the file.
#pragma once

#include "frame/stream.h"

namespace tovr {

enum class ReadResult {
  kLine,   // a line, or the first part of a long one, is in the buffer
  kEnd,    // the file has no more lines
  kError,  // the read failed before the end of the file; the buffer holds nothing usable
};

// What becomes of a line longer than the buffer.
enum class LongLine {
  kSplit,     // the rest is read as a line of its own, as the line-reading callback does
  kSkipRest,  // the rest is read and dropped, so that the next read starts at the next line
};

// Reads the next line into buffer: at most size - 1 characters and a terminator, with the
// line feed when it fits. size is at least 2.
ReadResult read_line(Stream stream, char* buffer, int size, LongLine long_line = LongLine::kSplit);

// Reads and drops the rest of the current line, its line feed included. kLine when a line
// feed or the end of the file ended it after some text, kEnd when nothing was left.
ReadResult skip_line(Stream stream);

// After a read that gave less than it asked for (a null line, an end-of-file character, a
// short block): true when the read failed, false at the end of the file. A null stream is one
// that the host serves through its reading callbacks alone: its short read is its end.
bool read_failed(Stream stream);

}  // namespace tovr

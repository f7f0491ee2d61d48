// Message routines: format a text and hand it to the console (slot 13) or to a stream
// (slot 14, or slot 12 when the host installed no file-message callback).
// Texts longer than the routine's buffer are cut, never overflowed.
#pragma once

#include <cstdarg>

#include "frame/stream.h"

namespace tovr {

inline constexpr int kConsoleMessageSize = 1024;
inline constexpr int kShortMessageSize = 256;
inline constexpr int kFileMessageSize = 1024;

// Formats into a 1024-byte buffer and passes the text to slot 13.
void console_message(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Formats into a 256-byte buffer, then takes the console path.
void short_console_message(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Formats into a 1024-byte buffer and passes stream and text to slot 14; null stream: nothing.
void file_message(Stream stream, const char* format, ...) __attribute__((format(printf, 2, 3)));

void console_vmessage(const char* format, va_list args);
void file_vmessage(Stream stream, const char* format, va_list args);

}  // namespace tovr

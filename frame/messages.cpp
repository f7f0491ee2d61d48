#include "frame/messages.h"

#include <cstdio>
#include <cstring>

#include "frame/callbacks.h"

namespace tovr {
namespace {

void emit_console(const char* text) {
  auto fn = slot_as<TOVRCB_PrintfFn>(TOVRCB_Printf);
  if (fn != nullptr) fn(text);
}

// vsnprintf cuts a text that does not fit and always terminates it.
void format_into(char* buf, int size, const char* format, va_list args) {
  if (std::vsnprintf(buf, static_cast<std::size_t>(size), format, args) < 0) buf[0] = '\0';
}

}  // namespace

void console_vmessage(const char* format, va_list args) {
  char text[kConsoleMessageSize];
  format_into(text, sizeof text, format, args);
  emit_console(text);
}

void console_message(const char* format, ...) {
  va_list args;
  va_start(args, format);
  console_vmessage(format, args);
  va_end(args);
}

void short_console_message(const char* format, ...) {
  char text[kShortMessageSize];
  va_list args;
  va_start(args, format);
  format_into(text, sizeof text, format, args);
  va_end(args);
  emit_console(text);
}

void file_vmessage(Stream stream, const char* format, va_list args) {
  if (stream == nullptr) return;
  char text[kFileMessageSize];
  format_into(text, sizeof text, format, args);
  auto fn = slot_as<TOVRCB_FprintfFn>(TOVRCB_Fprintf);
  if (fn != nullptr) {
    fn(stream, text);
  } else {
    // Without a host file-message callback the text goes to the stream as plain bytes.
    stream_write(text, 1, std::strlen(text), stream);
  }
}

void file_message(Stream stream, const char* format, ...) {
  va_list args;
  va_start(args, format);
  file_vmessage(stream, format, args);
  va_end(args);
}

}  // namespace tovr

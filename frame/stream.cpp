#include "frame/stream.h"

#include <cstdio>

#include "frame/callbacks.h"

namespace tovr {

// An empty slot behaves like a failing operation, so a half-configured host gets errors
// rather than a crash.

Stream stream_open(const char* name, const char* mode) {
  auto fn = slot_as<TOVRCB_FopenFn>(TOVRCB_Fopen);
  return fn == nullptr ? nullptr : fn(name, mode);
}

int stream_close(Stream s) {
  auto fn = slot_as<TOVRCB_FcloseFn>(TOVRCB_Fclose);
  return fn == nullptr ? EOF : fn(s);
}

int stream_flush(Stream s) {
  auto fn = slot_as<TOVRCB_FflushFn>(TOVRCB_Fflush);
  return fn == nullptr ? EOF : fn(s);
}

int stream_eof(Stream s) {
  auto fn = slot_as<TOVRCB_FeofFn>(TOVRCB_Feof);
  return fn == nullptr ? 1 : fn(s);
}

int stream_seek(Stream s, long offset, int origin) {
  auto fn = slot_as<TOVRCB_FseekFn>(TOVRCB_Fseek);
  return fn == nullptr ? -1 : fn(s, offset, origin);
}

void stream_rewind(Stream s) {
  auto fn = slot_as<TOVRCB_RewindFn>(TOVRCB_Rewind);
  if (fn != nullptr) fn(s);
}

int stream_getc(Stream s) {
  auto fn = slot_as<TOVRCB_FgetcFn>(TOVRCB_Fgetc);
  return fn == nullptr ? EOF : fn(s);
}

char* stream_gets(char* buf, int size, Stream s) {
  auto fn = slot_as<TOVRCB_FgetsFn>(TOVRCB_Fgets);
  return fn == nullptr ? nullptr : fn(buf, size, s);
}

std::size_t stream_read(void* buf, std::size_t size, std::size_t count, Stream s) {
  auto fn = slot_as<TOVRCB_FreadFn>(TOVRCB_Fread);
  return fn == nullptr ? 0 : fn(buf, size, count, s);
}

std::size_t stream_write(const void* buf, std::size_t size, std::size_t count, Stream s) {
  auto fn = slot_as<TOVRCB_FwriteFn>(TOVRCB_Fwrite);
  return fn == nullptr ? 0 : fn(buf, size, count, s);
}

}  // namespace tovr

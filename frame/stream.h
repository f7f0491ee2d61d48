// Stream funnel: every file operation of the library goes through callback slots 3-12.
// A stream is whatever the host's open callback returned; the library never looks inside.
#pragma once

#include <cstddef>

namespace tovr {

using Stream = void*;

Stream stream_open(const char* name, const char* mode);  // null when the file cannot be opened
int stream_close(Stream s);
int stream_flush(Stream s);
int stream_eof(Stream s);
int stream_seek(Stream s, long offset, int origin);  // 0 on success
void stream_rewind(Stream s);
int stream_getc(Stream s);                            // next character or EOF
char* stream_gets(char* buf, int size, Stream s);     // buf, or null at end of file
std::size_t stream_read(void* buf, std::size_t size, std::size_t count, Stream s);
std::size_t stream_write(const void* buf, std::size_t size, std::size_t count, Stream s);

// Closes the stream on scope exit unless released.
class StreamCloser {
 public:
  explicit StreamCloser(Stream s) noexcept : stream_(s) {}
  StreamCloser(const StreamCloser&) = delete;
  StreamCloser& operator=(const StreamCloser&) = delete;
  ~StreamCloser() {
    if (stream_ != nullptr) stream_close(stream_);
  }
  Stream get() const noexcept { return stream_; }
  Stream release() noexcept {
    Stream s = stream_;
    stream_ = nullptr;
    return s;
  }

 private:
  Stream stream_;
};

}  // namespace tovr

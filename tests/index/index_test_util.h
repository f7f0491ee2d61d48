// Helpers shared by the index tests: statement lists, open requests, reading pages out of
// in-memory files, and a log of where the library wrote.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "index/IndexHandle.h"
#include "tovr.h"

namespace tovr::test {

// A host statement list: strings ending with a null pointer.
class Statements {
 public:
  Statements(std::initializer_list<std::string> lines) : lines_(lines) { rebuild(); }
  const char* const* get() const { return ptrs_.data(); }

 private:
  void rebuild() {
    ptrs_.clear();
    for (const std::string& l : lines_) ptrs_.push_back(l.c_str());
    ptrs_.push_back(nullptr);
  }
  std::vector<std::string> lines_;
  std::vector<const char*> ptrs_;
};

inline OpenRequest request(const char* name, const Statements& s, char coding = 'R',
                           char width = 'S', int buffers = 8, int write_flag = 1) {
  return OpenRequest{name, coding, width, buffers, 10, 10, s.get(), "SIG", write_flag};
}

inline std::string page_of(const std::string& file, uint32_t n) {
  return file.substr((static_cast<std::size_t>(n) + 1) * 1024, 1024);
}

inline uint32_t u32_at(const std::string& bytes, std::size_t offset) {
  return static_cast<uint8_t>(bytes[offset]) | static_cast<uint8_t>(bytes[offset + 1]) << 8 |
         static_cast<uint8_t>(bytes[offset + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + 3])) << 24;
}

inline uint16_t u16_at(const std::string& bytes, std::size_t offset) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) |
                               static_cast<uint8_t>(bytes[offset + 1]) << 8);
}

inline void put_u32(std::string& bytes, std::size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(v >> (8 * i));
}

// Records the file offset of every block written through slot 12, in order. Installed over
// whatever file callbacks are current (usually a MemFs).
class WriteLog {
 public:
  WriteLog();
  ~WriteLog();
  WriteLog(const WriteLog&) = delete;
  WriteLog& operator=(const WriteLog&) = delete;
  // Page numbers of the 1024-byte blocks written after the label (offset / 1024 - 1).
  std::vector<long> pages() const;
  void clear() { offsets_.clear(); }

 private:
  friend struct WriteLogAccess;
  std::vector<long> offsets_;
  long position_ = 0;
  TOVR_Callback inner_seek_;
  TOVR_Callback inner_write_;
};

}  // namespace tovr::test

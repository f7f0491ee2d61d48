#include "index/Label.h"

#include <algorithm>
#include <cstring>

#include "frame/messages.h"
#include "index/IndexMessages.h"

namespace tovr {
namespace {

void cut_text(const uint8_t* from, int width, char* to) {
  std::memcpy(to, from, static_cast<std::size_t>(width));
  to[width] = '\0';
  int n = static_cast<int>(std::strlen(to));
  while (n > 0 && to[n - 1] == ' ') to[--n] = '\0';
}

}  // namespace

void build_label(uint8_t* block, const char* signature) {
  std::memset(block, ' ', kPageSize);
  store_u32(block, kIndexMagic);
  store_u32(block + 4, kIndexVersion);
  const std::size_t n = strnlen(signature, kSignatureWidth);
  std::memcpy(block + kSignatureOffset, signature, n);
}

bool ReadLabel(Stream stream, Label& label) {
  if (stream == nullptr) {
    short_console_message(dbmsg::kHaveFilePointer);
    return false;
  }
  if (stream_seek(stream, 0, 0) != 0) return false;
  if (stream_read(label.raw, kPageSize, 1, stream) != 1) return false;
  label.magic = load_u32(label.raw);
  label.version = load_u32(label.raw + 4);
  cut_text(label.raw + kSignatureOffset, kSignatureWidth, label.signature);
  cut_text(label.raw + kDescriptionOffset, kDescriptionWidth, label.description);
  return label.magic == kIndexMagic &&
         (label.version == kIndexVersion || label.version == kIndexVersionAlt);
}

}  // namespace tovr

namespace tovr {

int is_valid_file(const char* path, const char* signature) {
  if (path == nullptr) return 0;
  StreamCloser s(stream_open(path, "rb"));
  if (s.get() == nullptr) return 0;
  Label label;
  if (!ReadLabel(s.get(), label)) return 0;
  return std::strcmp(label.signature, signature != nullptr ? signature : "") == 0 ? 1 : 0;
}

int get_metadata(const char* path, char* text, int size) {
  if (path == nullptr) return kDbNotFound;
  StreamCloser s(stream_open(path, "rb"));
  if (s.get() == nullptr) return kDbNotFound;
  Label label;
  if (!ReadLabel(s.get(), label)) return kDbNotFound;
  if (text == nullptr) return kDbOk;
  // The caller's buffer holds size + 1 bytes.
  const std::size_t length = std::strlen(label.description);
  const std::size_t n = size < 0 ? 0 : std::min(length, static_cast<std::size_t>(size));
  std::memcpy(text, label.description, n);
  text[n] = '\0';
  return kDbOk;
}

int set_metadata(const char* path, const char* text) {
  if (path == nullptr) return kDbNotFound;
  StreamCloser s(stream_open(path, "r+b"));
  if (s.get() == nullptr) return kDbNotFound;
  Label label;
  if (!ReadLabel(s.get(), label)) return kDbNotFound;
  const std::size_t signature_end = kSignatureOffset + std::strlen(label.signature);
  std::memset(label.raw + signature_end, ' ', kPageSize - signature_end);
  if (text != nullptr) {
    std::memcpy(label.raw + kDescriptionOffset, text, strnlen(text, kDescriptionWidth));
  }
  if (stream_seek(s.get(), 0, 0) != 0) return kDbNoSpace;
  if (stream_write(label.raw, kPageSize, 1, s.get()) != 1) return kDbNoSpace;
  return stream_close(s.release()) == 0 ? kDbOk : kDbNoSpace;
}

}  // namespace tovr

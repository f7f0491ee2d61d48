#include "index_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "text.h"

namespace tovr::cli {
namespace {

constexpr size_t kPage = 1024;
constexpr uint32_t kMagic = 0x19AECE41;
constexpr int kMaxSequences = 249;
constexpr size_t kRelationSlot = 44;
constexpr size_t kSlotsPerPage = 22;

enum PageType { kKeyPage = 0, kNodePage = 1, kFreePage = 2, kRelationPage = 3, kBitmapPage = 4 };

class FileImage {
 public:
  explicit FileImage(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
  uint32_t u32(size_t at) const {
    if (at + 4 > bytes_.size()) return 0;
    return bytes_[at] | bytes_[at + 1] << 8 | bytes_[at + 2] << 16 |
           static_cast<uint32_t>(bytes_[at + 3]) << 24;
  }
  uint16_t u16(size_t at) const {
    if (at + 2 > bytes_.size()) return 0;
    return static_cast<uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
  }
  unsigned char byte(size_t at) const { return at < bytes_.size() ? bytes_[at] : 0; }
  std::string raw(size_t at, size_t width) const {
    if (at + width > bytes_.size()) return "";
    return std::string(reinterpret_cast<const char*>(&bytes_[at]), width);
  }
  // A blank-padded text field of the label.
  std::string text(size_t at, size_t width) const { return trim_end(raw(at, width)); }
  // Page n lies after the label block.
  bool has_page(uint32_t n) const { return (n + 2) * kPage <= bytes_.size(); }
  size_t page(uint32_t n) const { return (static_cast<size_t>(n) + 1) * kPage; }
  uint32_t page_count() const { return static_cast<uint32_t>(bytes_.size() / kPage) - 1; }

 private:
  std::vector<unsigned char> bytes_;
};

bool read_bytes(const std::string& path, std::vector<unsigned char>* bytes, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    *error = path + ": cannot open: " + std::strerror(errno);
    return false;
  }
  unsigned char buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    bytes->insert(bytes->end(), buffer, buffer + got);
  }
  std::fclose(f);
  return true;
}

// Record numbers of a relation: a chain of 10-word slots; a continued slot (state 3) holds 9
// numbers and the page of the next slot in word 9. The walk is bounded by the slots the
// file can hold, so a damaged chain cannot loop.
long relation_count(const FileImage& image, uint32_t page, unsigned slot) {
  long count = 0;
  size_t limit = static_cast<size_t>(image.page_count()) * kSlotsPerPage;
  for (size_t step = 0; step < limit && page != 0 && image.has_page(page); ++step) {
    if (slot >= kSlotsPerPage) break;
    size_t at = image.page(page) + 16 + kRelationSlot * slot;
    bool continued = image.byte(at + 40) == 3;
    int words = continued ? 9 : 10;
    for (int w = 0; w < words; ++w) {
      if (image.u32(at + 4 * w) == 0) break;
      ++count;
    }
    if (!continued) break;
    uint32_t next_page = image.u32(at + 36);
    slot = image.byte(at + 41);
    page = next_page;
  }
  return count;
}

long bitmap_count(const FileImage& image, uint32_t page) {
  long count = 0;
  for (uint32_t step = 0; step < image.page_count() && page != 0 && image.has_page(page); ++step) {
    size_t at = image.page(page);
    for (size_t b = 16; b < kPage; ++b) count += __builtin_popcount(image.byte(at + b));
    page = image.u32(at + 4);
  }
  return count;
}

void read_key_page(const FileImage& image, uint32_t page, SequenceInfo* seq) {
  size_t at = image.page(page);
  size_t used = image.u16(at + 12);
  if (used > kPage - 16) used = kPage - 16;
  size_t pos = at + 16;
  size_t end = pos + used;
  while (pos < end) {
    size_t key_end = pos;
    while (key_end < end && image.byte(key_end) != 0) ++key_end;
    if (key_end + 9 > end) break;
    KeyInfo key;
    key.key = image.raw(pos, key_end - pos);
    uint32_t word_a = image.u32(key_end + 1);
    uint32_t word_b = image.u32(key_end + 5);
    switch (word_b & 0xFF) {
      case 0:
        key.record_count = 1;
        break;
      case 1:
        key.record_count = relation_count(image, word_a, (word_b >> 8) & 0xFF);
        break;
      default:
        key.record_count = bitmap_count(image, word_a);
        break;
    }
    seq->record_count += key.record_count;
    seq->keys.push_back(std::move(key));
    pos = key_end + 9;
  }
}

SequenceInfo* owner_of(std::vector<SequenceInfo>* sequences, int owner) {
  for (SequenceInfo& s : *sequences) {
    if (s.number == owner) return &s;
  }
  return nullptr;
}

}  // namespace

bool read_index_file(const std::string& path, IndexFileInfo* info, std::string* error) {
  std::vector<unsigned char> bytes;
  if (!read_bytes(path, &bytes, error)) return false;
  FileImage image(std::move(bytes));
  if (!image.has_page(0) || image.u32(0) != kMagic) {
    *error = path + ": not an index file (no index label)";
    return false;
  }
  info->version = image.u32(4);
  info->signature = image.text(8, 255);
  info->description = image.text(264, 759);
  size_t header = image.page(0);
  info->highest_page = image.u32(header + 20);
  info->extension = static_cast<int16_t>(image.u16(header + 24));
  for (int k = 0; k < kMaxSequences; ++k) {
    uint32_t page = image.u32(header + 28 + 4 * k);
    if (page == 0 || !image.has_page(page)) continue;
    SequenceInfo seq;
    seq.number = k;
    seq.header_page = page;
    seq.coding = image.u32(image.page(page) + 16);
    seq.width = image.u32(image.page(page) + 24);
    info->sequences.push_back(seq);
  }
  uint32_t last =
      info->highest_page < image.page_count() ? info->highest_page : image.page_count() - 1;
  for (uint32_t n = 1; n <= last; ++n) {
    size_t at = image.page(n);
    int type = image.byte(at + 15);
    if (type == kFreePage) {
      ++info->free_pages;
      continue;
    }
    SequenceInfo* seq = owner_of(&info->sequences, image.byte(at + 14));
    if (seq == nullptr) continue;
    if (type == kKeyPage) {
      ++seq->key_pages;
      read_key_page(image, n, seq);
    } else if (type == kNodePage) {
      ++seq->node_pages;
    } else if (type == kRelationPage) {
      ++seq->relation_pages;
    } else if (type == kBitmapPage) {
      ++seq->bitmap_pages;
    }
  }
  return true;
}

}  // namespace tovr::cli

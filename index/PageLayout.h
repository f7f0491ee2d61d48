// Byte layout of an index file: the label block, the 16-byte page header, the file header
// page (page 0) and the index header page of a sequence. Every integer on disk is
// little-endian; these helpers read and write it byte by byte, so the layout does not depend
// on the host's order or alignment.
#pragma once

#include <cstdint>

namespace tovr {

inline constexpr int kPageSize = 1024;
inline constexpr int kPageHeader = 16;
inline constexpr int kPageData = kPageSize - kPageHeader;  // 1008 bytes of data area

inline constexpr uint32_t kIndexMagic = 0x19AECE41u;
inline constexpr uint32_t kIndexVersion = 1600;
inline constexpr uint32_t kIndexVersionAlt = 1700;

// Page types.
inline constexpr int kKeyPage = 0;
inline constexpr int kNodePage = 1;
inline constexpr int kFreePage = 2;
inline constexpr int kRelationPage = 3;
inline constexpr int kBitmapPage = 4;
inline constexpr int kFileHeaderPage = 5;

inline constexpr int kMaxSequences = 249;  // sequence numbers 0..248
inline constexpr int kNodesPerPage = 126;
inline constexpr int kMaxNodePages = 100;
inline constexpr uint32_t kFreeNodeMark = 0xFFFFFFFFu;
inline constexpr uint32_t kRootNode = 3;
inline constexpr uint32_t kFirstHeaderFreeNode = 4;

inline uint16_t load_u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t load_u32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void store_u16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void store_u32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// Messages print page numbers with %ld as the 32-bit signed value they are on disk.
inline long page_arg(uint32_t page) { return static_cast<long>(static_cast<int32_t>(page)); }

// The page header, the first 16 bytes of every page:
//   0 u32 own number, 4 u32 forward link, 8 u32 back link, 12 u16 bytes used,
//   14 u8 owner (sequence number), 15 u8 page type.
class PageRef {
 public:
  explicit PageRef(uint8_t* bytes) : b_(bytes) {}

  uint8_t* bytes() const { return b_; }
  uint8_t* data() const { return b_ + kPageHeader; }

  uint32_t number() const { return load_u32(b_); }
  uint32_t forward() const { return load_u32(b_ + 4); }
  uint32_t back() const { return load_u32(b_ + 8); }
  uint16_t used() const { return load_u16(b_ + 12); }
  int owner() const { return b_[14]; }
  int type() const { return b_[15]; }

  void set_number(uint32_t v) const { store_u32(b_, v); }
  void set_forward(uint32_t v) const { store_u32(b_ + 4, v); }
  void set_back(uint32_t v) const { store_u32(b_ + 8, v); }
  void set_used(uint16_t v) const { store_u16(b_ + 12, v); }
  void set_owner(int v) const { b_[14] = static_cast<uint8_t>(v); }
  void set_type(int v) const { b_[15] = static_cast<uint8_t>(v); }

 private:
  uint8_t* b_;
};

// Page 0, the file header page:
//   16 u32 first free page, 20 u32 highest page, 24 i16 extension size,
//   26 i16 number of sequences, 28 + 4k u32 index header page of sequence k.
class FileHeaderRef {
 public:
  explicit FileHeaderRef(uint8_t* bytes) : b_(bytes) {}

  uint32_t first_free() const { return load_u32(b_ + 16); }
  uint32_t highest() const { return load_u32(b_ + 20); }
  int16_t extension() const { return static_cast<int16_t>(load_u16(b_ + 24)); }
  int16_t sequences() const { return static_cast<int16_t>(load_u16(b_ + 26)); }
  uint32_t header_page(int seq) const { return load_u32(b_ + 28 + 4 * seq); }

  void set_first_free(uint32_t v) const { store_u32(b_ + 16, v); }
  void set_highest(uint32_t v) const { store_u32(b_ + 20, v); }
  void set_extension(int16_t v) const { store_u16(b_ + 24, static_cast<uint16_t>(v)); }
  void set_sequences(int16_t v) const { store_u16(b_ + 26, static_cast<uint16_t>(v)); }
  void set_header_page(int seq, uint32_t v) const { store_u32(b_ + 28 + 4 * seq, v); }

 private:
  uint8_t* b_;
};

// The index header page of a sequence is a node page whose slots 0..2 hold:
//   16 u32 key coding method (1 sound code, 2 Pearson hash), 20 u32 first free node,
//   24 u32 hash width in bits, 28 u32 zero, 32 u32 page of the first free relation slot,
//   36 u32 number of that slot. Slot 3 (offset 40) is the root of the key tree.
class IndexHeaderRef {
 public:
  explicit IndexHeaderRef(uint8_t* bytes) : b_(bytes) {}

  uint32_t method() const { return load_u32(b_ + 16); }
  uint32_t first_free_node() const { return load_u32(b_ + 20); }
  uint32_t width() const { return load_u32(b_ + 24); }
  uint32_t free_slot_page() const { return load_u32(b_ + 32); }
  uint32_t free_slot() const { return load_u32(b_ + 36); }

  void set_method(uint32_t v) const { store_u32(b_ + 16, v); }
  void set_first_free_node(uint32_t v) const { store_u32(b_ + 20, v); }
  void set_width(uint32_t v) const { store_u32(b_ + 24, v); }
  void set_free_slot_page(uint32_t v) const { store_u32(b_ + 32, v); }
  void set_free_slot(uint32_t v) const { store_u32(b_ + 36, v); }

 private:
  uint8_t* b_;
};

// Node j of a node page (or of the index header page) is two u32 words at 16 + 8j.
inline uint8_t* node_slot(uint8_t* page, int slot) { return page + kPageHeader + 8 * slot; }

}  // namespace tovr

// The 1024-byte label block at the start of every index file:
//   0 u32 magic 0x19AECE41, 4 u32 format version (1600 written; 1600 and 1700 read),
//   8 signature text (255 bytes), 263 blank, 264 description text (759 bytes), 1023 blank.
// Text fields are blank-padded on disk and carry no terminator.
#pragma once

#include <cstdint>

#include "frame/stream.h"
#include "index/PageLayout.h"

namespace tovr {

inline constexpr int kSignatureOffset = 8;
inline constexpr int kSignatureWidth = 255;
inline constexpr int kDescriptionOffset = 264;
inline constexpr int kDescriptionWidth = 759;

struct Label {
  uint8_t raw[kPageSize];
  uint32_t magic;
  uint32_t version;
  char signature[kSignatureWidth + 1];      // trailing blanks removed
  char description[kDescriptionWidth + 1];  // trailing blanks removed
};

// Fills a label block for a new file: blanks, magic, version 1600 and the signature text.
void build_label(uint8_t* block, const char* signature);

// ReadLabel: reads the block at offset 0 and cuts its text fields. True when the block was
// read and carries the magic and an accepted version. A null stream is reported.
bool ReadLabel(Stream stream, Label& label);

}  // namespace tovr

namespace tovr {

// Label operations on closed files, by path.
// 1 when the file has a valid label whose signature text equals signature exactly.
int is_valid_file(const char* path, const char* signature);
// Copies the description text (at most size characters and a terminator) -> 0 or 3.
int get_metadata(const char* path, char* text, int size);
// Replaces the description text (cut at 759 characters) -> 0, 3 or 9.
int set_metadata(const char* path, const char* text);

}  // namespace tovr

// Reads the structure of an index file for 'tovr index describe': the label block, the file
// header page and, for every sequence, its pages, keys and record numbers. The layout is
// the library's file format: a 1024-byte label, then 1024-byte pages, little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovr::cli {

struct KeyInfo {
  std::string key;
  long record_count = 0;
};

struct SequenceInfo {
  int number = 0;
  uint32_t header_page = 0;
  uint32_t coding = 0;  // 1 sound code, 2 hash
  uint32_t width = 0;   // bits
  long key_pages = 0;
  long node_pages = 0;  // the header page included
  long relation_pages = 0;
  long bitmap_pages = 0;
  long record_count = 0;
  std::vector<KeyInfo> keys;  // in page order
};

struct IndexFileInfo {
  uint32_t version = 0;
  std::string signature;
  std::string description;
  uint32_t highest_page = 0;
  int extension = 0;
  long free_pages = 0;
  std::vector<SequenceInfo> sequences;
};

// False with *error when the file cannot be read or carries no valid index label.
bool read_index_file(const std::string& path, IndexFileInfo* info, std::string* error);

}  // namespace tovr::cli

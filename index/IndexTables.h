// The process-wide tables of the disk index: the cross-reference entries (one per INDEX
// statement) and the file table (one FCB per distinct FILE path), the signature text used
// when a file is created, and the record-count value that decides when a relation becomes
// a bitmap. Unguarded: the index is used by one thread at a time.
#pragma once

#include <cstdint>

#include "index/IndexFile.h"

namespace tovr {

struct Icb;

inline constexpr int kMaxIndexName = 8;

struct XrefEntry {
  char name[kMaxIndexName + 1];
  int16_t seq;
  Fcb* fcb;
  Icb* handle;  // the open handle of this sequence, or null
  uint16_t open;
};

struct IndexTables {
  bool loaded = false;
  XrefEntry* entries = nullptr;
  int entry_count = 0;
  Fcb* files = nullptr;
  int file_count = 0;
  char signature[256] = {};  // at most 255 characters
  int record_count = 100;
};

IndexTables& index_tables();

// Releases both tables (every file must be closed) and clears the loaded flag, so that the
// next open reads the statements again.
void release_tables();

// The entry whose name equals name without regard to case, or null.
XrefEntry* find_entry(const char* name);

// True when some entry has an open handle.
bool any_entry_open();

}  // namespace tovr

#include "index/IndexTables.h"

#include "frame/memory.h"
#include "frame/strings.h"

namespace tovr {

IndexTables& index_tables() {
  static IndexTables tables;
  return tables;
}

void release_tables() {
  IndexTables& t = index_tables();
  for (int i = 0; i < t.file_count; ++i) close_file(t.files[i]);
  mem_free(t.entries);
  mem_free(t.files);
  t.entries = nullptr;
  t.files = nullptr;
  t.entry_count = 0;
  t.file_count = 0;
  t.loaded = false;
}

XrefEntry* find_entry(const char* name) {
  if (name == nullptr) return nullptr;
  IndexTables& t = index_tables();
  for (int i = 0; i < t.entry_count; ++i) {
    if (str_icmp(t.entries[i].name, name) == 0) return &t.entries[i];
  }
  return nullptr;
}

bool any_entry_open() {
  IndexTables& t = index_tables();
  for (int i = 0; i < t.entry_count; ++i) {
    if (t.entries[i].open != 0) return true;
  }
  return false;
}

}  // namespace tovr

// A consistency walk of an index file read straight from its bytes, independent of the
// library's own page routines: the free list, each sequence's tree directory and nodes, key
// pages and their chains, relations, bitmaps, and that every page is used exactly once.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tovr::test {

struct WalkResult {
  std::vector<std::string> errors;
  // Key -> its record pointers in ascending order, over the sequences walked.
  std::map<std::string, std::vector<uint32_t>> keys;
  std::map<std::string, int> kinds;  // key -> 0 single, 1 relation, 2 bitmap
  int key_pages = 0;
  int overflow_pages = 0;
  int relation_pages = 0;
  int bitmap_pages = 0;
  int free_pages = 0;
  int max_depth = 0;
  int free_nodes = 0;
};

// Walks the given sequences of the file. With `whole_file`, also checks that every page of
// the file belongs to one of them or to the free list.
WalkResult walk_index(const std::string& file, const std::vector<int>& seqs,
                      bool whole_file = true);

}  // namespace tovr::test

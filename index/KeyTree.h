// The key tree: a binary tree over the bits of a key's code, most significant bit first,
// whose leaves lead to key pages (buckets). A node at depth d (the root, node 3, has depth
// 1) tests bit W - d of the code, W being the walk width. Nodes are
//   internal (left, right), left > 0: left child for bit 0, right child for bit 1;
//   leaf (0, key page), page 0 being an empty leaf.
// A full bucket is split on the next bit; buckets that cannot be split grow chains of
// overflow pages (forward link: next overflow page, back link: the page it hangs from).
// An underfull bucket is fused with its sibling leaf.
#pragma once

#include <cstdint>

#include "index/DbStatus.h"
#include "index/Icb.h"
#include "index/KeyPage.h"

namespace tovr {

inline constexpr int kExactMode = 1;
inline constexpr int kHeadMode = 0;
inline constexpr int kNotFound = -1;
inline constexpr int kTreeBroken = -2;

// Walks from the root by the bits of code, recording the path; *page receives the leaf's key
// page (0 for an empty leaf). False when the tree is broken.
bool walk_tree(Icb& icb, uint32_t code, TreePath* path, uint32_t* page);

// FindEntry: searches key in mode 1 (whole key, letters without regard to case) or mode 0
// (head match, see head_match). Returns the entry's offset in the current key page and
// leaves the entry in the handle's search state, or kNotFound (the current page is then
// the first page of the bucket) or kTreeBroken when a page or node could not be read.
int FindEntry(Icb& icb, int mode, const char* key);

// The entry found by the last FindEntry, read from its page; false when it is not there.
bool current_entry(Icb& icb, const char* caller, uint8_t** page, Entry* e);

// Rewrites the pointer-set words of the entry found by the last FindEntry.
bool update_entry_words(Icb& icb, uint32_t a, uint32_t b, const char* caller);

// InsertEntry: adds key with a single record pointer, after FindEntry found no such key.
// Returns 0 or 9 (no page); a bucket that cannot be split grows an overflow page.
int InsertEntry(Icb& icb, const char* key, uint32_t pointer);

// DeleteDirect: removes the entry at offset of page (found by the last FindEntry), freeing
// an emptied bucket page and fusing an underfull one with its sibling. Returns 0 or 9.
int DeleteDirect(Icb& icb, uint32_t page, int offset);

void forget_last_key(Icb& icb);

// Upper bound of pages in any chain of the file (a longer walk has met a loop).
uint32_t chain_limit(Icb& icb);

}  // namespace tovr

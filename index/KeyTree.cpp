#include "index/KeyTree.h"

#include <cstring>

#include "frame/strings.h"
#include "index/NodeStore.h"

namespace tovr {
namespace {

// A page is fused with its sibling when it holds fewer bytes than this, and the sibling
// joins it when the sibling holds fewer than kFuseSiblingBelow and both fit one page.
constexpr int kFuseBelow = 403;
constexpr int kFuseSiblingBelow = 404;

int walk_width(const Icb& icb) { return icb.coding.walk_width(); }

bool room_for(const uint8_t* page, int length) {
  return PageRef(const_cast<uint8_t*>(page)).used() + length + kEntryOverhead <= kPageData;
}

void remember_last_key(Icb& icb, const Entry& e) {
  LastKey& last = icb.last;
  const SearchState& s = icb.search;
  last.valid = e.length <= kMaxKeyLength;
  std::memcpy(last.key, e.key, static_cast<std::size_t>(e.length <= kMaxKeyLength ? e.length : 0));
  last.key[e.length <= kMaxKeyLength ? e.length : 0] = '\0';
  last.page = s.page;
  last.offset = s.offset;
  last.bucket = s.bucket;
  last.path = s.path;
}

// The last key found is read straight from its page; the path and bucket remembered with it
// become current again, so that a deletion that follows works on that key's own leaf.
int find_remembered(Icb& icb, const char* key) {
  LastKey& last = icb.last;
  SearchState& s = icb.search;
  uint8_t* b = ReadPage(*icb.fcb, last.page, "FindEntry1");
  Entry e;
  if (b == nullptr || !key_page_ok(b) || !entry_at(b, last.offset, &e) ||
      str_icmp(e.key, key) != 0) {
    last.valid = false;
    return kNotFound;
  }
  s.path = last.path;
  s.bucket = last.bucket;
  s.page = last.page;
  s.offset = last.offset;
  s.word_a = e.a;
  s.word_b = e.b;
  return s.offset;
}

bool matches(int mode, const Entry& e, const char* key) {
  if (mode == kExactMode) return str_icmp(e.key, key) == 0;
  return head_match(e.key, key, nullptr);
}

// Scans the bucket chain for key; kNotFound leaves the bucket's first page current.
int scan_bucket(Icb& icb, int mode, const char* key) {
  SearchState& s = icb.search;
  const uint32_t limit = chain_limit(icb);
  uint32_t steps = 0;
  for (uint32_t page = s.bucket; page != 0;) {
    uint8_t* b = ReadPage(*icb.fcb, page, "FindEntry2");
    if (b == nullptr || !key_page_ok(b) || ++steps > limit) return kTreeBroken;
    const int used = PageRef(b).used();
    Entry e;
    int offset = 0;
    for (; offset < used && entry_at(b, offset, &e); offset += e.size()) {
      if (!matches(mode, e, key)) continue;
      s.page = page;
      s.offset = offset;
      s.word_a = e.a;
      s.word_b = e.b;
      if (mode == kExactMode) {
        remember_last_key(icb, e);
      } else {
        forget_last_key(icb);
      }
      return offset;
    }
    if (offset < used) return kTreeBroken;
    page = PageRef(b).forward();
  }
  s.page = s.bucket;
  s.offset = kNotFound;
  if (s.bucket != 0 && ReadPage(*icb.fcb, s.bucket, "FindEntry3") == nullptr) return kTreeBroken;
  return kNotFound;
}

uint32_t leaf_node(const Icb& icb) { return icb.search.path.nodes[icb.search.path.depth - 1]; }

// Takes a key page and hangs it on the current (empty) leaf.
uint32_t new_leaf_page(Icb& icb, const char* caller) {
  uint8_t* b = nullptr;
  const uint32_t page = FreePage(*icb.fcb, &b, kKeyPage, icb.seq, caller);
  if (page == 0) return 0;
  // The page is on the disk before the tree leads to it.
  write_through(*icb.fcb, page);
  if (!SetNode(icb, leaf_node(icb), 0, page)) {
    ReturnPage(*icb.fcb, b, page, caller);
    return 0;
  }
  icb.search.bucket = page;
  icb.search.page = page;
  return page;
}

// Takes a key page and links it after page `from` as an overflow page.
uint32_t new_overflow_page(Icb& icb, uint32_t from, const char* caller) {
  uint8_t* b = nullptr;
  const uint32_t page = FreePage(*icb.fcb, &b, kKeyPage, icb.seq, caller);
  if (page == 0) return 0;
  PageRef(b).set_back(from);
  WritePage(*icb.fcb, b, page, caller);
  // The page is on the disk before the chain leads to it.
  write_through(*icb.fcb, page);
  uint8_t* prev = ReadPage(*icb.fcb, from, caller);
  if (prev == nullptr) {
    if ((b = ReadPage(*icb.fcb, page, caller)) != nullptr) ReturnPage(*icb.fcb, b, page, caller);
    return 0;
  }
  PageRef(prev).set_forward(page);
  WritePage(*icb.fcb, prev, from, caller);
  icb.search.second = page;
  return page;
}

void give_back(Icb& icb, uint32_t page, const char* caller) {
  uint8_t* b = ReadPage(*icb.fcb, page, caller);
  if (b != nullptr) ReturnPage(*icb.fcb, b, page, caller);
}

bool moves(Icb& icb, const Entry& e, int bit) {
  return ((code_key(icb.coding, e.key).walk_code >> bit) & 1u) != 0;
}

// A split in two steps, so that the disk never holds P without the entries that left it
// while the tree there still leads to P for them: first the entries of P whose code has
// `bit` set are appended to Q (in order; P stays as it is) ...
void copy_moving_entries(Icb& icb, uint32_t p, uint32_t q, int bit) {
  uint8_t* bp = ReadPage(*icb.fcb, p, "SplitPage1");
  uint8_t* bq = ReadPage(*icb.fcb, q, "SplitPage2");
  if (bp == nullptr || bq == nullptr) return;
  const int used = PageRef(bp).used();
  Entry e;
  for (int offset = 0; offset < used && entry_at(bp, offset, &e); offset += e.size()) {
    if (moves(icb, e, bit)) append_entry(bq, e.key, e.length, e.a, e.b);
  }
  WritePage(*icb.fcb, bq, q, "SplitPage2");
}

// ... and once Q and the tree that leads to it are on the disk, they leave P, whose other
// entries close up in order.
void drop_moved_entries(Icb& icb, uint32_t p, int bit) {
  uint8_t* bp = ReadPage(*icb.fcb, p, "SplitPage1");
  if (bp == nullptr) return;
  uint8_t* data = PageRef(bp).data();
  const int used = PageRef(bp).used();
  int keep = 0;
  Entry e;
  for (int offset = 0; offset < used && entry_at(bp, offset, &e); offset += e.size()) {
    if (moves(icb, e, bit)) continue;
    std::memmove(data + keep, data + offset, static_cast<std::size_t>(e.size()));
    keep += e.size();
  }
  PageRef(bp).set_used(static_cast<uint16_t>(keep));
  if (keep < kPageData) data[keep] = 0;
  WritePage(*icb.fcb, bp, p, "SplitPage1");
}

// Puts the new leaves l and r on the disk, then their parent (the old leaf) that now leads
// to them. A directory page holding the parent too is written once, after it.
void write_split_nodes(Icb& icb, uint32_t l, uint32_t r, uint32_t parent) {
  const uint32_t parent_dir = node_directory_page(icb, parent);
  const uint32_t l_dir = node_directory_page(icb, l);
  const uint32_t r_dir = node_directory_page(icb, r);
  if (l_dir != parent_dir) write_node_through(icb, l);
  if (r_dir != parent_dir && r_dir != l_dir) write_node_through(icb, r);
  write_node_through(icb, parent);
}

int used_of(Icb& icb, uint32_t page) {
  const uint8_t* b = ReadPage(*icb.fcb, page, "SplitPage");
  return b == nullptr ? -1 : PageRef(const_cast<uint8_t*>(b)).used();
}

// ReleaseSplit: the empty side of a split becomes an empty leaf and its page is returned,
// once the tree on the disk no longer leads to it.
void ReleaseSplit(Icb& icb, uint32_t empty_node, uint32_t empty_page, bool nothing_moved) {
  SetNode(icb, empty_node, 0, 0);
  write_node_through(icb, empty_node);
  give_back(icb, empty_page, nothing_moved ? "ReleaseSplit2" : "ReleaseSplit1");
  icb.search.second = 0;
}

// SplitPage: splits the current key page P, which has no room for a key of length n, on the
// next bit of the code until the key's page has room. Returns 0 (split done; the key's page
// is current), 9 (no page), 10 (no node), 15 (no bit left) or 16 (P is part of a chain).
int SplitPage(Icb& icb, int n) {
  SearchState& s = icb.search;
  const int width = walk_width(icb);
  for (;;) {
    const uint32_t p = s.page;
    uint8_t* bp = ReadPage(*icb.fcb, p, "SplitPage");
    if (bp == nullptr || !key_page_ok(bp)) return kDbNoSpace;
    if (PageRef(bp).forward() != 0 || PageRef(bp).back() != 0) return kDbOverflow;
    const int depth = s.path.depth;
    if (depth > width) return kDbNoBitLeft;
    uint8_t* bq = nullptr;
    const uint32_t q = FreePage(*icb.fcb, &bq, kKeyPage, icb.seq, "SplitPage");
    if (q == 0) return kDbNoSpace;
    const long left = FreeNode(icb);
    const long right = left < 0 ? -1 : FreeNode(icb);
    if (right < 0) {
      if (left >= 0) release_node(icb, static_cast<uint32_t>(left));
      give_back(icb, q, "SplitPage");
      return kDbNoNode;
    }
    const uint32_t l = static_cast<uint32_t>(left);
    const uint32_t r = static_cast<uint32_t>(right);
    const uint32_t parent = leaf_node(icb);
    if (!SetNode(icb, l, 0, p) || !SetNode(icb, r, 0, q)) return kDbNoSpace;
    copy_moving_entries(icb, p, q, width - depth);
    write_through(*icb.fcb, q);
    if (!SetNode(icb, parent, l, r)) return kDbNoSpace;
    write_split_nodes(icb, l, r, parent);
    drop_moved_entries(icb, p, width - depth);
    forget_last_key(icb);
    uint32_t key_page = 0;
    if (!walk_tree(icb, s.codes.walk_code, &s.path, &key_page)) return kDbNoSpace;
    s.bucket = key_page;
    s.page = key_page;
    s.second = key_page == p ? q : p;
    const int used_p = used_of(icb, p);
    const int used_q = used_of(icb, q);
    const int used_key = key_page == p ? used_p : used_q;
    if (used_p < 0 || used_q < 0) return kDbNoSpace;
    if (used_p == 0 || used_q == 0) {
      if (used_key == 0) return kDbOk;
      const bool nothing_moved = used_q == 0;
      ReleaseSplit(icb, nothing_moved ? r : l, nothing_moved ? q : p, nothing_moved);
      continue;
    }
    if (n + 10 < kPageData - used_key) return kDbOk;
  }
}

// The page of the key's bucket chain that takes an entry of length n: the first page with
// room, else a new page linked after the last one. With `fresh`, a bucket page without
// overflow pages gets a new overflow page straight away.
int overflow_target(Icb& icb, int n, bool fresh, uint32_t* target) {
  SearchState& s = icb.search;
  if (!walk_tree(icb, s.codes.walk_code, &s.path, &s.bucket)) return kDbNoSpace;
  if (s.bucket == 0) {
    *target = new_leaf_page(icb, "InsertFull2");
    return *target != 0 ? kDbOk : kDbNoSpace;
  }
  const uint8_t* first = ReadPage(*icb.fcb, s.bucket, "InsertFull");
  if (first == nullptr) return kDbNoSpace;
  if (fresh && PageRef(const_cast<uint8_t*>(first)).forward() == 0) {
    *target = new_overflow_page(icb, s.bucket, "InsertFull");
    return *target != 0 ? kDbOk : kDbNoSpace;
  }
  const uint32_t limit = chain_limit(icb);
  uint32_t last = s.bucket;
  uint32_t steps = 0;
  for (uint32_t page = s.bucket; page != 0; ++steps) {
    const uint8_t* b = ReadPage(*icb.fcb, page, "InsertFull3");
    if (b == nullptr || !key_page_ok(b) || steps > limit) return kDbNoSpace;
    if (room_for(b, n)) {
      *target = page;
      return kDbOk;
    }
    last = page;
    page = PageRef(const_cast<uint8_t*>(b)).forward();
  }
  *target = new_overflow_page(icb, last, "InsertFull3");
  return *target != 0 ? kDbOk : kDbNoSpace;
}

// InsertFull: finds a page for an entry of length n when the current key page is full.
int InsertFull(Icb& icb, int n, uint32_t* target) {
  SearchState& s = icb.search;
  int outcome = kDbOk;
  if (s.path.depth > walk_width(icb)) {
    const uint8_t* b = ReadPage(*icb.fcb, s.page, "InsertFull");
    if (b == nullptr) return kDbNoSpace;
    outcome = PageRef(const_cast<uint8_t*>(b)).forward() == 0 ? kDbNoBitLeft : kDbOverflow;
  } else {
    outcome = SplitPage(icb, n);
  }
  if (outcome == kDbNoSpace) return kDbNoSpace;
  if (outcome != kDbOk) return overflow_target(icb, n, outcome != kDbOverflow, target);
  if (!walk_tree(icb, s.codes.walk_code, &s.path, &s.bucket)) return kDbNoSpace;
  if (s.bucket == 0) {
    *target = new_leaf_page(icb, "InsertFull2");
    return *target != 0 ? kDbOk : kDbNoSpace;
  }
  const uint8_t* b = ReadPage(*icb.fcb, s.bucket, "FullInsert");
  if (b != nullptr && room_for(b, n)) {
    *target = s.bucket;
    return kDbOk;
  }
  return overflow_target(icb, n, false, target);
}

// Collapse: the parent of the leaf at the path's end becomes a leaf with the current leaf's
// page; both children go to the free node list, the current node first.
bool collapse(Icb& icb) {
  TreePath& path = icb.search.path;
  const int d = path.depth;
  const uint32_t leaf = path.nodes[d - 1];
  const uint32_t parent = path.nodes[d - 2];
  uint32_t l = 0, r = 0, w0 = 0, page = 0;
  if (!GetNode(icb, parent, &l, &r) || !GetNode(icb, leaf, &w0, &page)) return false;
  const uint32_t sibling = l == leaf ? r : l;
  if (!SetNode(icb, parent, 0, page)) return false;
  // The parent stops leading to its children on the disk before they are marked free.
  const uint32_t parent_dir = node_directory_page(icb, parent);
  if (node_directory_page(icb, leaf) != parent_dir ||
      node_directory_page(icb, sibling) != parent_dir) {
    write_node_through(icb, parent);
  }
  IndexHeaderRef h = index_header(icb);
  const uint32_t old_first = h.first_free_node();
  SetNode(icb, sibling, kFreeNodeMark, old_first);
  SetNode(icb, leaf, kFreeNodeMark, sibling);
  h.set_first_free_node(leaf);
  icb.header_dirty = true;
  path.depth = d - 1;
  icb.search.bucket = page;
  return true;
}

// The sibling of the leaf at the path's end when it is a leaf too: *page receives its key
// page (0 when empty). False when there is no such sibling.
bool sibling_leaf(Icb& icb, uint32_t* page) {
  const TreePath& path = icb.search.path;
  if (path.depth < 2) return false;
  const uint32_t leaf = path.nodes[path.depth - 1];
  uint32_t l = 0, r = 0, w0 = 0;
  if (!GetNode(icb, path.nodes[path.depth - 2], &l, &r)) return false;
  if (l != leaf && r != leaf) return false;
  return GetNode(icb, l == leaf ? r : l, &w0, page) && w0 == 0;
}

void FusePage(Icb& icb, uint32_t p) {
  uint32_t sibling = 0;
  if (!sibling_leaf(icb, &sibling)) return;
  uint8_t* bp = ReadPage(*icb.fcb, p, "FusePage");
  if (bp == nullptr || PageRef(bp).forward() != 0 || PageRef(bp).back() != 0) return;
  if (sibling == 0) {
    collapse(icb);
    return;
  }
  uint8_t* bs = ReadPage(*icb.fcb, sibling, "FusePage");
  if (bs == nullptr || !key_page_ok(bs)) return;
  PageRef sp(bs);
  if (sp.forward() != 0 || sp.back() != 0 || sp.used() >= kFuseSiblingBelow) return;
  if (PageRef(bp).used() + sp.used() >= kPageData + 1) return;
  // S's entries join P, and P reaches the disk, before the tree stops leading to S; S is
  // freed once the tree on the disk leads to P alone.
  const int used_before = PageRef(bp).used();
  Entry e;
  for (int offset = 0; entry_at(bs, offset, &e); offset += e.size()) {
    append_entry(bp, e.key, e.length, e.a, e.b);
  }
  WritePage(*icb.fcb, bp, p, "FusePage");
  write_through(*icb.fcb, p);
  if (!collapse(icb)) {
    if ((bp = ReadPage(*icb.fcb, p, "FusePage")) != nullptr) {
      PageRef(bp).set_used(static_cast<uint16_t>(used_before));
      PageRef(bp).data()[used_before] = 0;
    }
    return;
  }
  write_node_through(icb, icb.search.path.nodes[icb.search.path.depth - 1]);
  bs = ReadPage(*icb.fcb, sibling, "FusePage");
  if (bs == nullptr) return;
  ReturnPage(*icb.fcb, bs, sibling, "FusePage");
  uint32_t above = 0;
  while (icb.search.path.depth >= 2 && sibling_leaf(icb, &above) && above == 0) {
    if (!collapse(icb)) return;
  }
}

}  // namespace

uint32_t chain_limit(Icb& icb) { return file_header(*icb.fcb).highest() + 1; }

void forget_last_key(Icb& icb) { icb.last.valid = false; }

bool walk_tree(Icb& icb, uint32_t code, TreePath* path, uint32_t* page) {
  const int width = walk_width(icb);
  uint32_t node = kRootNode;
  path->depth = 0;
  for (;;) {
    if (path->depth >= kMaxTreeDepth) return false;
    path->nodes[path->depth++] = node;
    uint32_t w0 = 0, w1 = 0;
    if (!GetNode(icb, node, &w0, &w1) || w0 == kFreeNodeMark) return false;
    if (w0 == 0) {
      *page = w1;
      return true;
    }
    const int depth = path->depth;
    if (depth > width) return false;
    node = ((code >> (width - depth)) & 1u) != 0 ? w1 : w0;
  }
}

int FindEntry(Icb& icb, int mode, const char* key) {
  SearchState& s = icb.search;
  s.codes = code_key(icb.coding, key);
  if (mode == kExactMode && icb.last.valid && str_icmp(key, icb.last.key) == 0) {
    const int offset = find_remembered(icb, key);
    if (offset >= 0) return offset;
  }
  if (!walk_tree(icb, s.codes.walk_code, &s.path, &s.bucket)) return kTreeBroken;
  s.page = s.bucket;
  s.offset = kNotFound;
  if (s.bucket == 0) return kNotFound;
  return scan_bucket(icb, mode, key);
}

bool current_entry(Icb& icb, const char* caller, uint8_t** page, Entry* e) {
  uint8_t* b = ReadPage(*icb.fcb, icb.search.page, caller);
  if (b == nullptr || !key_page_ok(b) || !entry_at(b, icb.search.offset, e)) return false;
  *page = b;
  return true;
}

bool update_entry_words(Icb& icb, uint32_t a, uint32_t b, const char* caller) {
  uint8_t* page = nullptr;
  Entry e;
  if (!current_entry(icb, caller, &page, &e)) return false;
  set_entry_words(page, e, a, b);
  WritePage(*icb.fcb, page, icb.search.page, caller);
  icb.search.word_a = a;
  icb.search.word_b = b;
  return true;
}

int InsertEntry(Icb& icb, const char* key, uint32_t pointer) {
  SearchState& s = icb.search;
  const int n = static_cast<int>(std::strlen(key));
  if (s.bucket == 0 && new_leaf_page(icb, "TOVR_dbInsert1") == 0) return kDbNoSpace;
  uint32_t target = s.page;
  const uint8_t* b = ReadPage(*icb.fcb, target, "TOVR_dbInsert1");
  if (b == nullptr || !key_page_ok(b)) return kDbNoSpace;
  if (!room_for(b, n)) {
    const int status = InsertFull(icb, n, &target);
    if (status != kDbOk) return status;
  }
  uint8_t* page = ReadPage(*icb.fcb, target, "TOVR_dbInsert1");
  if (page == nullptr) return kDbNoSpace;
  const int offset = append_entry(page, key, n, pointer, kSingleKind);
  if (offset < 0) return kDbNoSpace;
  WritePage(*icb.fcb, page, target, "TOVR_dbInsert1");
  s.page = target;
  s.offset = offset;
  s.word_a = pointer;
  s.word_b = kSingleKind;
  forget_last_key(icb);
  return kDbOk;
}

int DeleteDirect(Icb& icb, uint32_t page, int offset) {
  uint8_t* b = ReadPage(*icb.fcb, page, "DeleteDirect");
  Entry e;
  if (b == nullptr || !key_page_ok(b) || !entry_at(b, offset, &e)) return kDbNoSpace;
  remove_entry(b, e);
  WritePage(*icb.fcb, b, page, "DeleteDirect");
  forget_last_key(icb);
  PageRef p(b);
  if (p.used() == 0 && p.forward() == 0 && p.back() == 0) {
    uint32_t w0 = 0, w1 = 0;
    const uint32_t leaf = leaf_node(icb);
    if (GetNode(icb, leaf, &w0, &w1) && w0 == 0 && w1 == page) {
      // The tree on the disk stops leading to the page before the page is freed.
      SetNode(icb, leaf, 0, 0);
      write_node_through(icb, leaf);
      b = ReadPage(*icb.fcb, page, "DeleteDirect");
      if (b != nullptr) ReturnPage(*icb.fcb, b, page, "DeleteDirect");
      icb.search.bucket = 0;
    }
    return kDbOk;
  }
  if (p.used() < kFuseBelow) FusePage(icb, page);
  return kDbOk;
}

}  // namespace tovr

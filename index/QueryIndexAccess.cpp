#include "index/QueryIndexAccess.h"

#include <cstring>

#include "index/Bitmap.h"
#include "index/IndexTables.h"
#include "index/KeyPage.h"
#include "index/KeyTree.h"
#include "index/Relation.h"

namespace tovr {
namespace {

// Caller names of the page reads: the bucket scan is the search's own scan, and loading a
// set reads the same pages as the segment-wise evaluation.
constexpr const char* kBucketCaller = "FindEntry2";
constexpr const char* kLoadCaller = "LoadSeg";

Icb* handle_of(const XrefEntry* index) { return index == nullptr ? nullptr : index->handle; }

bool load_relation(Icb& icb, uint32_t a, uint32_t b, ResultSet& out) {
  RelationReader reader(icb, relation_of(a, b));
  uint32_t pointer = 0;
  int got = 0;
  while ((got = reader.next(&pointer)) == 1) {
    if (is_record_number(pointer)) out.append(pointer);
  }
  return got == 0;
}

bool load_bitmap(Icb& icb, uint32_t first, ResultSet& out) {
  out.to_bitmap();
  const uint32_t limit = chain_limit(icb);
  uint32_t segment = 0;
  for (uint32_t page = first; page != 0; ++segment) {
    const uint8_t* b = read_bitmap_page(icb, page, kLoadCaller);
    if (b == nullptr || segment > limit) return false;
    std::memcpy(out.ensure_segment(segment), PageRef(const_cast<uint8_t*>(b)).data(),
                kSegmentBytes);
    page = PageRef(const_cast<uint8_t*>(b)).forward();
  }
  return true;
}

}  // namespace

void IndexBucketKeys::scan(XrefEntry* index, const char* key, KeyVisitor& visitor) {
  if (handle_of(index) == nullptr) return;
  Icb& icb = *handle_of(index);
  const KeyCodes codes = code_key(icb.coding, key);
  TreePath path;
  uint32_t page = 0;
  if (!walk_tree(icb, codes.walk_code, &path, &page)) return;
  const uint32_t limit = chain_limit(icb);
  for (uint32_t steps = 0; page != 0 && steps <= limit; ++steps) {
    const uint8_t* b = ReadPage(*icb.fcb, page, kBucketCaller);
    if (b == nullptr || !key_page_ok(b)) return;
    PageRef p(const_cast<uint8_t*>(b));
    const int used = p.used();
    const uint32_t next = p.forward();
    Entry e;
    for (int offset = 0; offset < used && entry_at(b, offset, &e); offset += e.size()) {
      if (!visitor.visit(e.key, e.length)) return;
    }
    page = next;
  }
}

bool IndexTermLoader::load(const ProgramEntry& term, ResultSet& out) {
  if (handle_of(term.index) == nullptr) {
    out.set_state(kEmptySet);
    return true;
  }
  Icb& icb = *handle_of(term.index);
  const int found = FindEntry(icb, kExactMode, term.key);
  if (found == kTreeBroken) return false;
  if (found == kNotFound) {
    out.set_state(kEmptySet);
    return true;
  }
  const uint32_t a = icb.search.word_a;
  const uint32_t b = icb.search.word_b;
  switch (b & 0xFF) {
    case kSingleKind:
      if (is_record_number(a)) out.append(a);
      return true;
    case kRelationKind:
      return load_relation(icb, a, b, out);
    case kBitmapKind:
      return load_bitmap(icb, a, out);
    default:
      return false;
  }
}

}  // namespace tovr

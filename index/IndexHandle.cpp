#include "index/IndexHandle.h"

#include <cstring>

#include "frame/memory.h"
#include "frame/messages.h"
#include "frame/strings.h"
#include "index/CrossReference.h"
#include "index/IndexMessages.h"
#include "index/InsertCache.h"
#include "index/NodeStore.h"
#include "index/QueryState.h"
#include "index/SegmentLoad.h"

namespace tovr {
namespace {

// The header image must describe a sequence this library can walk.
bool load_header(Icb& icb) {
  const uint32_t page = file_header(*icb.fcb).header_page(icb.seq);
  const uint8_t* b = ReadPage(*icb.fcb, page, "dbOpen");
  if (b == nullptr) return false;
  std::memcpy(icb.header, b, kPageSize);
  icb.header_page = page;
  PageRef p(icb.header);
  IndexHeaderRef h(icb.header);
  if (p.type() != kNodePage) return false;
  if (h.method() != kSoundCodeMethod && h.method() != kPearsonMethod) return false;
  if (h.width() != 16 && h.width() != 32) return false;
  icb.coding.method = h.method();
  icb.coding.width = h.width();
  return ReadTreeDir(icb);
}

Icb* make_handle(XrefEntry& e) {
  Icb* icb = static_cast<Icb*>(mem_alloc_zeroed(1, sizeof(Icb)));
  if (icb == nullptr) return nullptr;
  std::memcpy(icb->tag, kIcbTag, sizeof kIcbTag);
  icb->entry = &e;
  icb->fcb = e.fcb;
  icb->seq = e.seq;
  icb->match.finished = true;
  return icb;
}

void free_handle(Icb* icb) {
  std::memset(icb->tag, 0, sizeof icb->tag);
  mem_free(icb);
}

// Undoes a failed open: the file is closed when no handle uses it, and the tables are
// released when no sequence is open, so that a corrected statement source is read next.
Icb* fail_open(Fcb* f, int* status, int code) {
  if (f != nullptr && f->open_count == 0) close_file(*f);
  if (!any_entry_open()) release_tables();
  *status = code;
  return nullptr;
}

}  // namespace

Icb* open_index(const OpenRequest& r, int* status) {
  IndexTables& t = index_tables();
  copy_text(t.signature, sizeof t.signature, r.signature != nullptr ? r.signature : "");
  if (!t.loaded) {
    const int loaded = load_cross_reference(r.statements);
    if (loaded != kDbOk) {
      *status = loaded;
      return nullptr;
    }
  }
  XrefEntry* e = find_entry(r.name);
  if (e == nullptr) return fail_open(nullptr, status, kDbNotFound);
  if (e->handle != nullptr) {
    *status = kDbOk;
    return e->handle;
  }
  Fcb& f = *e->fcb;
  int result = kDbOk;
  if (f.open_count == 0) {
    const CreateSettings settings{r.initial_pages, r.extension, r.coding, r.width, t.signature};
    result = OpenFile(f, e->seq, settings, r.buffers, r.write_flag);
    if (result != kDbOk && result != kDbFileCreated) return fail_open(&f, status, result);
  }
  if (file_header(f).header_page(e->seq) == 0) {
    if (r.write_flag != 1) short_console_message(dbmsg::kCreateReadOnly);
    result = NewIndex(f, e->seq, r.coding, r.width);
    if (result != kDbSequenceCreated) return fail_open(&f, status, result);
  }
  Icb* icb = make_handle(*e);
  if (icb == nullptr) return fail_open(&f, status, kDbNoSpace);
  if (!load_header(*icb)) {
    free_handle(icb);
    return fail_open(&f, status, kDbNotFound);
  }
  ++f.open_count;
  e->open = 1;
  e->handle = icb;
  if (result == kDbSequenceCreated) {
    icb->header_dirty = true;
    flush_index(*icb);
  }
  *status = result;
  return icb;
}

int flush_index(Icb& icb) {
  flush_insert_cache(icb);
  IndexTables& t = index_tables();
  HeaderImage images[kMaxSequences];
  int n = 0;
  for (int i = 0; i < t.entry_count && n < kMaxSequences; ++i) {
    Icb* other = t.entries[i].handle;
    if (other != nullptr && other->fcb == icb.fcb) {
      images[n++] = HeaderImage{other->seq, other->header, &other->header_dirty};
    }
  }
  return flush_file(*icb.fcb, images, n);
}

void close_index(Icb* icb) {
  // The flush empties the insert cache, which may still add position records. Pages that
  // could not be written get one more try before the file is closed.
  if (flush_index(*icb) > 0) flush_index(*icb);
  icb->positions.release();
  release_insert_cache(*icb);
  release_segment_stack(*icb);
  release_query_state(*icb);
  Fcb* f = icb->fcb;
  XrefEntry* e = icb->entry;
  free_handle(icb);
  if (--f->open_count == 0) close_file(*f);
  e->handle = nullptr;
  e->open = 0;
  if (!any_entry_open()) release_tables();
}

void remove_index(Icb* icb) {
  Fcb& f = *icb->fcb;
  if (!writable(f)) short_console_message(dbmsg::kRemoveReadOnly);
  flush_index(*icb);
  FileHeaderRef h = file_header(f);
  const uint32_t highest = h.highest();
  // Page 0 stops naming the sequence on the disk before its pages are freed.
  h.set_header_page(icb->seq, 0);
  h.set_sequences(static_cast<int16_t>(h.sequences() - 1));
  f.page0_dirty = true;
  write_through(f, 0);
  // A header that claims pages far beyond the end of the file would make this walk endless;
  // a long run of unreadable pages ends it.
  int unreadable = 0;
  for (uint32_t page = 1; page <= highest && page != 0 && unreadable < 64; ++page) {
    uint8_t* b = ReadPage(f, page, "TOVR_dbRemove");
    if (b == nullptr) {
      ++unreadable;
      continue;
    }
    unreadable = 0;
    PageRef p(b);
    if (p.type() != kFreePage && p.owner() == icb->seq) {
      ReturnPage(f, b, page, "TOVR_dbRemove");
    }
  }
  close_index(icb);
}

}  // namespace tovr

#include "index/IndexFile.h"

#include <algorithm>
#include <cstring>

#include "frame/memory.h"
#include "frame/messages.h"
#include "index/IndexMessages.h"
#include "index/KeyCode.h"
#include "index/Label.h"

namespace tovr {
namespace {

enum class Mode { kRead, kWrite };

long page_offset(uint32_t page) { return (static_cast<long>(page) + 1) * kPageSize; }

char upper_letter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

void build_free_page(uint8_t* page, uint32_t number, uint32_t next) {
  std::memset(page, 0, kPageSize);
  PageRef p(page);
  p.set_number(number);
  p.set_forward(next);
  p.set_type(kFreePage);
}

bool write_block(Stream s, const uint8_t* block) {
  return stream_write(block, kPageSize, 1, s) == 1;
}

// Writes a dirty buffer back to its page; false when the seek or the write failed. A buffer
// whose header names another page is reported and dropped, so that a stray buffer never
// overwrites a page.
bool write_back(Fcb& f, int i) {
  BufCtl& c = f.pool.ctl(i);
  uint8_t* b = f.pool.buffer(i);
  const uint32_t found = PageRef(b).number();
  if (found != c.page) {
    short_console_message(dbmsg::kPhysIOMismatch, page_arg(found), page_arg(c.page));
    return true;
  }
  if (stream_seek(f.stream, page_offset(c.page), 0) != 0) {
    short_console_message(dbmsg::kPhysIOSeek, page_arg(c.page));
    return false;
  }
  if (!write_block(f.stream, b)) {
    short_console_message(dbmsg::kPhysIOWrite, page_arg(c.page));
    return false;
  }
  return true;
}

// Frees the least recently used buffer for a new page. A dirty buffer that cannot be written
// back keeps its page and stays dirty (losing it would leave the file inconsistent); the
// next buffer in order of use is tried instead. False when no buffer could be freed.
bool free_least_recent(Fcb& f) {
  for (int tries = 0; tries < f.pool.count(); ++tries) {
    BufCtl& c = f.pool.ctl(f.pool.least_recent());
    if (c.dirty == 0 || !writable(f) || write_back(f, f.pool.least_recent())) {
      c.dirty = 0;
      return true;
    }
    f.pool.pass_over_least_recent();
  }
  return false;
}

// PhysIO: the miss path. Evicts the least recently used buffer (writing it back when dirty
// and the file is writable; a read-only file drops it) and reads page into it. Returns the
// buffer index, or -1 when no buffer could be freed or the page could not be read (the
// buffer is then left empty).
int PhysIO(Fcb& f, Mode mode, uint32_t page) {
  if (mode == Mode::kWrite) short_console_message(dbmsg::kWriteNotInMemory, page_arg(page));
  if (!free_least_recent(f)) return -1;
  const int i = f.pool.take_least_recent();
  uint8_t* b = f.pool.buffer(i);
  if (stream_seek(f.stream, page_offset(page), 0) != 0) {
    short_console_message(dbmsg::kPhysIOSeek, page_arg(page));
    std::memset(b, 0, kPageSize);
    return -1;
  }
  if (stream_read(b, kPageSize, 1, f.stream) != 1) {
    short_console_message(dbmsg::kPhysIORead, page_arg(page));
    std::memset(b, 0, kPageSize);
    return -1;
  }
  f.pool.assign(i, page);
  return i;
}

int locate(Fcb& f, Mode mode, uint32_t page) {
  int i = f.pool.find(page);
  if (i < 0) i = PhysIO(f, mode, page);
  if (i >= 0 && mode == Mode::kWrite) f.pool.ctl(i).dirty = 1;
  return i;
}

void keep_dirty(const FlushPair& pair) {
  if (pair.pool_dirty != nullptr) *pair.pool_dirty = 1;
  if (pair.image_dirty != nullptr) *pair.image_dirty = true;
}

void init_relation_slots(uint8_t* page, uint32_t number) {
  for (int s = 0; s < 22; ++s) {
    uint8_t* slot = page + kPageHeader + 44 * s;
    std::memset(slot, 0, 44);
    const bool last = s == 21;
    store_u32(slot, last ? 0 : number);
    slot[40] = 5;
    slot[41] = static_cast<uint8_t>(last ? 0 : s + 1);
  }
}

void init_node_slots(uint8_t* page) {
  for (int j = 0; j < kNodesPerPage; ++j) {
    store_u32(node_slot(page, j), kFreeNodeMark);
    store_u32(node_slot(page, j) + 4, j + 1 < kNodesPerPage ? static_cast<uint32_t>(j + 1) : 0);
  }
}

}  // namespace

bool coding_letters(char coding, char width, uint32_t* method, uint32_t* bits) {
  const char c = upper_letter(coding);
  const char w = upper_letter(width);
  if ((c != 'S' && c != 'R') || (w != 'S' && w != 'L')) return false;
  if (c == 'S' && w == 'L') return false;
  *method = c == 'R' ? kPearsonMethod : kSoundCodeMethod;
  *bits = w == 'L' ? 32 : 16;
  return true;
}

void build_index_header(uint8_t* page, uint32_t number, int seq, uint32_t method, uint32_t bits) {
  std::memset(page, 0, kPageSize);
  PageRef p(page);
  p.set_number(number);
  p.set_owner(seq);
  p.set_type(kNodePage);
  IndexHeaderRef h(page);
  h.set_method(method);
  h.set_first_free_node(kFirstHeaderFreeNode);
  h.set_width(bits);
  for (int j = kFirstHeaderFreeNode; j < kNodesPerPage; ++j) {
    store_u32(node_slot(page, j), kFreeNodeMark);
    store_u32(node_slot(page, j) + 4, j + 1 < kNodesPerPage ? static_cast<uint32_t>(j + 1) : 0);
  }
}

int NewFile(const char* path, int seq, const CreateSettings& settings) {
  uint32_t method = 0;
  uint32_t bits = 0;
  if (settings.extension < kMinPages || settings.initial_pages < kMinPages ||
      !coding_letters(settings.coding, settings.width, &method, &bits)) {
    return kDbBadParameter;
  }
  StreamCloser stream(stream_open(path, "wb"));
  if (stream.get() == nullptr) return kDbNoSpace;
  uint8_t block[kPageSize];
  build_label(block, settings.signature != nullptr ? settings.signature : "");
  if (!write_block(stream.get(), block)) return kDbNoSpace;

  std::memset(block, 0, kPageSize);
  PageRef(block).set_type(kFileHeaderPage);
  FileHeaderRef h(block);
  h.set_first_free(2);
  h.set_highest(static_cast<uint32_t>(settings.initial_pages - 1));
  h.set_extension(static_cast<int16_t>(settings.extension));
  h.set_sequences(1);
  h.set_header_page(seq, 1);
  if (!write_block(stream.get(), block)) return kDbNoSpace;

  build_index_header(block, 1, seq, method, bits);
  if (!write_block(stream.get(), block)) return kDbNoSpace;

  for (int n = 2; n < settings.initial_pages; ++n) {
    const uint32_t next = n + 1 < settings.initial_pages ? static_cast<uint32_t>(n + 1) : 0;
    build_free_page(block, static_cast<uint32_t>(n), next);
    if (!write_block(stream.get(), block)) return kDbNoSpace;
  }
  return stream_close(stream.release()) == 0 ? kDbOk : kDbNoSpace;
}

int OpenFile(Fcb& f, int seq, const CreateSettings& settings, int buffers, int write_flag) {
  if (buffers < kMinBuffers) return kDbBadParameter;
  bool created = false;
  Stream s = stream_open(f.path, write_flag != 0 ? "r+b" : "rb");
  if (s != nullptr) {
    Label label;
    if (!ReadLabel(s, label)) {
      stream_close(s);
      return kDbNotFound;
    }
  } else {
    // A file that exists but cannot be opened for update is never created over.
    if (write_flag != 0) {
      Stream probe = stream_open(f.path, "rb");
      if (probe != nullptr) {
        stream_close(probe);
        return kDbNoSpace;
      }
    }
    if (write_flag != 1) short_console_message(dbmsg::kNewFileReadOnly);
    const int made = NewFile(f.path, seq, settings);
    if (made != kDbOk) return made;
    s = stream_open(f.path, "r+b");
    if (s == nullptr) return kDbBadParameter;
    created = true;
  }
  StreamCloser closer(s);
  if (stream_seek(s, kPageSize, 0) != 0 || stream_read(f.page0, kPageSize, 1, s) != 1) {
    return kDbNotFound;
  }
  PageRef p0(f.page0);
  if (p0.number() != 0 || p0.type() != kFileHeaderPage) return kDbNotFound;
  const std::size_t pairs = static_cast<std::size_t>(buffers) + kMaxSequences + 1;
  f.flush_pairs = static_cast<FlushPair*>(mem_alloc(sizeof(FlushPair) * pairs));
  if (f.flush_pairs == nullptr || !f.pool.init(buffers)) {
    mem_free(f.flush_pairs);
    f.flush_pairs = nullptr;
    return kDbNoSpace;
  }
  f.write_flag = write_flag;
  f.page0_dirty = false;
  f.stream = closer.release();
  return created ? kDbFileCreated : kDbOk;
}

int NewIndex(Fcb& f, int seq, char coding, char width) {
  if (!writable(f)) short_console_message(dbmsg::kNewIndexReadOnly);
  uint32_t method = 0;
  uint32_t bits = 0;
  if (!coding_letters(coding, width, &method, &bits)) return kDbBadParameter;
  uint8_t* b = nullptr;
  const uint32_t page = FreePage(f, &b, kNodePage, seq, "OpenFile");
  if (page == 0) return kDbNoSpace;
  build_index_header(b, page, seq, method, bits);
  WritePage(f, b, page, "OpenFile");
  // The header page is on the disk before page 0 names it.
  write_through(f, page);
  FileHeaderRef h = file_header(f);
  h.set_sequences(static_cast<int16_t>(h.sequences() + 1));
  h.set_header_page(seq, page);
  f.page0_dirty = true;
  return kDbSequenceCreated;
}

void close_file(Fcb& f) {
  if (f.stream != nullptr) stream_close(f.stream);
  f.stream = nullptr;
  f.pool.release();
  mem_free(f.flush_pairs);
  f.flush_pairs = nullptr;
  f.page0_dirty = false;
}

uint8_t* ReadPage(Fcb& f, uint32_t page, const char* caller) {
  if (page == 0) return f.page0;
  uint8_t* b = nullptr;
  uint32_t found = 0;
  if (page != kNoPage) {
    const int i = locate(f, Mode::kRead, page);
    if (i >= 0) {
      b = f.pool.buffer(i);
      found = PageRef(b).number();
    }
  } else {
    short_console_message(dbmsg::kPhysIORead, page_arg(page));
  }
  if (b == nullptr || found != page) {
    short_console_message(dbmsg::kReadPageMismatch, caller, page_arg(page), page_arg(found));
    return nullptr;
  }
  return b;
}

void WritePage(Fcb& f, const uint8_t* buffer, uint32_t page, const char* caller) {
  const uint32_t found = load_u32(buffer);
  if (found != page) {
    short_console_message(dbmsg::kWritePageMismatch, caller, page_arg(page), page_arg(found));
  }
  if (page == 0) {
    f.page0_dirty = true;
    return;
  }
  if (page != kNoPage) locate(f, Mode::kWrite, page);
}

namespace {

// The first page of the free list, read; 0 when none can be had. A list that leads to a
// page in use (page 0 on the disk older than the pages written after it, when writes
// failed) is reported and dropped: handing that page out would destroy it, so its pages
// are lost to the file, which grows instead.
uint32_t first_free_page(Fcb& f, const char* caller, uint8_t** buffer) {
  FileHeaderRef h = file_header(f);
  for (int tries = 0; tries < 2; ++tries) {
    if (h.first_free() == 0 && ExtendFile(f) != kDbOk) return 0;
    const uint32_t page = h.first_free();
    uint8_t* b = ReadPage(f, page, "FreePage");
    if (b == nullptr || page == 0) return 0;
    if (PageRef(b).type() == kFreePage) {
      *buffer = b;
      return page;
    }
    short_console_message(dbmsg::kPageNotFree, page_arg(page), caller);
    h.set_first_free(0);
    f.page0_dirty = true;
  }
  return 0;
}

}  // namespace

uint32_t FreePage(Fcb& f, uint8_t** buffer, int type, int owner, const char* caller) {
  FileHeaderRef h = file_header(f);
  uint8_t* b = nullptr;
  const uint32_t page = first_free_page(f, caller, &b);
  if (page == 0) return 0;
  PageRef p(b);
  h.set_first_free(p.forward());
  f.page0_dirty = true;
  p.set_forward(0);
  switch (type) {
    case kKeyPage:
      p.set_used(0);
      p.data()[0] = 0;
      break;
    case kNodePage:
      init_node_slots(b);
      break;
    case kRelationPage:
      init_relation_slots(b, page);
      break;
    case kBitmapPage:
      p.set_used(0);
      std::memset(p.data(), 0, kPageData);
      break;
    default:
      break;
  }
  p.set_owner(owner);
  p.set_type(type);
  WritePage(f, b, page, caller);
  *buffer = b;
  return page;
}

void ReturnPage(Fcb& f, uint8_t* buffer, uint32_t page, const char* caller) {
  PageRef p(buffer);
  if (p.number() != page) {
    // Freeing a buffer that holds another page would put the wrong page on the free list.
    short_console_message(dbmsg::kReturnPageMismatch, caller, page_arg(page), page_arg(p.number()));
    return;
  }
  FileHeaderRef h = file_header(f);
  p.set_type(kFreePage);
  p.set_forward(h.first_free());
  p.set_back(0);
  p.set_owner(0);
  h.set_first_free(page);
  f.page0_dirty = true;
  WritePage(f, buffer, page, "ReturnPage");
}

int ExtendFile(Fcb& f) {
  if (!writable(f)) short_console_message(dbmsg::kExtendReadOnly);
  FileHeaderRef h = file_header(f);
  const int extension = h.extension();
  const uint32_t first = h.highest() + 1;
  // Page numbers stay below 2^31 so that every page offset and message value is exact.
  if (extension < 1 || first == 0 || first > 0x7FFFFFFFu - static_cast<uint32_t>(extension)) {
    return kDbNoSpace;
  }
  if (stream_seek(f.stream, page_offset(first), 0) != 0) {
    short_console_message(dbmsg::kExtendSeek, page_arg(first));
    return kDbNoSpace;
  }
  uint8_t block[kPageSize];
  for (int k = 0; k < extension; ++k) {
    const uint32_t n = first + static_cast<uint32_t>(k);
    build_free_page(block, n, k + 1 < extension ? n + 1 : 0);
    if (!write_block(f.stream, block)) return kDbNoSpace;
  }
  h.set_highest(first + static_cast<uint32_t>(extension) - 1);
  h.set_first_free(first);
  f.page0_dirty = true;
  return kDbOk;
}

bool write_image_through(Fcb& f, const uint8_t* image, uint32_t page) {
  if (!writable(f) || f.stream == nullptr || page == kNoPage) return true;
  if (stream_seek(f.stream, page_offset(page), 0) != 0) {
    short_console_message(dbmsg::kPhysIOSeek, page_arg(page));
    return false;
  }
  if (!write_block(f.stream, image)) {
    short_console_message(dbmsg::kPhysIOWrite, page_arg(page));
    return false;
  }
  return true;
}

bool write_through(Fcb& f, uint32_t page) {
  if (page == 0) return !f.page0_dirty || write_image_through(f, f.page0, 0);
  const int i = f.pool.peek(page);
  if (i < 0 || f.pool.ctl(i).dirty == 0) return true;
  // A buffer whose header names another page is never written over this one.
  if (PageRef(f.pool.buffer(i)).number() != page) return true;
  return write_image_through(f, f.pool.buffer(i), page);
}

int flush_file(Fcb& f, const HeaderImage* images, int count) {
  FlushPair* pairs = f.flush_pairs;
  int n = 0;
  if (f.page0_dirty) {
    pairs[n++] = {0, f.page0, nullptr, &f.page0_dirty};
    f.page0_dirty = false;
  }
  FileHeaderRef h = file_header(f);
  for (int k = 0; k < count; ++k) {
    if (!*images[k].dirty) continue;
    *images[k].dirty = false;
    const uint32_t page = h.header_page(images[k].seq);
    if (page == 0) continue;
    // A pool copy of a header page would go stale once the image is written; refresh it.
    const int i = f.pool.peek(page);
    if (i >= 0) {
      std::memcpy(f.pool.buffer(i), images[k].bytes, kPageSize);
      f.pool.ctl(i).dirty = 0;
    }
    pairs[n++] = {page, images[k].bytes, nullptr, images[k].dirty};
  }
  for (int i = 0; i < f.pool.count(); ++i) {
    BufCtl& c = f.pool.ctl(i);
    if (c.dirty == 0) continue;
    c.dirty = 0;
    if (c.page != kNoPage) pairs[n++] = {c.page, f.pool.buffer(i), &c.dirty, nullptr};
  }
  std::sort(pairs, pairs + n, [](const FlushPair& a, const FlushPair& b) {
    return static_cast<int32_t>(a.page) < static_cast<int32_t>(b.page);
  });
  int written = 0;
  int failed = 0;
  for (int k = 0; k < n; ++k) {
    const uint32_t page = pairs[k].page;
    if (stream_seek(f.stream, page_offset(page), 0) != 0) {
      short_console_message(dbmsg::kFlushSeek, page_arg(page));
      keep_dirty(pairs[k]);
      ++failed;
      continue;
    }
    const uint32_t found = load_u32(pairs[k].bytes);
    if (found != page) {
      // A buffer that names another page is not written over this one.
      short_console_message(dbmsg::kFlushMismatch, page_arg(page), page_arg(found));
      continue;
    }
    if (!write_block(f.stream, pairs[k].bytes)) {
      short_console_message(dbmsg::kFlushWrite, page_arg(page));
      keep_dirty(pairs[k]);
      ++failed;
      continue;
    }
    ++written;
  }
  if (written > 0) stream_flush(f.stream);
  return failed;
}

}  // namespace tovr

// An index file: its control block (FCB), creation of a new file and of further sequences
// in it, and the page routines over its buffer pool. Page 0 (the file header page) lives in
// an image of its own and never enters the pool.
//
// Every routine that touches a page takes a short caller name that its consistency messages
// print. The messages end in "Check for available disk space" and the operation carries on
// where that is safe; where going on would overwrite a page that is not what it should be,
// the routine reports and gives up instead (noted at each place).
#pragma once

#include <cstdint>

#include "frame/stream.h"
#include "index/BufferPool.h"
#include "index/PageLayout.h"

namespace tovr {

inline constexpr int kMaxPathLength = 255;
inline constexpr int kMinBuffers = 5;
inline constexpr int kMinPages = 10;

struct FlushPair {
  uint32_t page;
  uint8_t* bytes;
  uint16_t* pool_dirty;  // the buffer's dirty flag, or null for an image
  bool* image_dirty;     // the image's dirty flag, or null for a buffer
};

// One FCB per index file named in the cross-reference statements. Plain data: an all-zero
// FCB is a closed file without a path.
struct Fcb {
  char path[kMaxPathLength + 1];
  int open_count;  // open index handles on this file
  Stream stream;
  int write_flag;  // as given to OpenFile; only 1 allows writing
  BufferPool pool;
  uint8_t page0[kPageSize];
  bool page0_dirty;
  FlushPair* flush_pairs;  // room for page 0, every sequence header and every buffer
};

inline bool writable(const Fcb& f) { return f.write_flag == 1; }
inline FileHeaderRef file_header(Fcb& f) { return FileHeaderRef(f.page0); }

// What a new file or sequence is created with.
struct CreateSettings {
  int initial_pages;
  int extension;
  char coding;  // 'S' sound code, 'R' Pearson hash (any case)
  char width;   // 'S' 16 bits, 'L' 32 bits (any case)
  const char* signature;
};

// Translates the two creation letters; false when either is unknown, or for the sound code
// with 32 bits, which has no 32-bit code to walk (such sequences are refused at creation).
bool coding_letters(char coding, char width, uint32_t* method, uint32_t* bits);

// Builds a new index header page for sequence seq in page (its own number is number).
void build_index_header(uint8_t* page, uint32_t number, int seq, uint32_t method, uint32_t bits);

// NewFile -> 0, 6 (bad settings) or 9 (the file could not be written).
int NewFile(const char* path, int seq, const CreateSettings& settings);
// OpenFile -> 0 (opened), 1 (created), 3 (bad label or header), 6 (bad setting), 9.
int OpenFile(Fcb& f, int seq, const CreateSettings& settings, int buffers, int write_flag);
// NewIndex -> 2 (created), 6 or 9.
int NewIndex(Fcb& f, int seq, char coding, char width);
// Closes the stream and releases the pool; the path stays.
void close_file(Fcb& f);

// ReadPage: the resident buffer of page, or null when the page could not be read or its
// header carries another number (both reported).
uint8_t* ReadPage(Fcb& f, uint32_t page, const char* caller);
// WritePage: marks the resident page dirty; it reaches the disk on eviction or flush.
void WritePage(Fcb& f, const uint8_t* buffer, uint32_t page, const char* caller);
// FreePage: takes a page off the free list (growing the file when the list is empty),
// initialises it for its type and owner and marks it dirty. 0 when no page can be had.
uint32_t FreePage(Fcb& f, uint8_t** buffer, int type, int owner, const char* caller);
// ReturnPage: puts a resident page at the head of the free list.
void ReturnPage(Fcb& f, uint8_t* buffer, uint32_t page, const char* caller);
// ExtendFile: appends extension-size free pages -> 0 or 9.
int ExtendFile(Fcb& f);

// Writes the current contents of a dirty page (0 for the page-0 image) to the disk now,
// ahead of eviction and flush, and leaves it dirty, so that the flush writes what it
// always writes. The key tree and the pointer sets use it to put a page that others will
// lean on (a split target, a new chain page, a tree that no longer leads to a page) on the
// disk before the page that drops what moved, so that whatever prefix of the writes
// reaches the disk (a disk that fills up) still holds everything flushed before. A page
// that is clean, not resident (eviction wrote it) or in a read-only file needs nothing.
// False when the seek or the write failed (reported).
bool write_through(Fcb& f, uint32_t page);
// The same for a page image kept outside the pool (an index header image).
bool write_image_through(Fcb& f, const uint8_t* image, uint32_t page);

// An index header image kept outside the pool by an open sequence.
struct HeaderImage {
  int seq;
  uint8_t* bytes;
  bool* dirty;
};

// Writes page 0, the dirty header images and every dirty buffer in ascending page order. A
// page whose seek or write fails stays dirty, so that a later flush writes it again.
// Returns the number of such pages.
int flush_file(Fcb& f, const HeaderImage* images, int count);

}  // namespace tovr

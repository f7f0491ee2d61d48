// The helpers here need no test framework, so the fuzz targets link this file as well.
#include "support/test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <unordered_set>

namespace tovr::test {

struct MemFsAccess {
  static void opened();
  static void closed();
};

namespace {

MemFs* g_fs = nullptr;
AllocationFaults* g_alloc = nullptr;
FileFaults* g_files = nullptr;
ConsoleCapture* g_console = nullptr;
std::unordered_set<void*>* g_blocks = nullptr;

template <class Fn>
TOVR_Callback as_cb(Fn fn) {
  return reinterpret_cast<TOVR_Callback>(fn);
}
template <class Fn>
Fn as_fn(TOVR_Callback cb) {
  return reinterpret_cast<Fn>(cb);
}

// ---- in-memory files ----

struct MemFile {
  std::string name;
  size_t pos = 0;
  bool readable = false;
  bool writable = false;
  bool append = false;
  bool eof = false;
};

std::string& data_of(MemFile* f) { return g_fs->files()[f->name]; }

void* mem_fopen(const char* name, const char* mode) {
  auto& files = g_fs->files();
  const bool plus = std::strchr(mode, '+') != nullptr;
  auto f = std::make_unique<MemFile>();
  f->name = name;
  switch (mode[0]) {
    case 'r':
      if (files.count(name) == 0) return nullptr;
      f->readable = true;
      f->writable = plus;
      break;
    case 'w':
      files[name].clear();
      f->writable = true;
      f->readable = plus;
      break;
    case 'a':
      files[name];
      f->writable = true;
      f->append = true;
      f->readable = plus;
      f->pos = files[name].size();
      break;
    default:
      return nullptr;
  }
  MemFsAccess::opened();
  return f.release();
}

// A null stream (what a library hands on when no file is named and the host serves the
// data) reads as an empty file and takes no writes.
int mem_fclose(void* s) {
  if (s == nullptr) return EOF;
  delete static_cast<MemFile*>(s);
  MemFsAccess::closed();
  return 0;
}

int mem_fflush(void*) { return 0; }
int mem_feof(void* s) { return s == nullptr || static_cast<MemFile*>(s)->eof ? 1 : 0; }

int mem_fseek(void* s, long offset, int origin) {
  if (s == nullptr) return -1;
  auto* f = static_cast<MemFile*>(s);
  long base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? static_cast<long>(f->pos)
                                                          : static_cast<long>(data_of(f).size());
  if (base + offset < 0) return -1;
  f->pos = static_cast<size_t>(base + offset);
  f->eof = false;
  return 0;
}

void mem_rewind(void* s) { mem_fseek(s, 0, SEEK_SET); }

int mem_fgetc(void* s) {
  if (s == nullptr) return EOF;
  auto* f = static_cast<MemFile*>(s);
  const std::string& d = data_of(f);
  if (!f->readable || f->pos >= d.size()) {
    f->eof = true;
    return EOF;
  }
  return static_cast<unsigned char>(d[f->pos++]);
}

char* mem_fgets(char* buf, int size, void* s) {
  if (size <= 0 || s == nullptr) return nullptr;
  auto* f = static_cast<MemFile*>(s);
  const std::string& d = data_of(f);
  int n = 0;
  while (n < size - 1) {
    if (!f->readable || f->pos >= d.size()) {
      f->eof = true;
      break;
    }
    const char c = d[f->pos++];
    buf[n++] = c;
    if (c == '\n') break;
  }
  if (n == 0) return nullptr;
  buf[n] = '\0';
  return buf;
}

size_t mem_fread(void* buf, size_t size, size_t count, void* s) {
  if (s == nullptr) return 0;
  auto* f = static_cast<MemFile*>(s);
  const std::string& d = data_of(f);
  if (!f->readable || size == 0) return 0;
  size_t avail = f->pos < d.size() ? d.size() - f->pos : 0;
  size_t items = std::min(count, avail / size);
  std::memcpy(buf, d.data() + f->pos, items * size);
  f->pos += items * size;
  if (items < count) f->eof = true;
  return items;
}

size_t mem_fwrite(const void* buf, size_t size, size_t count, void* s) {
  if (s == nullptr) return 0;
  auto* f = static_cast<MemFile*>(s);
  if (!f->writable) return 0;
  std::string& d = data_of(f);
  if (f->append) f->pos = d.size();
  size_t bytes = size * count;
  if (d.size() < f->pos + bytes) d.resize(f->pos + bytes, '\0');
  std::memcpy(d.data() + f->pos, buf, bytes);
  f->pos += bytes;
  return count;
}

}  // namespace

void MemFsAccess::opened() { ++g_fs->open_streams_; }
void MemFsAccess::closed() { --g_fs->open_streams_; }

MemFs::MemFs() {
  for (int i = 0; i < 10; ++i) saved_[i] = TOVR_cbGet(TOVRCB_Fopen + i);
  g_fs = this;
  TOVR_cbSet(TOVRCB_Fopen, as_cb(&mem_fopen));
  TOVR_cbSet(TOVRCB_Fclose, as_cb(&mem_fclose));
  TOVR_cbSet(TOVRCB_Fflush, as_cb(&mem_fflush));
  TOVR_cbSet(TOVRCB_Feof, as_cb(&mem_feof));
  TOVR_cbSet(TOVRCB_Fseek, as_cb(&mem_fseek));
  TOVR_cbSet(TOVRCB_Rewind, as_cb(&mem_rewind));
  TOVR_cbSet(TOVRCB_Fgetc, as_cb(&mem_fgetc));
  TOVR_cbSet(TOVRCB_Fgets, as_cb(&mem_fgets));
  TOVR_cbSet(TOVRCB_Fread, as_cb(&mem_fread));
  TOVR_cbSet(TOVRCB_Fwrite, as_cb(&mem_fwrite));
}

MemFs::~MemFs() {
  for (int i = 0; i < 10; ++i) TOVR_cbSet(TOVRCB_Fopen + i, saved_[i]);
  g_fs = nullptr;
}

// ---- allocation faults ----

struct AllocationAccess {
  static bool should_fail() {
    ++g_alloc->calls_;
    if (g_alloc->fail_at_ != 0 && g_alloc->calls_ == g_alloc->fail_at_) {
      g_alloc->injected_ = true;
      return true;
    }
    return false;
  }
  static TOVR_Callback saved(int i) { return g_alloc->saved_[i]; }
  static void add(void* p) {
    if (p != nullptr) {
      g_blocks->insert(p);
      ++g_alloc->live_;
    }
  }
  static void remove(void* p) {
    if (g_blocks->erase(p) != 0) --g_alloc->live_;
  }
};

namespace {

void* counting_malloc(size_t size) {
  if (AllocationAccess::should_fail()) return nullptr;
  void* p = as_fn<TOVRCB_MallocFn>(AllocationAccess::saved(0))(size);
  AllocationAccess::add(p);
  return p;
}

void* counting_realloc(void* old, size_t size) {
  if (AllocationAccess::should_fail()) return nullptr;
  void* p = as_fn<TOVRCB_ReallocFn>(AllocationAccess::saved(1))(old, size);
  if (p != nullptr) {
    if (old != nullptr) AllocationAccess::remove(old);
    AllocationAccess::add(p);
  }
  return p;
}

void counting_free(void* p) {
  AllocationAccess::remove(p);
  as_fn<TOVRCB_FreeFn>(AllocationAccess::saved(2))(p);
}

}  // namespace

AllocationFaults::AllocationFaults() {
  for (int i = 0; i < 3; ++i) saved_[i] = TOVR_cbGet(i);
  g_alloc = this;
  g_blocks = new std::unordered_set<void*>();
  TOVR_cbSet(TOVRCB_Malloc, as_cb(&counting_malloc));
  TOVR_cbSet(TOVRCB_Realloc, as_cb(&counting_realloc));
  TOVR_cbSet(TOVRCB_Free, as_cb(&counting_free));
}

AllocationFaults::~AllocationFaults() {
  for (int i = 0; i < 3; ++i) TOVR_cbSet(i, saved_[i]);
  delete g_blocks;
  g_blocks = nullptr;
  g_alloc = nullptr;
}

void AllocationFaults::fail_at(long n) {
  fail_at_ = n == 0 ? 0 : calls_ + n;
  injected_ = false;
}

// ---- file faults ----

struct FileFaultAccess {
  static bool should_fail(FileFaults::Op op) {
    long& c = g_files->calls_[static_cast<int>(op)];
    ++c;
    if (g_files->fail_at_ != 0 && op == g_files->fail_op_ &&
        (c == g_files->fail_at_ || (g_files->fail_rest_ && c > g_files->fail_at_))) {
      g_files->injected_ = true;
      return true;
    }
    return false;
  }
  template <class Fn>
  static Fn inner(int slot) {
    return as_fn<Fn>(g_files->inner_[slot - TOVRCB_Fopen]);
  }
};

namespace {

using Op = FileFaults::Op;

void* faulty_fopen(const char* name, const char* mode) {
  if (FileFaultAccess::should_fail(Op::kOpen)) return nullptr;
  return FileFaultAccess::inner<TOVRCB_FopenFn>(TOVRCB_Fopen)(name, mode);
}
int faulty_fflush(void* s) {
  if (FileFaultAccess::should_fail(Op::kWrite)) return EOF;
  return FileFaultAccess::inner<TOVRCB_FflushFn>(TOVRCB_Fflush)(s);
}
int faulty_fseek(void* s, long offset, int origin) {
  if (FileFaultAccess::should_fail(Op::kSeek)) return -1;
  return FileFaultAccess::inner<TOVRCB_FseekFn>(TOVRCB_Fseek)(s, offset, origin);
}
int faulty_fgetc(void* s) {
  if (FileFaultAccess::should_fail(Op::kRead)) return EOF;
  return FileFaultAccess::inner<TOVRCB_FgetcFn>(TOVRCB_Fgetc)(s);
}
char* faulty_fgets(char* buf, int size, void* s) {
  if (FileFaultAccess::should_fail(Op::kRead)) return nullptr;
  return FileFaultAccess::inner<TOVRCB_FgetsFn>(TOVRCB_Fgets)(buf, size, s);
}
size_t faulty_fread(void* buf, size_t size, size_t count, void* s) {
  if (FileFaultAccess::should_fail(Op::kRead)) return 0;
  return FileFaultAccess::inner<TOVRCB_FreadFn>(TOVRCB_Fread)(buf, size, count, s);
}
size_t faulty_fwrite(const void* buf, size_t size, size_t count, void* s) {
  if (FileFaultAccess::should_fail(Op::kWrite)) return 0;
  return FileFaultAccess::inner<TOVRCB_FwriteFn>(TOVRCB_Fwrite)(buf, size, count, s);
}

}  // namespace

FileFaults::FileFaults() {
  for (int i = 0; i < 10; ++i) inner_[i] = TOVR_cbGet(TOVRCB_Fopen + i);
  g_files = this;
  TOVR_cbSet(TOVRCB_Fopen, as_cb(&faulty_fopen));
  TOVR_cbSet(TOVRCB_Fflush, as_cb(&faulty_fflush));
  TOVR_cbSet(TOVRCB_Fseek, as_cb(&faulty_fseek));
  TOVR_cbSet(TOVRCB_Fgetc, as_cb(&faulty_fgetc));
  TOVR_cbSet(TOVRCB_Fgets, as_cb(&faulty_fgets));
  TOVR_cbSet(TOVRCB_Fread, as_cb(&faulty_fread));
  TOVR_cbSet(TOVRCB_Fwrite, as_cb(&faulty_fwrite));
}

FileFaults::~FileFaults() {
  for (int i = 0; i < 10; ++i) TOVR_cbSet(TOVRCB_Fopen + i, inner_[i]);
  g_files = nullptr;
}

void FileFaults::fail_at(Op op, long n) {
  fail_op_ = op;
  fail_at_ = n == 0 ? 0 : calls_[static_cast<int>(op)] + n;
  fail_rest_ = false;
  injected_ = false;
}

void FileFaults::fail_from(Op op, long n) {
  fail_at(op, n);
  fail_rest_ = true;
}

// ---- console ----

struct ConsoleAccess {
  static void console(const char* text) { g_console->console_ += text; }
  static void file(const char* text) { g_console->file_ += text; }
};

namespace {
int capture_printf(const char* text) {
  ConsoleAccess::console(text);
  return static_cast<int>(std::strlen(text));
}
int capture_fprintf(void*, const char* text) {
  ConsoleAccess::file(text);
  return static_cast<int>(std::strlen(text));
}
}  // namespace

ConsoleCapture::ConsoleCapture() {
  saved_printf_ = TOVR_cbGet(TOVRCB_Printf);
  saved_fprintf_ = TOVR_cbGet(TOVRCB_Fprintf);
  g_console = this;
  TOVR_cbSet(TOVRCB_Printf, as_cb(&capture_printf));
  TOVR_cbSet(TOVRCB_Fprintf, as_cb(&capture_fprintf));
}

ConsoleCapture::~ConsoleCapture() {
  TOVR_cbSet(TOVRCB_Printf, saved_printf_);
  TOVR_cbSet(TOVRCB_Fprintf, saved_fprintf_);
  g_console = nullptr;
}

std::string scratch_dir(const std::string& name) {
  const char* base = std::getenv("TOVR_TEST_TMP");
  std::filesystem::path dir = std::filesystem::path(base != nullptr ? base : "/tmp/tovr_tests") /
                              name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

}  // namespace tovr::test

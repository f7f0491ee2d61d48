#include "index/CrossReference.h"

#include <cstdlib>
#include <cstring>

#include "frame/line_reader.h"
#include "frame/memory.h"
#include "frame/stream.h"
#include "frame/strings.h"
#include "index/IndexMessages.h"
#include "index/IndexTables.h"

namespace tovr {
namespace {

enum class Keyword { kOther, kFile, kIndex, kInclude, kEnd };

bool blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

const char* skip_blanks(const char* p) {
  while (blank(*p)) ++p;
  return p;
}

// Copies the next blank-separated word at p into word (cut at size - 1); returns the
// position after it, or null when the line holds no further word.
const char* next_word(const char* p, char* word, std::size_t size) {
  p = skip_blanks(p);
  if (*p == '\0') return nullptr;
  std::size_t n = 0;
  while (*p != '\0' && !blank(*p)) {
    if (n + 1 < size) word[n++] = *p;
    ++p;
  }
  word[n] = '\0';
  return p;
}

Keyword keyword_of(const char* line, const char** after) {
  char word[kStatementLineSize + 1];
  const char* end = next_word(line, word, sizeof word);
  if (end == nullptr) return Keyword::kOther;
  *after = end;
  if (str_icmp(word, dbmsg::kFileKeyword) == 0) return Keyword::kFile;
  if (str_icmp(word, dbmsg::kIndexKeyword) == 0) return Keyword::kIndex;
  if (str_icmp(word, dbmsg::kIncludeKeyword) == 0) return Keyword::kInclude;
  if (str_icmp(word, dbmsg::kEndKeyword) == 0) return Keyword::kEnd;
  return Keyword::kOther;
}

void strip_terminator(char* line) {
  std::size_t n = std::strlen(line);
  while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) line[--n] = '\0';
}

// What one pass does with the FILE and INDEX statements it meets.
class Builder {
 public:
  Builder() = default;
  // A filling pass has room for what the counting pass found; a source that grew between
  // the passes is refused rather than overflowing the tables.
  Builder(int max_files, int max_indexes)
      : filling_(true), max_files_(max_files), max_indexes_(max_indexes) {}

  int files() const { return files_; }
  int indexes() const { return indexes_; }

  int statement(Keyword k, const char* after) {
    if (k == Keyword::kFile) return file(after);
    if (k == Keyword::kIndex) return index(after);
    return kDbOk;
  }

 private:
  // The path is everything after the keyword and one separator character.
  int file(const char* after) {
    ++files_;
    if (!filling_) return kDbOk;
    if (*after == '\0' || after[1] == '\0') return kDbXrefErrors;
    const char* path = after + 1;
    if (std::strlen(path) > static_cast<std::size_t>(kMaxPathLength)) return kDbXrefErrors;
    IndexTables& t = index_tables();
    // Two FILE statements naming the same path share one FCB, so that one file never has
    // two pools.
    for (int i = 0; i < t.file_count; ++i) {
      if (std::strcmp(t.files[i].path, path) == 0) {
        current_ = &t.files[i];
        return kDbOk;
      }
    }
    if (t.file_count >= max_files_) return kDbXrefErrors;
    current_ = &t.files[t.file_count++];
    std::memset(current_, 0, sizeof(Fcb));
    copy_text(current_->path, sizeof current_->path, path);
    return kDbOk;
  }

  // "%s %hd %s": keyword, sequence number, name.
  int index(const char* after) {
    ++indexes_;
    if (!filling_) return kDbOk;
    const char* p = skip_blanks(after);
    char* end = nullptr;
    const long number = std::strtol(p, &end, 10);
    if (end == p) return kDbXrefErrors;
    char name[kStatementLineSize + 1];
    if (next_word(end, name, sizeof name) == nullptr) return kDbXrefErrors;
    if (current_ == nullptr) return kDbXrefErrors;
    const std::size_t length = std::strlen(name);
    if (length < 1 || length > static_cast<std::size_t>(kMaxIndexName)) return kDbXrefErrors;
    // The number is a 16-bit value compared as unsigned, so negative numbers are refused;
    // numbers outside the 16-bit range are refused rather than wrapped.
    if (number < 0 || number >= kMaxSequences) return kDbXrefErrors;
    IndexTables& t = index_tables();
    for (int i = 0; i < t.entry_count; ++i) {
      const XrefEntry& e = t.entries[i];
      if (str_icmp(e.name, name) == 0) return kDbXrefErrors;
      if (e.fcb == current_ && e.seq == number) return kDbXrefErrors;
    }
    if (t.entry_count >= max_indexes_) return kDbXrefErrors;
    XrefEntry& e = t.entries[t.entry_count++];
    std::memset(&e, 0, sizeof e);
    copy_text(e.name, sizeof e.name, name);
    e.seq = static_cast<int16_t>(number);
    e.fcb = current_;
    return kDbOk;
  }

  bool filling_ = false;
  int max_files_ = 0;
  int max_indexes_ = 0;
  int files_ = 0;
  int indexes_ = 0;
  Fcb* current_ = nullptr;
};

// Runs every line of an open statement file through the builder. INCLUDE and END are
// ordinary lines there and ignored. A file that cannot be read to its end counts as missing:
// the statements read so far would name only some of the sequences.
int read_file_lines(Stream s, Builder& b) {
  char line[kStatementLineSize + 1];
  for (;;) {
    const ReadResult got = read_line(s, line, kStatementLineSize);
    if (got == ReadResult::kEnd) return kDbOk;
    if (got == ReadResult::kError) return kDbXrefMissing;
    strip_terminator(line);
    const char* after = nullptr;
    const Keyword k = keyword_of(line, &after);
    const int status = b.statement(k, after);
    if (status != kDbOk) return status;
  }
}

int include_file(const char* after, Builder& b) {
  char name[kStatementLineSize + 1];
  if (next_word(after, name, sizeof name) == nullptr) return kDbXrefErrors;
  StreamCloser s(stream_open(name, "rt"));
  if (s.get() == nullptr) return kDbXrefMissing;
  return read_file_lines(s.get(), b);
}

// Runs the host's statements through the builder; they must end with an END line.
int read_host_lines(const char* const* statements, Builder& b) {
  char line[kStatementLineSize + 1];
  for (const char* const* str = statements; *str != nullptr; ++str) {
    const char* p = *str;
    while (*p != '\0') {
      std::size_t n = 0;
      while (p[n] != '\0' && p[n] != '\r' && p[n] != '\n') ++n;
      // A line is at most 299 characters; the rest of a longer one is dropped.
      copy_text(line, n < sizeof line ? n + 1 : sizeof line, p);
      p += n;
      while (*p == '\r' || *p == '\n') ++p;
      const char* after = nullptr;
      const Keyword k = keyword_of(line, &after);
      int status = kDbOk;
      if (k == Keyword::kEnd) return kDbOk;
      if (k == Keyword::kInclude) {
        status = include_file(after, b);
      } else {
        status = b.statement(k, after);
      }
      if (status != kDbOk) return status;
    }
  }
  return kDbXrefErrors;
}

bool allocate_tables(int files, int indexes) {
  IndexTables& t = index_tables();
  t.files = static_cast<Fcb*>(mem_alloc_zeroed(static_cast<std::size_t>(files), sizeof(Fcb)));
  t.entries = static_cast<XrefEntry*>(
      mem_alloc_zeroed(static_cast<std::size_t>(indexes), sizeof(XrefEntry)));
  t.file_count = 0;
  t.entry_count = 0;
  return t.files != nullptr && t.entries != nullptr;
}

int load_from_host(const char* const* statements) {
  Builder counter;
  int status = read_host_lines(statements, counter);
  if (status != kDbOk) return status;
  if (!allocate_tables(counter.files(), counter.indexes())) return kDbNoSpace;
  Builder filler(counter.files(), counter.indexes());
  return read_host_lines(statements, filler);
}

int load_from_file() {
  StreamCloser s(stream_open(dbmsg::kXrefFileName, "rt"));
  if (s.get() == nullptr) return kDbXrefMissing;
  Builder counter;
  int status = read_file_lines(s.get(), counter);
  if (status != kDbOk) return status;
  if (!allocate_tables(counter.files(), counter.indexes())) return kDbNoSpace;
  stream_rewind(s.get());
  Builder filler(counter.files(), counter.indexes());
  return read_file_lines(s.get(), filler);
}

}  // namespace

int load_cross_reference(const char* const* statements) {
  release_tables();
  const bool from_file =
      statements == nullptr || statements[0] == nullptr || statements[0][0] == '\0';
  const int status = from_file ? load_from_file() : load_from_host(statements);
  if (status != kDbOk) {
    release_tables();
    return status;
  }
  index_tables().loaded = true;
  return kDbOk;
}

}  // namespace tovr

// tblLoad: reads a table file in two passes. The first pass checks the file and measures it
// (rows, columns, pool bytes); the second fills one string pool and the cell offsets.
#include <cstdio>
#include <cstring>

#include "frame/line_reader.h"
#include "frame/memory.h"
#include "frame/stream.h"
#include "frame/strings.h"
#include "matchkey/tables/table_format.h"
#include "matchkey/tables/table_internal.h"

namespace tovr {
namespace {

constexpr char kTableFileSuffix[] = ".tbl";

// What the first pass learnt about a file.
struct TableShape {
  TableFormat format;
  long rows = 0;
  int columns = 0;
  long text_bytes = 0;  // every field's length plus one
};

// Reads lines and tells the end of the file from a failed read.
class LineReader {
 public:
  explicit LineReader(Stream stream) : stream_(stream) {}

  // True with the next line in line(); false at the end of the file or on a read error.
  bool next() {
    const ReadResult r = read_line(stream_, line_, kTableLineRead);
    if (r == ReadResult::kLine) {
      ++number_;
      return true;
    }
    failed_ = r == ReadResult::kError;
    return false;
  }
  const char* line() const { return line_; }
  bool first() const { return number_ == 1; }
  bool failed() const { return failed_; }

 private:
  Stream stream_;
  char line_[kTableLineRead] = {};
  long number_ = 0;
  bool failed_ = false;
};

int measure(Stream stream, TableShape* shape) {
  LineReader reader(stream);
  FieldSpan fields[kTblMaxFields];
  while (reader.next()) {
    if (reader.first() && is_header_line(reader.line())) {
      const int rc = parse_header_line(reader.line(), &shape->format);
      if (rc != kTblOk) return rc;
      continue;
    }
    int count = 0;
    const int rc = split_row(reader.line(), shape->format, fields, &count);
    if (rc != kTblOk) return rc;
    if (count == 0) continue;
    if (++shape->rows > kTblMaxRows) return kTblTooLarge;
    if (count > shape->columns) shape->columns = count;
    for (int f = 0; f < count; ++f) shape->text_bytes += fields[f].length + 1;
    // The pool holds every field, a leading NUL and one spare byte; offsets are 16-bit.
    if (shape->text_bytes + 2 > kTblMaxPool) return kTblTooLarge;
  }
  if (reader.failed()) return kTblCannotOpen;
  if (shape->rows == 0 || shape->columns == 0) return kTblBadContent;
  // The key column must be one of the table's columns, or every lookup would read past a row.
  if (shape->format.key < 1 || shape->format.key > shape->columns) return kTblHeaderError;
  return kTblOk;
}

// A table under construction; frees everything it holds unless released.
class TableBuilder {
 public:
  ~TableBuilder() { free_table(table_); }

  int allocate(const char* name, const TableShape& shape, char mode) {
    table_ = make<Table>();
    if (table_ == nullptr) return kTblNoMemory;
    TableData& d = table_data(*table_);
    copy_text(d.name, sizeof d.name, name);
    d.columns = static_cast<std::int16_t>(shape.columns);
    d.rows = static_cast<std::int16_t>(shape.rows);
    d.key_column = static_cast<std::int16_t>(shape.format.key - 1);
    const char effective = shape.format.compare != '\0' ? shape.format.compare : mode;
    d.comparison_mode = effective == 'O' ? 'I' : effective;
    d.ocr_flag = effective == 'O' ? 'O' : 'C';
    d.prox_status = kTblNoResults;
    pool_size_ = shape.text_bytes + 2;
    d.pool = static_cast<char*>(mem_alloc_zeroed(static_cast<std::size_t>(pool_size_), 1));
    d.cells = static_cast<std::uint16_t*>(mem_alloc_zeroed(
        static_cast<std::size_t>(shape.rows) * shape.columns, sizeof(std::uint16_t)));
    if (d.pool == nullptr || d.cells == nullptr) return kTblNoMemory;
    return kTblOk;
  }

  // Second pass: the same lines again, each field appended to the pool.
  int fill(Stream stream, const TableFormat& format) {
    TableData& d = table_data(*table_);
    const bool upper_case = d.comparison_mode == 'U' || d.comparison_mode == 'I';
    LineReader reader(stream);
    FieldSpan fields[kTblMaxFields];
    long used = 1;  // offset 0 is the empty string
    long row = 0;
    while (reader.next()) {
      if (reader.first() && is_header_line(reader.line())) continue;
      int count = 0;
      const int rc = split_row(reader.line(), format, fields, &count);
      if (rc != kTblOk) return rc;
      if (count == 0) continue;
      // A file that grew since the first pass cannot be read consistently.
      if (row == d.rows) return kTblCannotOpen;
      if (count > d.columns) count = d.columns;
      std::uint16_t* cells = d.cells + row * d.columns;
      for (int f = 0; f < count; ++f) {
        if (used + fields[f].length + 1 > pool_size_) return kTblCannotOpen;
        char* text = d.pool + used;
        std::memcpy(text, fields[f].start, static_cast<std::size_t>(fields[f].length));
        text[fields[f].length] = '\0';
        if (upper_case) str_upper(text);
        cells[f] = static_cast<std::uint16_t>(used);
        used += fields[f].length + 1;
      }
      ++row;
    }
    if (reader.failed() || row != d.rows) return kTblCannotOpen;
    return kTblOk;
  }

  Table* release() {
    Table* t = table_;
    table_ = nullptr;
    return t;
  }
  TableData& data() { return table_data(*table_); }

 private:
  Table* table_ = nullptr;
  long pool_size_ = 0;
};

// The file to read: the given name, or the table name with ".tbl".
int choose_file_name(const char* table_name, const char* file_name, char (&path)[kTblMaxName + 1]) {
  if (file_name != nullptr && file_name[0] != '\0') {
    if (std::strlen(file_name) > kTblMaxName) return kTblTooLarge;
    copy_text(path, sizeof path, file_name);
    return kTblOk;
  }
  if (std::strlen(table_name) + std::strlen(kTableFileSuffix) > kTblMaxName) return kTblTooLarge;
  copy_text(path, sizeof path, table_name);
  std::strcat(path, kTableFileSuffix);
  return kTblOk;
}

}  // namespace

int tblLoad(TableRegistry* registry, const char* table_name, const char* file_name, char mode) {
  if (registry == nullptr || table_name == nullptr) return kTblBadArgument;
  if (std::strlen(table_name) > kTblMaxName) return kTblTooLarge;
  for (const Table* t = registry->first; t != nullptr; t = table_data(*t).next) {
    if (std::strcmp(t->name(), table_name) == 0) return kTblOk;
  }
  char path[kTblMaxName + 1];
  int rc = choose_file_name(table_name, file_name, path);
  if (rc != kTblOk) return rc;

  StreamCloser stream(stream_open(path, "r"));
  if (stream.get() == nullptr) return kTblCannotOpen;
  TableShape shape;
  rc = measure(stream.get(), &shape);
  if (rc != kTblOk) return rc;

  TableBuilder builder;
  rc = builder.allocate(table_name, shape, mode);
  if (rc != kTblOk) return rc;
  if (stream_seek(stream.get(), 0, SEEK_SET) != 0) return kTblCannotOpen;
  rc = builder.fill(stream.get(), shape.format);
  if (rc != kTblOk) return rc;
  stream_close(stream.release());

  TableData& d = builder.data();
  d.sorted = shape.format.sort != 'N';
  if (shape.format.sort == 'Y') sort_table(d);
  Table* table = builder.release();
  table_data(*table).next = registry->first;
  registry->first = table;
  return kTblOk;
}

}  // namespace tovr

// mkDictLoad: a dictionary file, read through the table service, becomes a new layout.
//
// Each entry (row) defines one field by four columns: name (1 or 2 characters), type (C, N,
// M, NS or MN, any case), length (decimal, 1 to 256; MN at least 4) and missing-value code
// (S, Z, N, X or 9, any case). The lengths may sum to at most 32767.
#include <cctype>
#include <cstring>

#include "frame/memory.h"
#include "frame/strings.h"
#include "matchkey/match_key.h"

namespace tovr {
namespace {

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// Column c (1-based) of row r (0-based), or null when the table has no such column.
const char* column(const Table& table, int row, int c) {
  return c <= table.columns() ? table.cell(row, c - 1) : nullptr;
}

// The length column: decimal digits only, 1 to 256; 0 when it is anything else.
int field_length(const char* text) {
  int value = 0;
  if (text[0] == '\0') return 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return 0;
    value = value * 10 + (*p - '0');
    if (value > kMkMaxFieldLength) return 0;
  }
  return value;
}

bool valid_type(const char* type) {
  const std::size_t n = std::strlen(type);
  if (n == 0 || n > 2) return false;
  const char first = upper(type[0]);
  if (n == 1) return first == 'N' || first == 'M' || first == 'C';
  const char second = upper(type[1]);
  return (first == 'N' && second == 'S') || (first == 'M' && second == 'N');
}

bool valid_missing_code(const char* code) {
  return std::strlen(code) == 1 && std::strchr("SZNX9", upper(code[0])) != nullptr;
}

// Checks one entry's columns in order; adds its length to *total.
int check_entry(const Table& table, int row, long* total) {
  const char* name = column(table, row, 1);
  if (name == nullptr || name[0] == '\0' || std::strlen(name) > kMkMaxFieldName) {
    return kMkEntryInvalid;
  }
  const char* type = column(table, row, 2);
  if (type == nullptr || !valid_type(type)) return kMkEntryInvalid;
  const char* length_text = column(table, row, 3);
  if (length_text == nullptr) return kMkEntryInvalid;
  const int length = field_length(length_text);
  if (length < 1) return kMkEntryInvalid;
  if (upper(type[0]) == 'M' && upper(type[1]) == 'N' && length < kMkMinNumericNameLength) {
    return kMkNumericNameTooShort;
  }
  const char* missing = column(table, row, 4);
  if (missing == nullptr || !valid_missing_code(missing)) return kMkEntryInvalid;
  *total += length;
  return *total > kMkMaxRecordLength ? kMkEntryInvalid : kMkOk;
}

FieldDef field_of(const Table& table, int row, int offset) {
  FieldDef f{};
  copy_text(f.name, sizeof f.name, column(table, row, 1));
  const char* type = column(table, row, 2);
  const char first = upper(type[0]);
  f.type = first == 'C' || first == 'N' ? first : 'M';
  f.subtype = upper(type[1]);
  f.signed_numeric = f.type == 'N' && f.subtype == 'S';
  f.numeric_name = f.type == 'M' && f.subtype == 'N';
  f.missing = upper(column(table, row, 4)[0]);
  f.length = static_cast<std::int16_t>(field_length(column(table, row, 3)));
  f.offset = static_cast<std::int16_t>(offset);
  return f;
}

// A layout under construction; freed unless released.
class LayoutBuilder {
 public:
  ~LayoutBuilder() {
    if (layout_ == nullptr) return;
    mem_free(layout_->fields);
    mem_free(layout_->record);
    destroy(layout_);
  }

  int build(const char* name, const Table& table, int record_length) {
    layout_ = make<MatchKeyLayout>();
    if (layout_ == nullptr) return kMkNoMemory;
    copy_text(layout_->name, sizeof layout_->name, name);
    layout_->record = static_cast<char*>(mem_alloc(static_cast<std::size_t>(record_length)));
    if (layout_->record == nullptr) return kMkNoMemory;
    std::memset(layout_->record, ' ', static_cast<std::size_t>(record_length));
    layout_->fields = static_cast<FieldDef*>(
        mem_alloc_zeroed(static_cast<std::size_t>(table.rows()), sizeof(FieldDef)));
    if (layout_->fields == nullptr) return kMkNoMemory;
    int offset = 0;
    for (int row = 0; row < table.rows(); ++row) {
      layout_->fields[row] = field_of(table, row, offset);
      offset += layout_->fields[row].length;
    }
    layout_->field_count = static_cast<std::int16_t>(table.rows());
    layout_->record_length = static_cast<std::int16_t>(record_length);
    return kMkOk;
  }

  MatchKeyLayout* release() {
    MatchKeyLayout* l = layout_;
    layout_ = nullptr;
    return l;
  }

 private:
  MatchKeyLayout* layout_ = nullptr;
};

bool name_in_use(const TOVR_Mk& mk, const char* name) {
  for (const MatchKeyLayout* l = mk.layouts; l != nullptr; l = l->next) {
    if (str_icmp(l->name, name) == 0) return true;
  }
  return false;
}

int status_of_table_load(int rc) {
  switch (rc) {
    case kTblOk:
      return kMkOk;
    case kTblCannotOpen:
      return kMkDictionaryNotFound;
    case kTblNoMemory:
      return kMkNoMemory;
    default:
      return kMkEntryInvalid;
  }
}

// Checks every entry of the loaded dictionary, then builds and links the layout.
int add_layout(TOVR_Mk* mk, const char* name, const Table& table) {
  long total = 0;
  for (int row = 0; row < table.rows(); ++row) {
    const int rc = check_entry(table, row, &total);
    if (rc != kMkOk) return rc;
  }
  if (table.rows() == 0) return kMkEntryInvalid;
  LayoutBuilder builder;
  const int rc = builder.build(name, table, static_cast<int>(total));
  if (rc != kMkOk) return rc;
  MatchKeyLayout* layout = builder.release();
  layout->next = mk->layouts;
  mk->layouts = layout;
  return kMkOk;
}

}  // namespace

int mkDictLoad(TOVR_Mk* mk, const char* name, const char* table_name, const char* file_name) {
  if (mk == nullptr || name == nullptr || name[0] == '\0' || std::strlen(name) > kMkMaxName) {
    return kMkNameInvalid;
  }
  if (name_in_use(*mk, name)) return kMkNameUsed;
  int rc = status_of_table_load(tblLoad(mk->tables, table_name, file_name, 'I'));
  if (rc != kMkOk) return rc;
  const Table* table = nullptr;
  rc = status_of_table_load(tblFind(mk->tables, table_name, &table));
  if (rc == kMkOk) rc = add_layout(mk, name, *table);
  tblRemove(mk->tables, table_name);
  return rc;
}

}  // namespace tovr

// Exact lookups and cell reads.
#include <cstring>

#include "frame/strings.h"
#include "matchkey/tables/table_internal.h"

namespace tovr {
namespace {

// Appends text to out at *used, cutting at the buffer's end; out stays terminated.
void append(char* out, std::size_t size, std::size_t* used, const char* text) {
  *used += copy_text(out + *used, size - *used, text);
}

// Row of the key: binary search in a sorted table, else the first row equal byte for byte.
int find_row(const TableData& d, const char* key, int search_mode) {
  if (d.sorted != 0 && search_mode != kTblScan) {
    int position = 0;
    return binary_search(d, key, &position) ? position : -1;
  }
  for (int row = 0; row < d.rows; ++row) {
    if (std::strcmp(key, d.pool + d.cells[static_cast<long>(row) * d.columns + d.key_column]) ==
        0) {
      return row;
    }
  }
  return -1;
}

}  // namespace

void copy_cell(const Table& table, int row, int column, char* value, std::size_t value_size) {
  if (value_size == 0) return;
  if (column > 0) {
    copy_text(value, value_size, table.cell(row, column - 1));
    return;
  }
  std::size_t used = 0;
  value[0] = '\0';
  for (int c = 0; c < table.columns(); ++c) {
    if (c > 0) append(value, value_size, &used, "\\");
    append(value, value_size, &used, table.cell(row, c));
  }
}

int tblLookupRow(TableRegistry* registry, const char* table_name, int column, const char* key,
                 int search_mode, const Table** found, int* row) {
  if (key == nullptr || key[0] == '\0' || found == nullptr || row == nullptr) {
    return kTblBadArgument;
  }
  Table* table = nullptr;
  const int rc = find_table(registry, table_name, &table);
  if (rc != kTblOk) return rc;
  if (column < 0 || column > table->columns()) return kTblBadArgument;
  if (std::strlen(key) > kTblMaxKey) return kTblTooLarge;
  make_current(registry, *table);

  char upper_key[kTblMaxKey + 1];
  if (table->comparison_mode() == 'I') {
    copy_text(upper_key, sizeof upper_key, key);
    key = str_upper(upper_key);
  }
  *row = find_row(table_data(*table), key, search_mode);
  if (*row < 0) return kTblKeyNotFound;
  *found = table;
  return kTblOk;
}

int tblLookup(TableRegistry* registry, const char* table_name, int column, const char* key,
              char* value, std::size_t value_size, int search_mode) {
  if (value != nullptr && value_size > 0) value[0] = '\0';
  if (value == nullptr) return kTblBadArgument;
  const Table* table = nullptr;
  int row = 0;
  const int rc = tblLookupRow(registry, table_name, column, key, search_mode, &table, &row);
  if (rc != kTblOk) return rc;
  copy_cell(*table, row, column, value, value_size);
  return kTblOk;
}

int tblGetCell(TableRegistry* registry, const char* table_name, int row, int column, char* value,
               std::size_t value_size) {
  if (value == nullptr) return kTblBadArgument;
  if (value_size > 0) value[0] = '\0';
  Table* table = nullptr;
  const int rc = find_table(registry, table_name, &table);
  if (rc != kTblOk) return rc;
  if (row < 1 || row > table->rows() || column < 0 || column > table->columns()) {
    return kTblBadArgument;
  }
  copy_cell(*table, row - 1, column, value, value_size);
  return kTblOk;
}

}  // namespace tovr

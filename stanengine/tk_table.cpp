#include <cstdlib>
#include <cstring>

#include "matchkey/tables/table_registry.h"
#include "stanengine/tk_table_status.h"
#include "stanengine/tokenizer.h"

namespace tovr {
namespace {

// Classification tables compare without regard to case: entries are stored upper-cased and
// looked-up words are upper-cased before the search.
inline constexpr char kClassificationMode = 'I';

inline constexpr std::size_t kWordMax = kTokenValueSize - 1;
inline constexpr std::size_t kAbbrevMax = kTokenAbbrevSize - 1;
inline constexpr std::size_t kClassMax = 1;
inline constexpr double kThresholdMax = 900.0;

// Zero-based columns of a row.
inline constexpr int kWordColumn = 0;
inline constexpr int kAbbrevColumn = 1;
inline constexpr int kClassColumn = 2;
inline constexpr int kThresholdColumn = 3;

bool fits(const char* cell, std::size_t max) { return std::strlen(cell) <= max; }

// An empty class passes here; a word that takes such an entry is refused when it does.
bool row_is_valid(const Table& table, int row) {
  if (!fits(table.cell(row, kWordColumn), kWordMax)) return false;
  if (table.columns() <= kAbbrevColumn || !fits(table.cell(row, kAbbrevColumn), kAbbrevMax)) {
    return false;
  }
  if (table.columns() <= kClassColumn || !fits(table.cell(row, kClassColumn), kClassMax)) {
    return false;
  }
  if (table.columns() > kThresholdColumn) {
    // The threshold is read by the standard conversion, so an empty cell is 0.
    const double threshold = std::strtod(table.cell(row, kThresholdColumn), nullptr);
    if (!(threshold >= 0.0 && threshold <= kThresholdMax)) return false;
  }
  return true;
}

}  // namespace

int tk_status_of_table(int table_status) {
  switch (table_status) {
    case kTblOk:
      return kTkOk;
    case kTblCannotOpen:
      return kTkTableNotFound;
    case kTblNoMemory:
      return kTkNoMemory;
    case kTblTooLarge:
      return kTkTableTooLarge;
    default:
      return kTkTableInError;
  }
}

int tkLoadTable(TableRegistry* registry, const char* table_name, const char* file_name, int* row) {
  *row = 0;
  int status = tblLoad(registry, table_name, file_name, kClassificationMode);
  if (status != kTblOk) return tk_status_of_table(status);
  const Table* table = nullptr;
  status = tblFind(registry, table_name, &table);
  if (status != kTblOk) return tk_status_of_table(status);
  for (int r = 0; r < table->rows(); ++r) {
    if (!row_is_valid(*table, r)) {
      *row = r + 1;
      return kTkBadTableEntry;
    }
  }
  return kTkOk;
}

}  // namespace tovr

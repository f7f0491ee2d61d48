// Table files: plain text tables of rows and columns, loaded once into a registry by table
// name and asked for cells, exact key lookups and proximity (similar key) lookups.
//
// Users: the match key dictionary loader, the standardizer compiler (classification and
// conversion tables), the tokenizer and the conversion actions of the engine.
//
// Names are compared without regard to case, except where a function says otherwise.
// Every function returns one of the kTbl status codes below (tblClose and tblScore aside).
//
// Limits, and what guards them (each refusal returns kTblTooLarge):
// - table names and file names (given, or derived from the table name) of at most
//   kTblMaxName characters;
// - at most kTblMaxFields fields in a row and kTblMaxRows data rows;
// - a string pool of at most kTblMaxPool bytes (every cell plus its terminator, plus 2), so
//   that every cell is addressed by a 16-bit offset;
// - keys of at most kTblMaxKey characters for exact lookups and at most kTblMaxScoreKey
//   characters for proximity searches.
//
// Output buffers are the caller's and come with their size in bytes: a value is cut to
// size - 1 characters and always terminated, so nothing is ever written past the buffer.
// A buffer of kTblMaxCell + 1 bytes holds any cell; a joined row (column 0) needs at most
// columns * (kTblMaxCell + 1) bytes. Callers that must know a value's full length read it
// through Table::cell instead.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tovr {

// Status codes of the table service.
inline constexpr int kTblOk = 0;
inline constexpr int kTblCannotOpen = 1;   // file cannot be opened or read; tblInit: no memory;
                                           // tblRemove: no such table
inline constexpr int kTblHeaderError = 2;  // the header line is in error
inline constexpr int kTblNoMemory = 3;     // no memory for a table or the proximity results
inline constexpr int kTblTooLarge = 4;     // a name, row, table or key beyond the limits
inline constexpr int kTblKeyNotFound = 5;  // exact lookup: no row has the key
inline constexpr int kTblBadArgument = 6;  // empty key, row or column out of range
inline constexpr int kTblNoResults = 7;    // no proximity results to hand out
inline constexpr int kTblBadContent = 8;   // no rows or columns, or a stray double quote

inline constexpr int kTblMaxName = 99;
inline constexpr int kTblMaxFields = 50;
inline constexpr int kTblMaxRows = 32767;
inline constexpr long kTblMaxPool = 65535;
inline constexpr int kTblMaxKey = 255;
inline constexpr int kTblMaxScoreKey = 127;
inline constexpr int kTblMaxCell = 253;
inline constexpr int kTblMaxResults = 200;

// Search mode of tblLookup that forces a row-by-row scan.
inline constexpr int kTblScan = 2;

class Table;

// One kept result of a proximity search.
struct TableProxResult {
  float score;
  std::int16_t row;  // 0-based
};

// The stored contents of one loaded table. Only the table service changes it; everyone else
// reads a table through the accessors of Table.
struct TableData {
  char name[kTblMaxName + 1];
  Table* next;
  std::int16_t columns;      // greatest number of fields of any row
  std::int16_t rows;         // number of data rows
  std::int16_t key_column;   // 0-based
  std::int16_t sorted;       // 1 when exact lookups may use binary search
  char* pool;                // byte 0 is a NUL, so offset 0 reads as the empty string
  std::uint16_t* cells;      // rows x columns offsets into the pool
  std::int16_t prox_status;  // 0 after a proximity search; kTblNoResults when none pending
  std::int16_t prox_cursor;
  std::int16_t prox_count;
  char comparison_mode;      // 'I', 'U', 'C' or NUL
  char ocr_flag;             // 'O' with optical-character allowance, otherwise 'C'
  TableProxResult* results;  // kTblMaxResults entries, allocated at the first search
};

class Table {
 public:
  const char* name() const noexcept { return d_.name; }
  int rows() const noexcept { return d_.rows; }
  int columns() const noexcept { return d_.columns; }
  int key_column() const noexcept { return d_.key_column; }
  bool sorted() const noexcept { return d_.sorted != 0; }
  char comparison_mode() const noexcept { return d_.comparison_mode; }
  char ocr_flag() const noexcept { return d_.ocr_flag; }

  // The cell of row, column (both 0-based); the empty string outside the table.
  const char* cell(int row, int column) const noexcept {
    if (row < 0 || row >= d_.rows || column < 0 || column >= d_.columns) return "";
    return d_.pool + d_.cells[static_cast<long>(row) * d_.columns + column];
  }
  const char* key(int row) const noexcept { return cell(row, d_.key_column); }

 private:
  friend TableData& table_data(Table& table) noexcept;
  friend const TableData& table_data(const Table& table) noexcept;
  TableData d_{};
};

inline TableData& table_data(Table& table) noexcept { return table.d_; }
inline const TableData& table_data(const Table& table) noexcept { return table.d_; }

// The registry of loaded tables; one per match key control block.
struct TableRegistry;

// Creates an empty registry; kTblCannotOpen when memory runs out.
int tblInit(TableRegistry** registry);

// Frees every table still loaded and the registry itself; null does nothing.
void tblClose(TableRegistry* registry);

// Loads a table file under table_name. An empty (or null) file_name means table_name + ".tbl".
// mode is 'I' (keys upper-cased, lookups upper-case the key), 'U' (keys upper-cased), 'C',
// 'O' ('I' with optical-character allowance in scoring) or NUL; a COMPARE keyword of the
// header line replaces it. Returns kTblOk at once when a table of exactly this name (case
// counts) is loaded. A failed load adds no table.
int tblLoad(TableRegistry* registry, const char* table_name, const char* file_name, char mode);

// Finds the table of that name, loading table_name + ".tbl" with mode NUL when none is
// loaded; returns the load's code on failure.
int tblFind(TableRegistry* registry, const char* table_name, const Table** table);

// Exact lookup of key in the key column. column 0 gives the whole row, its cells joined by
// '\'; column c (1-based) gives cell c. search_mode kTblScan forces a scan; any other value
// uses binary search in sorted tables. kTblKeyNotFound (value empty) when no row has the key.
int tblLookup(TableRegistry* registry, const char* table_name, int column, const char* key,
              char* value, std::size_t value_size, int search_mode);

// The lookup of tblLookup without the copy: the table and the 0-based row of key, for a
// caller that reads several cells of the row. Same checks and status codes as tblLookup.
int tblLookupRow(TableRegistry* registry, const char* table_name, int column, const char* key,
                 int search_mode, const Table** table, int* row);
// The cell of row (1-based) and column (1-based; 0 for the joined row).
int tblGetCell(TableRegistry* registry, const char* table_name, int row, int column, char* value,
               std::size_t value_size);

// Proximity search: scores the rows chosen by prefix_length and match_type against key and
// keeps up to kTblMaxResults with score >= threshold (below 1.0 means 700), best first.
// prefix_length 0 scores every row; p > 0 the rows around the key's place in a sorted table
// whose keys agree with it over p characters; -n a window of n rows around that place.
// match_type 0 compares whole keys, 1 the entry with the beginning of key, 2 with its end;
// other values give kTblBadArgument.
int tblProx(TableRegistry* registry, const char* table_name, const char* key, double threshold,
            int prefix_length, int match_type);

// Hands out the next result of the latest tblProx: its key cell and score, and its row
// (0-based) when row is not null. kTblNoResults when none is pending or all are handed out.
int tblProxNext(TableRegistry* registry, const char* table_name, char* key, std::size_t key_size,
                float* score, int* row = nullptr);

// Unloads the table (name compared without regard to case, never loads) and empties the
// last-name cache; kTblCannotOpen when no such table is loaded.
int tblRemove(TableRegistry* registry, const char* table_name);

// Similarity of a table entry and a key, 0 to 900 (900 for strings equal without regard to
// case). ocr_flag 'O' allows for characters that optical reading confuses. match_type 1
// compares the entry with the beginning of the key, 2 with its end, anything else with the
// whole key. An entry over kTblMaxKey or a compared key over kTblMaxScoreKey characters
// scores 0.
double tblScore(const char* entry, const char* key, char ocr_flag, int match_type);

}  // namespace tovr

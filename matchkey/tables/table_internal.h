// Internals of the table service shared by its source files.
#pragma once

#include <cstdint>

#include "matchkey/tables/table_registry.h"

namespace tovr {

struct TableRegistry {
  Table* first = nullptr;  // newest first
  // Key column and pool of the table of the latest lookup or proximity search.
  std::int16_t current_key_column = 0;
  const char* current_pool = nullptr;
  // The table that the latest successful find returned; an empty name matches nothing.
  char last_name[kTblMaxName + 1] = {};
  Table* last_table = nullptr;
};

// Finds (and loads when needed) the table of that name, remembering it in the last-name cache.
int find_table(TableRegistry* registry, const char* table_name, Table** table);

// Makes table the registry's current table for lookups.
void make_current(TableRegistry* registry, const Table& table);

// Frees the table's results, cells, pool and record; null does nothing.
void free_table(Table* table);

// Sorts the rows of the table by their key cells, ascending as unsigned bytes.
void sort_table(TableData& data);

// Binary search of key over the key cells of a sorted table. Returns true when a row equals
// the key; *position is that row, or the last row probed.
bool binary_search(const TableData& data, const char* key, int* position);

// Copies the cell (column 1-based) or, for column 0, the row's cells joined by '\'.
void copy_cell(const Table& table, int row, int column, char* value, std::size_t value_size);

// One key prepared for scoring many table entries against it, as a proximity search does:
// score(entry) is tblScore(entry, key, ocr_flag, match_type). Whole-key matches of a key and
// entries of up to 64 characters without the optical-character allowance (nearly every
// search) take a bit-parallel form: for each upper-cased character, a word of the key
// positions that hold it. Every other case is handed to tblScore.
class KeyPattern {
 public:
  static constexpr int kMaxLength = 64;

  KeyPattern(const char* key, char ocr_flag, int match_type);
  double score(const char* entry) const;
  // score(entry), or 0 when the score cannot reach threshold: in the bit-parallel form no
  // more characters can be in common than the entry has characters that occur in the key.
  double score_reaching(const char* entry, double threshold) const;

 private:
  double score_bits(const char* entry, int len1) const;

  std::uint64_t where_[256];
  const char* key_;
  char ocr_flag_;
  int match_type_;
  int length_;
  bool bit_parallel_;
};

// The Jaro-style score of m common characters, t transpositions (half the pairs out of
// order) and the two lengths; shared by both forms of the score so that they round alike.
double jaro_score(float m, float t, int len1, int len2);

}  // namespace tovr

// Proximity search: the rows whose keys resemble a given key, best first.
#include <cstring>

#include "frame/memory.h"
#include "frame/strings.h"
#include "matchkey/tables/table_internal.h"

namespace tovr {
namespace {

constexpr double kDefaultThreshold = 700.0;

struct RowRange {
  int first;
  int last;
};

// Whether the key cell of row agrees with key over the prefix that the match type asks for.
bool agrees(const Table& table, int row, const char* key, int prefix, int match_type) {
  const char* cell = table.key(row);
  int n = prefix;
  if (match_type == 1) {
    const int length = static_cast<int>(std::strlen(cell));
    if (length < n) n = length;
  }
  return std::strncmp(cell, key, static_cast<std::size_t>(n)) == 0;
}

// From row 'from' on in steps of 'step': the first two rows never stop the walk; from the
// third on, the first row that disagrees stops it and is the last row of the range. Running
// off the table gives its first or last row.
int walk(const Table& table, int from, int step, const char* key, int prefix, int match_type) {
  int examined = 0;
  for (int row = from;; row += step) {
    if (row < 0) return 0;
    if (row >= table.rows()) return table.rows() - 1;
    if (++examined > 2 && !agrees(table, row, key, prefix, match_type)) return row;
  }
}

RowRange choose_rows(const Table& table, const char* key, int prefix, int match_type) {
  const int all_last = table.rows() - 1;
  if (prefix == 0 || !table.sorted() || match_type == 2) return {0, all_last};
  int pos = 0;
  binary_search(table_data(table), key, &pos);
  if (prefix < 0) {
    // A window of n rows centred on the key's place; a very large n covers the whole table.
    const long half = -static_cast<long>(prefix) / 2;
    return {static_cast<int>(pos - half < 0 ? 0 : pos - half),
            static_cast<int>(pos + half > all_last ? all_last : pos + half)};
  }
  return {walk(table, pos, -1, key, prefix, match_type),
          walk(table, pos + 1, 1, key, prefix, match_type)};
}

// Keeps the result list in descending score order; among equal scores the earlier row stays
// first. A full list drops the lowest score.
void keep(TableData& d, float score, int row) {
  int count = d.prox_count;
  if (count == kTblMaxResults) {
    if (score <= d.results[count - 1].score) return;
    --count;
  }
  int at = 0;
  while (at < count && d.results[at].score >= score) ++at;
  std::memmove(d.results + at + 1, d.results + at,
               static_cast<std::size_t>(count - at) * sizeof(TableProxResult));
  d.results[at] = TableProxResult{score, static_cast<std::int16_t>(row)};
  d.prox_count = static_cast<std::int16_t>(count + 1);
}

}  // namespace

int tblProx(TableRegistry* registry, const char* table_name, const char* key, double threshold,
            int prefix_length, int match_type) {
  if (key == nullptr || key[0] == '\0') return kTblBadArgument;
  Table* table = nullptr;
  const int rc = find_table(registry, table_name, &table);
  if (rc != kTblOk) return rc;
  TableData& d = table_data(*table);
  // Results of an earlier search are gone from here on, whatever the outcome.
  d.prox_status = kTblNoResults;
  d.prox_count = 0;
  d.prox_cursor = 0;
  if (match_type < 0 || match_type > 2) return kTblBadArgument;
  if (std::strlen(key) > kTblMaxScoreKey) return kTblTooLarge;
  make_current(registry, *table);

  char work[kTblMaxKey + 1];
  copy_text(work, sizeof work, key);
  if (d.comparison_mode == 'I') str_upper(work);
  const RowRange range = choose_rows(*table, work, prefix_length, match_type);
  if (threshold < 1.0) threshold = kDefaultThreshold;

  if (d.results == nullptr) {
    d.results = static_cast<TableProxResult*>(mem_alloc(kTblMaxResults * sizeof(TableProxResult)));
    if (d.results == nullptr) return kTblNoMemory;
  }
  // The key is prepared once for all the rows.
  const KeyPattern pattern(key, d.ocr_flag, match_type);
  for (int row = range.first; row <= range.last; ++row) {
    const double score = pattern.score_reaching(table->key(row), threshold);
    if (score >= threshold) keep(d, static_cast<float>(score), row);
  }
  d.prox_status = kTblOk;
  return kTblOk;
}

int tblProxNext(TableRegistry* registry, const char* table_name, char* key, std::size_t key_size,
                float* score, int* row) {
  if (key == nullptr || score == nullptr) return kTblBadArgument;
  Table* table = nullptr;
  const int rc = find_table(registry, table_name, &table);
  if (rc != kTblOk) return rc;
  TableData& d = table_data(*table);
  if (d.prox_status != kTblOk) return kTblNoResults;
  if (d.prox_cursor >= d.prox_count) {
    d.prox_status = kTblNoResults;
    return kTblNoResults;
  }
  const TableProxResult& result = d.results[d.prox_cursor++];
  copy_text(key, key_size, table->key(result.row));
  *score = result.score;
  if (row != nullptr) *row = result.row;
  return kTblOk;
}

}  // namespace tovr

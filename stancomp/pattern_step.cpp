// The pattern compile step: hands the processes' pattern files to the pattern-action
// compiler, with the match key service behind its two questions.
#include <cstring>

#include "matchkey/match_key.h"
#include "matchkey/tables/table_registry.h"
#include "stancomp/compile_steps.h"

namespace tovr {
namespace {

// Keys longer than a proximity search can score could never be found by a near lookup.
constexpr std::size_t kMaxConvertKey = kTblMaxScoreKey;
constexpr int kMaxConvertWeight = 900;

int field_status(void* user, const char* match_key, const char* field) {
  char value[kMkMaxFieldLength + 1];
  return TOVR_mkGet(static_cast<TOVR_Mk*>(user), match_key, field, value);
}

ConvertTableStatus load_status(int code) {
  switch (code) {
    case kTblOk:
      return kConvertTableOk;
    case kTblCannotOpen:
      return kConvertTableNotFound;
    case kTblNoMemory:
      return kConvertTableNoMemory;
    case kTblTooLarge:
      return kConvertTableBadSize;
    default:
      return kConvertTableBadFormat;
  }
}

bool is_weight(const char* text) {
  if (*text == '\0') return true;
  long value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + (*p - '0');
    if (value > kMaxConvertWeight) return false;
  }
  return true;
}

// A conversion table: column 1 the text to convert, column 2 its replacement (which may be
// empty, to delete a word), column 3 optional, the least proximity score (0 to 900) at which a
// near text may take the row. The table stays loaded for the engine.
ConvertTableStatus load_convert_table(void* user, const char* table_name) {
  TableRegistry* registry = mk_tables(static_cast<TOVR_Mk*>(user));
  const Table* table = nullptr;
  const ConvertTableStatus status = load_status(tblFind(registry, table_name, &table));
  if (status != kConvertTableOk) return status;
  if (table->columns() < 2) return kConvertTableBadEntry;
  for (int row = 0; row < table->rows(); ++row) {
    const char* key = table->key(row);
    if (*key == '\0') return kConvertTableBadEntry;
    if (std::strlen(key) > kMaxConvertKey) return kConvertTableKeyTooLong;
    if (table->columns() > 2 && !is_weight(table->cell(row, 2))) return kConvertTableBadWeight;
  }
  return kConvertTableOk;
}

}  // namespace

bool compile_patterns(Stan& stan) {
  PatternSources sources{};
  sources.process_count = stan.process_count;
  for (int p = 0; p < stan.process_count; ++p) {
    sources.process[p] = {stan.process_name[p], stan.pattern_file[p], stan.processMatchKey[p]};
  }
  sources.services = {stan.mk, &field_status, &load_convert_table};
  return BuildPatternsActions(sources, stan.patterns, *stan.sc) == 0 &&
         stan.patterns.pattern_error == 0;
}

}  // namespace tovr

#include <cstdlib>
#include <cstring>

#include "frame/strings.h"
#include "matchkey/tables/table_registry.h"
#include "stanengine/tk_classify.h"
#include "stanengine/tk_table_status.h"

namespace tovr {
namespace {

// Columns of a classification table row (1-based as the table service counts them).
inline constexpr int kAbbrevColumn = 2;
inline constexpr int kClassColumn = 3;
inline constexpr int kThresholdColumn = 4;

inline constexpr int kAbbrevMax = kTokenAbbrevSize - 1;

// Near entries without a threshold of their own must score above this.
inline constexpr float kNoThresholdFloor = 899.9f;

// A threshold of 0 asks the table service for its default least score.
inline constexpr double kServiceDefaultThreshold = 0.0;
inline constexpr int kWholeKeyMatch = 0;
inline constexpr int kDefaultSearch = 0;

bool near_entry_accepts(const char* threshold, float score) {
  if (threshold[0] == '\0') return score > kNoThresholdFloor;
  return score >= std::strtod(threshold, nullptr);
}

// Checks the class and abbreviation of a table entry before they go into the token.
bool entry_fits(const char* abbrev, const char* cls) {
  return std::strlen(cls) == 1 && std::strlen(abbrev) <= static_cast<std::size_t>(kAbbrevMax);
}

// One lookup of the token's row; the abbreviation and the class are read from it. A table
// without an abbreviation column has no exact entries; one without a class column gives
// entries of an empty class.
int take_exact_entry(TableRegistry* registry, Token& token, const char* cls_table, bool* found) {
  const Table* table = nullptr;
  int row = 0;
  *found = tblLookupRow(registry, cls_table, kAbbrevColumn, token.TokenValue, kDefaultSearch,
                        &table, &row) == kTblOk;
  if (!*found) return kTkOk;
  const char* abbrev = table->cell(row, kAbbrevColumn - 1);
  if (std::strlen(abbrev) > static_cast<std::size_t>(kAbbrevMax)) return kTkBadTableEntry;
  const char* cls = table->cell(row, kClassColumn - 1);  // empty without a class column
  if (std::strlen(cls) != 1) return kTkBadTableEntry;
  copy_text(token.TokenAbbrev, sizeof token.TokenAbbrev, abbrev);
  token.TokenClass = cls[0];
  return kTkOk;
}

int take_near_entry(TableRegistry* registry, Token& token, const char* cls_table, int prefix) {
  const int status = tblProx(registry, cls_table, token.TokenValue, kServiceDefaultThreshold,
                             prefix, kWholeKeyMatch);
  if (status != kTblOk) return tk_status_of_table(status);
  const Table* table = nullptr;
  if (tblFind(registry, cls_table, &table) != kTblOk) return kTkOk;
  char key[kTblMaxCell + 1];
  float score = 0.0f;
  int row = 0;
  while (tblProxNext(registry, cls_table, key, sizeof key, &score, &row) == kTblOk) {
    // A table without a threshold column reads every threshold as empty.
    if (!near_entry_accepts(table->cell(row, kThresholdColumn - 1), score)) continue;
    const char* abbrev = table->cell(row, kAbbrevColumn - 1);
    const char* cls = table->cell(row, kClassColumn - 1);
    if (!entry_fits(abbrev, cls)) return kTkBadTableEntry;
    token.TokenWeight = score;
    token.TokenClass = cls[0];
    copy_text(token.TokenAbbrev, sizeof token.TokenAbbrev, abbrev);
    copy_text(token.TokenClose, sizeof token.TokenClose, key);
    return kTkOk;
  }
  return kTkOk;
}

}  // namespace

int lookup_tk_word(TableRegistry* registry, Token& token, const char* cls_table, int prefix) {
  if (registry == nullptr || cls_table == nullptr || cls_table[0] == '\0') return kTkOk;
  bool found = false;
  const int status = take_exact_entry(registry, token, cls_table, &found);
  if (found) return status;
  return take_near_entry(registry, token, cls_table, prefix);
}

}  // namespace tovr

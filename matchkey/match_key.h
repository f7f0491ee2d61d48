// The match key service inside the library: the control block behind a TOVR_Mk handle, its
// layouts (named fixed-width records loaded from dictionary files) and their fields.
//
// Other families use it to load dictionaries as layouts (the standardizer compiler), to find
// a layout and its field definitions by name, and to reach the control block's table
// registry, where classification and conversion tables live as well.
#pragma once

#include <cstdint>

#include "include/tovr.h"
#include "matchkey/tables/table_registry.h"

namespace tovr {

// Status codes of the match key family (texts: mk_code_text).
inline constexpr int kMkOk = 0;
inline constexpr int kMkNoMemory = 1;
inline constexpr int kMkDictionaryNotFound = 2;
inline constexpr int kMkNameUsed = 3;
inline constexpr int kMkEntryInvalid = 4;
inline constexpr int kMkNameInvalid = 5;  // also a null handle, name or output argument
inline constexpr int kMkFieldNotFound = 6;
inline constexpr int kMkTooManyDigits = 7;  // defined for hosts; never returned
inline constexpr int kMkNumericNameTooShort = 8;

inline constexpr int kMkMaxName = 40;
inline constexpr int kMkMaxFieldName = 2;
inline constexpr int kMkMaxFieldLength = 256;
inline constexpr int kMkMaxRecordLength = 32767;
inline constexpr int kMkMinNumericNameLength = 4;

// One field of a layout.
struct FieldDef {
  std::int16_t offset;  // first character in the record, 0-based
  std::int16_t length;  // 1 to 256
  char type;            // 'C', 'N' or 'M'
  char subtype;         // 'S' (NS), 'N' (MN) or NUL
  char missing;         // 'S', 'Z', 'N', 'X' or '9'
  char name[kMkMaxFieldName + 1];
  std::int16_t signed_numeric;  // 1 for NS
  std::int16_t numeric_name;    // 1 for MN
};

// A named record layout and the record it owns.
struct MatchKeyLayout {
  char name[kMkMaxName + 1];
  MatchKeyLayout* next;
  FieldDef* fields;  // field_count definitions in dictionary order
  char* record;      // record_length characters, not terminated; blanks when created
  std::int16_t field_count;
  std::int16_t record_length;
};

// The text of a status code of this family ("Return code undefined" for unknown codes).
const char* mk_code_text(int code);

// Console message of TOVR_mkSet for a numeric name with more than 4 leading digits; takes
// the value.
extern const char kMkBadNumericNameFormat[];

// Loads the dictionary file_name through the control block's table registry, under
// table_name, and adds its fields as a new layout called name. Status kMkOk, or the
// family's codes 1-5 and 8; a failed load adds no layout and leaves no table behind.
int mkDictLoad(TOVR_Mk* mk, const char* name, const char* table_name, const char* file_name);

// The layout of that name (any case), served from the last-name cache when it can be.
// kMkNameInvalid when the handle or name is null or empty, or no layout has the name.
int find_layout(TOVR_Mk* mk, const char* name, MatchKeyLayout** layout);

// The first field of the layout with that name (any case); null when none.
const FieldDef* find_field(const MatchKeyLayout& layout, const char* field_name);

// The table registry that the control block owns.
TableRegistry* mk_tables(TOVR_Mk* mk);

// The control block's life: creation with its table registry (kMkNoMemory when memory runs
// out), removal of one layout (clears the last-name cache), and release of everything.
int mk_create(TOVR_Mk** handle);
int mk_remove_layout(TOVR_Mk* mk, const char* name);
void mk_destroy(TOVR_Mk* mk);

// Places value into the field of record by the field's type (justification, cutting,
// leading-zero removal and numeric-name alignment). May shorten value in place; changes
// nothing outside the field; allocates nothing.
void place_value(const FieldDef& field, char* record, char* value);

}  // namespace tovr

// The match key control block. It carries no type tag: a handle is checked for null only.
struct TOVR_Mk {
  tovr::MatchKeyLayout* layouts = nullptr;  // newest first
  char last_name[tovr::kMkMaxName + 1] = {};
  tovr::MatchKeyLayout* last_layout = nullptr;
  tovr::TableRegistry* tables = nullptr;
};

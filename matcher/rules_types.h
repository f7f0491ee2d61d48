// The rules block and what it holds: variables of the candidate record, their item tables,
// and one match definition per compared variable.
#pragma once

#include <cstdint>

#include "frame/stream.h"

namespace tovr {

inline constexpr int kMaxVariables = 24;      // variables in one rules file
inline constexpr int kMaxItems = 25;          // items of one array variable
inline constexpr int kVariableNameMax = 32;   // characters of a variable name
inline constexpr int kDefinitionSlots = 100;  // match definition slots of a rules block
inline constexpr int kMatchKeyNameMax = 40;   // characters of a match key name

// Comparison type codes.
enum CompareType : std::int16_t {
  kCompareNone = 0,
  kChar = 1,
  kLrChar = 2,
  kUncert = 3,
  kLrUncert = 4,
  kDate8 = 5,
  kDate6 = 6,
  kNum = 7,
  kProrat = 8,
  kTime = 9,
  kDelta = 10,
  kAbs = 11,
  kIntervalNo = 12,
  kIntervalPar = 13,
  kDoubleInterval = 14,
  kArray = 15,
  kCnt = 16,
  kDistance = 17,
  kPrefix = 18,
  kIntToInt = 19,
};

// Mode operand of the LR and interval types.
enum CompareMode : std::int16_t {
  kModeNone = 0,
  kZeroVal = 1,
  kZeroNul = 2,
  kBasedPrev = 3,
  kEither = 4,
};

// A field as start (0-based) and length; an absent field is (-1, -1).
struct Span {
  std::int16_t start = -1;
  std::int16_t length = -1;
};

// One array item: where it lies in the match key record and in the candidate record.
// Items never placed keep a candidate start of -1, which reads as outside any record.
struct ItemSlot {
  std::int16_t mk_offset = -1;
  std::int16_t mk_length = 0;
  std::int16_t cand_start = -1;
  std::int16_t cand_length = 0;
};

struct ItemTable {
  ItemSlot item[kMaxItems];  // item i (from 1) at item[i - 1]
};

struct MatchDef {
  std::int16_t type = kCompareNone;
  std::int16_t mode = kModeNone;
  std::int16_t reverse = 0;
  Span mk;
  Span mk2;
  char mk_missing = ' ';
  std::int16_t cand_fields = 0;  // candidate fields the type reads (1, 2 or 4)
  Span cand[4];
  char cand_missing = ' ';
  std::int16_t agree = 0;
  std::int16_t disagree = 0;
  std::int16_t middle = 0;
  float mprob = 0;
  float uprob = 0;
  float param = 0;
  float param2 = 0;
  std::int16_t param_count = 0;
  char freq_flag = 'Y';
  // ARRAY only.
  std::int16_t element_type = kCompareNone;
  std::int16_t array_number = -1;
  std::int16_t item_count = 0;       // items of the match key field (nAItems)
  std::int16_t cand_item_count = 0;  // items declared for the candidate array
  Span mk_count;
  char mk_count_missing = ' ';
  std::int16_t cand_count_var = -1;
  Span cand_count;
  char cand_count_missing = ' ';
  ItemTable* items = nullptr;
};

struct VarDef {
  char name[kVariableNameMax + 1] = {};
  MatchDef* match = nullptr;
  ItemTable* items = nullptr;  // owned; arrays only
  std::int16_t start = -1;
  std::int16_t length = 0;
  char missing = ' ';
  std::int16_t is_array = 0;
  std::int16_t count_var = -1;
  std::int16_t item_count = 0;
  std::int16_t array_number = -1;
};

struct Rules {
  char tag[4] = {'R', 'U', 'L', 'E'};
  std::int16_t var_count = 0;
  std::int16_t match_count = 0;
  std::int16_t freq_mode = 0;
  float cutoff = -1.0f;
  MatchDef* defs[kDefinitionSlots] = {};  // by variable number; owned
  VarDef* vars = nullptr;                 // var_count entries; owned with their item tables
  std::int16_t array_count = 0;
  char mk_name[kMatchKeyNameMax + 1] = {};
  char* mk_record = nullptr;  // mk_length + 1 characters
  std::int16_t mk_length = 0;
  Stream message_file = nullptr;
};

// Releases everything the block owns and the block; closes its message file. Null: nothing.
void release_rules(Rules* rules);

}  // namespace tovr

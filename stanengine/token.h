// One token of a token list: the record that the tokenizer fills and that the pattern engine
// and its actions read and change. Field names are those that the program's own messages and
// actions use.
#pragma once

#include <cstdint>

namespace tovr {

// Room of the text fields, terminator included.
inline constexpr int kTokenValueSize = 40;   // at most 39 characters
inline constexpr int kTokenAbbrevSize = 26;  // at most 25 characters
inline constexpr int kTokenOCRSize = 42;

struct Token {
  int16_t TokenNumber;    // 1-based number of the token in its list
  int16_t TokenLine;      // 1-based line of the text in which the token begins
  int16_t TokenCol;       // 1-based column of the first character within its line
  int16_t TokenLen;       // length of TokenValue
  int16_t TokenPosition;  // 1-based number of the token within its line
  char TokenValue[kTokenValueSize];
  char TokenAbbrev[kTokenAbbrevSize];  // standard abbreviation from the table, else empty
  char TokenClass;                     // one-character class; NUL until classified
  float TokenWeight;  // 900 for a separator, the proximity score of a near entry, else 0
  char TokenClose[kTokenValueSize];  // the table entry that gave the class, else TokenValue
  int16_t TokenOperand;              // the fields below are 0 after tokenizing and belong to
  float TokenFloat1;                 // the engine
  float TokenFloat2;
  float TokenFloat3;
  int16_t TokenInt1;
  int16_t TokenInt2;
  int16_t TokenInt3;
  char TokenOCR[kTokenOCRSize];  // empty once the token is classified
};

}  // namespace tovr

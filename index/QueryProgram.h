// A compiled query: the terms and operators of a query text in postfix order, as the
// evaluators read them. Each term also carries its state during the segment-wise
// evaluation (finished flag, next segment, set locator).
#pragma once

#include <cstdint>

#include "index/TreeState.h"

namespace tovr {

struct XrefEntry;

inline constexpr int kMaxQueryTokens = 100;
inline constexpr int kMaxTermKey = 79;  // characters of a term's key
inline constexpr int kMaxQueryNesting = 14;
inline constexpr int kMaxProgramEntries = 210;

// Outcomes of compiling besides an error position (positions are positive).
inline constexpr int kParseOk = 0;
inline constexpr int kProgramFull = -1;
// What TOVR_dbParse returns for a full program and an invalid handle. Error positions stay
// below them: a longer text reports its later errors at kMaxErrorPosition.
inline constexpr unsigned short kParseFullResult = 0xFFFE;
inline constexpr unsigned short kParseBadHandle = 0xFFFF;
inline constexpr int kMaxErrorPosition = 0xFFFD;

// Operators of the program: a term to search, a term set aside by the spelling expansion
// (always empty), and the set operators.
inline constexpr char kTermOp = 'K';
inline constexpr char kEmptyTermOp = 'N';
inline constexpr char kNotOp = '#';
inline constexpr char kAndOp = '&';
inline constexpr char kOrOp = '/';
inline constexpr char kXorOp = '$';

enum TermMode : uint8_t {
  kExactTerm = 0,
  kSimilarTerm,   // key?        keys whose whole text is similar
  kHeadTerm,      // key+        keys whose head is similar (the tail, if any, equal)
  kTailTerm,      // head\tail+  keys whose tail is similar (the head, if any, equal)
  kAllTailsTerm,  // head\       every key with that head
};

struct ProgramEntry {
  char op;
  uint8_t mode;
  // Segment-wise evaluation state of a term.
  bool finished;
  uint32_t next_segment;  // next segment holding data, 0 = none known
  uint32_t word_a;        // set locator: the entry's pointer-set words, word A advanced to
  uint32_t word_b;        //   the page of the next segment for a bitmap
  XrefEntry* index;       // the sequence searched, by its cross-reference entry
  // A query term has at most 79 characters; TOVR_dbFind may name any key that can be stored.
  char key[kMaxKeyLength + 1];
};

struct QueryProgram {
  int count = 0;
  ProgramEntry entries[kMaxProgramEntries];

  bool full() const { return count >= kMaxProgramEntries; }
  // Appends a term on index; false when the program is full.
  bool append_term(const char* key, uint8_t mode, XrefEntry* index);
  // Appends an operator; false when the program is full.
  bool append_operator(char op);
};

inline bool is_term_op(char op) { return op == kTermOp || op == kEmptyTermOp; }

}  // namespace tovr

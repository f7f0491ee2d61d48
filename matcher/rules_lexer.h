// Reading a rules file: one line at a time, cut into operands.
#pragma once

namespace tovr {

inline constexpr int kMaxLineLength = 254;  // characters of one read, its line end included
inline constexpr int kMaxOperands = 20;
inline constexpr int kMaxOperandLength = 32;

// One line as read, with its line end when it fits. A read takes at most kMaxLineLength
// characters, so the rest of a longer line is read as a line of its own; a NUL byte ends the
// text that the parser sees.
struct RulesLine {
  static constexpr int kBufferSize = kMaxLineLength + 1;
  char text[kBufferSize] = {};
};

// The operands of a line: split at blanks and tabs; a semicolon, carriage return or line
// feed ends the line. Operands beyond kMaxOperands are not read and operands longer than
// kMaxOperandLength are cut; both are counted for the listing.
struct Operands {
  char text[kMaxOperands][kMaxOperandLength + 1] = {};
  int count = 0;
  int cut = 0;            // operands cut to kMaxOperandLength characters
  bool too_many = false;  // a further operand followed the last one kept

  // Operand i, or an empty text when the line has fewer.
  const char* operator[](int i) const { return i >= 0 && i < count ? text[i] : ""; }
};

void split_operands(const char* line, Operands& out);

}  // namespace tovr

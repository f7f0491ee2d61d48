// TokenArea: the reader's view of one line of a standardizer file, cut into tokens.
#pragma once

namespace tovr {

inline constexpr int kMaxTokens = 20;
inline constexpr int kMaxTokenLength = 61;

struct TokenArea {
  char tokens[kMaxTokens][kMaxTokenLength + 1];
  short count;
  short error;  // 0 none, 1 error, 2 stop reading
};

enum class SplitResult { kOk, kTooManyTokens, kTokenTooLong };

// Cuts line into tokens. The line ends at a carriage return, a line feed or its end.
// Blanks, tabs, "(" and ")" separate tokens and are dropped; "-" is always a token of its own
// (it ends a token it meets); ";" starts a comment, except on a DELIMITER line, where it is
// an ordinary character inside a token and a token of its own outside one. With upper set
// the tokens are upper-cased. On a failure the area holds the tokens cut so far.
SplitResult split_line(const char* line, bool upper, TokenArea& area);

}  // namespace tovr

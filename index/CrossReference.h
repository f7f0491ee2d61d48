// The cross-reference statements that name the index sequences and the files they live in.
//
//   FILE <separator><path to the end of the line>   starts a file
//   INDEX <sequence number> <name>                   a sequence of the current file
//   INCLUDE <file name>                              host statements only: read that file here
//   END                                              host statements only: ends them
//
// Statements come from the host's list of strings (lines split at CR or LF, ended by an END
// line) or, when the host gives none, from the file "indxname.xrf". Keywords are compared
// without regard to case; other lines are ignored.
#pragma once

namespace tovr {

inline constexpr int kStatementLineSize = 299;

// Reads the statements in two passes (count, then fill) and builds the process-wide tables.
// Returns 0, 4 (a statement file is missing), 5 (the statements contain errors) or 9 (no
// memory); on failure the tables stay unloaded.
int load_cross_reference(const char* const* statements);

}  // namespace tovr

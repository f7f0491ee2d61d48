// Console and trace texts of the standardizer engine, exactly as the system shows them.
#pragma once

namespace tovr::engine_text {

// A status text or a tokenizer or match key message on a line of its own.
inline constexpr char kLineFormat[] = "%s\n";

// Record input.
inline constexpr char kInputEmpty[] = "input file is empty\n";
inline constexpr char kTestReached[] = "Number of records processed == TEST (minus any SKIPped)\n";
inline constexpr char kInteractiveLineDelimiter[] =
    "Interactive format for DelimiterLine not implemented\n";
inline constexpr char kRecordTooLong[] = "Error: record exceeded max_size: %s\n";
inline constexpr char kLineTooLong[] = "Error: too many chars in input line\n";
inline constexpr char kRecordSetTooLong[] = "Error: too many chars in input record set\n";
inline constexpr char kProcItems[] = "Error: bad ret code from procItems\n";

// One run.
inline constexpr char kMaxTokens[] = "MAX_TOKENS exceeded for this record - truncating\n";
inline constexpr char kAlphaRun[] = "too many alpha tokens in one line - probable error\n";
inline constexpr char kCallNotFound[] = "subRoutine jumpFromPC not found";
inline constexpr char kUnmatchedQuotes[] = "Error: unmatched quotes in value file:  %s\n";
inline constexpr char kRangeSpecified[] = "Invalid user-specified range - continuing...\n";
inline constexpr char kRangeSupplied[] = "Invalid user-supplied range detected - continuing...\n";
inline constexpr char kLayoutOutgrewKey[] =
    "Error: matchKey layout %s is longer than its key buffer\n";

// Trace lines of the debug flag, written to the output file.
inline constexpr char kPatternMatched[] = "Pattern matched: %s\n";
inline constexpr char kFieldSet[] = "%s = %s\n";

}  // namespace tovr::engine_text

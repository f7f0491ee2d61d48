// Every text of the record matcher: status texts, listing labels, statement keywords and
// the diagnostics of the rules-file parser, exactly as hosts and listings show them.
#pragma once

#include <cstdint>

#include "matcher/rules_types.h"

namespace tovr::mt_text {

// ---- Status codes and their texts ----

enum Status : int {
  kOk = 0,
  kNoMemory = 1,
  kRulesFileNotFound = 2,
  kSyntaxErrors = 3,
  kMessageFileFailed = 5,
  kInvalidMatchKey = 6,
  kInvalidRecordSize = 7,
  kTooManyHandles = 8,
  kBadList = 9,
  kBadRules = 10,
  kBadControl = 11,
  kEmptyList = 13,
  kBadCase = 14,
  kBadRecordNumber = 15,
  kCandidateNotFound = 16,
};

inline constexpr int kStatusTextCount = 28;
inline constexpr const char* kStatusTexts[kStatusTextCount] = {
    "",
    "No memory Available",
    "Unable to find rules file",
    "Critical syntax errors have occurred",
    "Warning errors have been written to the message file",
    "Message file could not be opened or no space to write it",
    "Invalid match key",
    "Record size is invalid",
    "The maximum number of handles has been exceeded",
    "The handle to the candidate list is invalid",
    "The handle to the rules is invalid",
    "The handle to the match control block is invalid",
    "Multiple best candidates found",
    "No records in candidate list",
    "Invalid handle or maximum number of cases exceeded",
    "Record number invalid",
    "The candidate record could not be found",
    "A field in the field list is undefined",
    "The field list is invalid",
    "The value list is invalid",
    "The weight ranges are invalid",
    "No CUTOFF statement specified by application",
    "Btree open failure",
    "Unable to get first Btree value",
    "No match variables found",
    "Frequency file open failure",
    "Frequency file read failure",
    "Record count file open failure",
};
inline constexpr const char* kUndefinedStatus = "Return code undefined";

// ---- Listing ----

inline constexpr const char* kListingFormat = "%s *** LINE %d *** %s\n    %s\n";
inline constexpr const char* kLabelError = "*** ERROR ***";
inline constexpr const char* kLabelFatal = "*** FATAL ERROR ***";
inline constexpr const char* kLabelWarning = "*** WARNING ***";

// ---- Keywords and operand words ----

inline constexpr const char* kKeyVar = "VAR";
inline constexpr const char* kKeyArraySep = "ARRAY_SEP";
inline constexpr const char* kKeyArrayItem = "ARRAY_ITEM";
inline constexpr const char* kKeyArrayAdj = "ARRAY_ADJ";
inline constexpr const char* kKeyVarType = "VARTYPE";
inline constexpr const char* kKeyMatch = "MATCH";
inline constexpr const char* kKeyReverseMatch = "RMATCH";
inline constexpr const char* kKeyCutoff = "CUTOFF";
inline constexpr const char* kWordNoFreq = "NOFREQ";
inline constexpr const char* kWordBasedPrev = "BASED_PREV";
inline constexpr const char* kWordEither = "EITHER";
inline constexpr const char* kWordZeroVal = "ZERO_VAL";
inline constexpr const char* kWordZeroNul = "ZERO_NUL";

struct TypeName {
  const char* name;
  std::int16_t code;
};

// Comparison type operands of MATCH, in the order in which an operand is tried.
inline constexpr TypeName kTypeNames[] = {
    {"CHAR", kChar},
    {"LR_CHAR", kLrChar},
    {"UNCERT", kUncert},
    {"LR_UNCERT", kLrUncert},
    {"DATE8", kDate8},
    {"DATE6", kDate6},
    {"NUM", kNum},
    {"PRORAT", kProrat},
    {"TIME", kTime},
    {"DELTA", kDelta},
    {"ABS", kAbs},
    {"INTERVAL_NO", kIntervalNo},
    {"INTERVAL_PAR", kIntervalPar},
    {"D_INT", kDoubleInterval},
    {"DOUBLE", kDoubleInterval},
    {"ARRAY", kArray},
    {"CNT", kCnt},
    {"DISTANCE", kDistance},
    {"PREFIX", kPrefix},
    {"INT_TO_INT", kIntToInt},
};

// The types an ARRAY may compare its items with.
inline constexpr TypeName kElementNames[] = {
    {"CHAR", kChar}, {"UNCERT", kUncert}, {"DATE8", kDate8},   {"DATE6", kDate6},
    {"NUM", kNum},   {"PRORAT", kProrat}, {"TIME", kTime},     {"DELTA", kDelta},
    {"ABS", kAbs},   {"CNT", kCnt},       {"PREFIX", kPrefix},
};

// Mode words of the comparison context.
inline constexpr const char* kModeRegular = "REGULAR";
inline constexpr const char* kModeArray = "ARRAY";

// ---- Diagnostics of the rules-file parser ----

// Line reading and operands.
inline constexpr const char* kTooManyOperands = "Maximum number of operands exceeded";
inline constexpr const char* kOperandTooLarge = "Operand too large";
inline constexpr const char* kUnknownCommand = "Command not recognized";

// Shared by the defining statements.
inline constexpr const char* kMissingCode = "Missing value must be S, Z, N, X or 9";
inline constexpr const char* kAlreadyDefined = "Field has been previously defined";
inline constexpr const char* kCountVarUndefined = "ARRAY COUNT variable not defined for ARRAY";
inline constexpr const char* kTooManyVariables = "Maximum number of 24 variables exceeded";
inline constexpr const char* kTooManyItems = "Number of items greater than maximum of 25";

// VAR
inline constexpr const char* kVarOperands = "Invalid number of operands for VAR";
inline constexpr const char* kVarNameLong = "Field name for VAR longer than maximum length";
inline constexpr const char* kVarNameAlpha =
    "Field name for VAR must begin with an alphabetic char";
inline constexpr const char* kVarStartNumeric = "Begining column for VAR must be numeric";
inline constexpr const char* kVarLengthNumeric = "Field length for VAR must be numeric";

// ARRAY_SEP
inline constexpr const char* kSepOperands = "Invalid number of operands for ARRAY_SEP";
inline constexpr const char* kSepNameLong =
    "Variable name for ARRAY_SEP longer than maximum length";
inline constexpr const char* kSepNameAlpha =
    "Variable name for ARRAY_SEP must begin with an alphabetic char";
inline constexpr const char* kSepItemsNumeric = "Number items for ARRAY_SEP must be numeric";
inline constexpr const char* kSingleMissing = "Single character missing value type required";
inline constexpr const char* kSepCountLong =
    "ARRAY COUNT variable name for ARRAY_SEP longer than maximum length";
inline constexpr const char* kSepCountAlpha =
    "ARRAY COUNT variable name for ARRAY_SEP must begin with an alphabetic char";
inline constexpr const char* kSepItemsZero = "Number items zero not valid";

// ARRAY_ITEM
inline constexpr const char* kItemOperands = "Invalid number of operands for ARRAY_ITEM";
inline constexpr const char* kItemNumberNumeric = "Item number for ARRAY_ITEM must be numeric";
inline constexpr const char* kItemStartNumeric = "Begining column for ARRAY_ITEM must be numeric";
inline constexpr const char* kItemLengthNumeric = "Field length for ARRAY_ITEM must be numeric";
inline constexpr const char* kItemZero = "Item number zero not valid";
inline constexpr const char* kItemBeyond = "Item number greater than declared number on ARRAY_SEP";
inline constexpr const char* kItemColumnZero = "Column number zero not valid";
inline constexpr const char* kItemNotAfterSep = "ARRAY_ITEM line not preceeded by ARRAY_SEP line";

// ARRAY_ADJ
inline constexpr const char* kAdjOperands = "Invalid number of operands for ARRAY_ADJ";
inline constexpr const char* kAdjNameLong = "Field name for ARRAY_ADJ longer than maximum length";
inline constexpr const char* kAdjNameAlpha =
    "Field name for ARRAY_ADJ must begin with an alphabetic char";
inline constexpr const char* kAdjStartNumeric = "Begining column for ARRAY_ADJ must be numeric";
inline constexpr const char* kAdjLengthNumeric = "Field length for ARRAY_ADJ must be numeric";
inline constexpr const char* kAdjItemsNumeric = "Number of items for ARRAY_ADJ must be numeric";
inline constexpr const char* kAdjCountLong =
    "ARRAY COUNT variable name for ARRAY_ADJ longer than maximum length";
inline constexpr const char* kAdjCountAlpha =
    "ARRAY COUNT variable name for ARRAY_ADJ must begin with an alphabetic char";

// VARTYPE
inline constexpr const char* kVarTypeOperands = "Invalid number of operands for VARTYPE";
inline constexpr const char* kVarTypeNameLong = "Field name for VARTYPE longer than maximum length";
inline constexpr const char* kVarTypeNameAlpha =
    "Field name for VARTYPE must begin with an alphabetic char";
inline constexpr const char* kVarTypeNoFreq = "VARTYPE must be NOFREQ";
inline constexpr const char* kVarTypeUndefined = "Field must be previously defined for VARTYPE";

// CUTOFF
inline constexpr const char* kCutoffOperands = "Incorrect number of operands for CUTOFF statement";
inline constexpr const char* kCutoffNumeric = "Non-negative weight expected";

// MATCH and RMATCH
inline constexpr const char* kMatchType = "Invalid MATCH variable type [%s]";
inline constexpr const char* kArrayElementType = "Invalid ARRAY MATCH variable type [%s]";
inline constexpr const char* kReverseType = "Invalid RMATCH (REVERSE MATCH) variable type [%s]";
inline constexpr const char* kMatchOperands = "%d Operands are required for MATCH statement";
inline constexpr const char* kMkNameLong = "Field abbreviation longer than maximum";
inline constexpr const char* kMkUndefined = "Match key field undefined";
inline constexpr const char* kMk2Undefined = "Match key field (2) undefined";
inline constexpr const char* kItemsNumeric = "nAItems must be numeric [%s]";
inline constexpr const char* kItemsRange = "nAItems must be from 1 to 25 [%s]";
inline constexpr const char* kCandUndefined[4] = {
    "Candidate field name (1) undefined", "Candidate field name (2) undefined",
    "Candidate field name (3) undefined", "Candidate field name (4) undefined"};
inline constexpr const char* kOneMatchPerField = "Only one MATCH allowed for each field-one";
inline constexpr const char* kMprobCharacter = "Invalid character in MPROB [%s]";
inline constexpr const char* kUprobCharacter = "Invalid character in UPROB [%s]";
inline constexpr const char* kProbRange = "MATCH probabilities must be between 0 and 1";
inline constexpr const char* kUprobAbove = "UPROB greater than MPROB";
inline constexpr const char* kParamDelta =
    "PARAM must be beween 0 and 100 percent for DELTA_PERCENT fields";
inline constexpr const char* kParamNegative = "PARAM must be greater than 0";
inline constexpr const char* kParamUncert = "PARAM must be between 0 and 900 for UNCERT fields";
inline constexpr const char* kModeLr = "MODE must be BASED_PREV or EITHER for LR fields";
inline constexpr const char* kModeInterval =
    "MODE must be ZERO_VAL or ZERO_NUL for INTERVAL fields";
inline constexpr const char* kNotArrayVar =
    "[B] Variable [%s] for ARRAY MATCH is NOT defined as an ARRAY in dict";
inline constexpr const char* kArrayVar = "[B] Variable [%s] is an ARRAY variable in dictionary";
inline constexpr const char* kArrayVarSecond = "Cannot be used with match type other than ARRAY";

}  // namespace tovr::mt_text

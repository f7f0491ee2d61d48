// Keywords and messages of the standardizer file reader, exactly as the system shows them.
// Messages ending in "\n" are printed as they stand; the others are either listed with the
// line that caused them (list_error) or printed alone.
#pragma once

namespace tovr::stan_text {

// Commands, in the order the reader tries them.
inline constexpr const char* kCommands[] = {
    "STANDARDIZE", "SEPLIST",     "STRIPLIST",    "INFILE",    "CLEANUPINPUT",
    "DEBUG",       "INTERACTIVE", "RECORD",       "OUTRECORD", "TYPE",
    "LINESINREC",  "OUTFILE",     "AUXOUTFILE",   "MOVE",      "DELIMITER",
    "SKIP",        "TEST",        "PROCESSORDER", "KEYORDER",  "PROCESSFILE"};
inline constexpr int kCommandCount = sizeof kCommands / sizeof kCommands[0];

// Operand keywords.
inline constexpr char kLine[] = "LINE";
inline constexpr char kNewlineUpper[] = "NEWLINE";
inline constexpr char kNewlineLower[] = "newline";
inline constexpr char kOriginalUpper[] = "ORIGINAL_RECORD";
inline constexpr char kOriginalLower[] = "original_record";
inline constexpr char kTypeAscii[] = "ASCII";
inline constexpr char kTypeUnix[] = "UNIX";
inline constexpr char kTypeBinary[] = "BINARY";
inline constexpr char kDelimItem[] = "ITEM";
inline constexpr char kDelimLine[] = "LINE";
inline constexpr char kDelimRecord[] = "RECORD";
inline constexpr char kDelimComma[] = "COMMA";
inline constexpr char kDelimSpace[] = "SPACE";
inline constexpr char kDelimTab[] = "TAB";
inline constexpr char kDelimNewline[] = "NEWLINE";
inline constexpr char kClassTablePrefix[] = "ClsTbl";
inline constexpr char kOriginalRecordMarker[] = "ORIGINAL_RECORD";

// Listing form: label, line number, message, the line as read.
inline constexpr char kListingFormat[] = "%s *** LINE %d *** %s\n    %s\n";
inline constexpr char kErrorLabel[] = "*** ERROR ***";

// Splitting a line.
inline constexpr char kTooManyOperands[] = "Maximum number of operands exceeded";
inline constexpr char kOperandTooLarge[] = "Operand too large";

// Commands.
inline constexpr char kUnrecognizedCommand[] = "unrecognized command\n";
inline constexpr char kOneOperandOnly[] = "Invalid Command, only one operand permitted";
inline constexpr char kProcessOrderFirst[] = "PROCESSORDER must follow all STANDARDIZE commands\n";
inline constexpr char kKeyOrderFirst[] = "KEYORDER must follow all STANDARDIZE commands\n";
inline constexpr char kTooManyProcesses[] = "number of processes exceeds MAX_PROCESSES\n";
inline constexpr char kNoProcessName[] = "STANDARDIZE requires a process name";
inline constexpr char kNameWithoutLetter[] = "process name must contain a letter";
inline constexpr char kSeplistNotQuoted[] = "Arg to SEPLIST must be a quoted string";
inline constexpr char kSeplistTooLong[] = "Too many chars in SEPLIST string";
inline constexpr char kStriplistTooLong[] = "Too many chars in STRIPLIST string";
inline constexpr char kSeplistNoProcess[] = "SEPLIST must follow a STANDARDIZE command";
inline constexpr char kStriplistNoProcess[] = "STRIPLIST must follow a STANDARDIZE command";
inline constexpr char kSeplistUnclosed[] = "missing closing quote in SEPLIST string";
inline constexpr char kStriplistUnclosed[] = "missing closing quote in STRIPLIST string";
inline constexpr char kProcessFileNotFound[] =
    "Process name not found following PROCESSFILE statement";
inline constexpr char kBadProcessOrder[] = "Invalid PROCESSORDER command";
inline constexpr char kProcessOrderUnknown[] =
    "Warning: PROCESSORDER: following Process_Name is not a current process:\n";
inline constexpr char kIndentedName[] = " %s\n";
inline constexpr char kTooManyKeys[] = "KEYORDER: num key names too large";
inline constexpr char kMoveBeforeAuxFile[] = "MOVE commands must follow AUXOUTFILE command";
inline constexpr char kNotANumber[] = "Non-negative numeric operand expected";
inline constexpr char kBadType[] = "TYPE must be ASCII, UNIX or BINARY";

// Format items.
inline constexpr char kLineNeedsNumber[] = "LINE requires at least one numeric operand";
inline constexpr char kLineNeedsTwoNumbers[] = "LINE with a hyphen requires two numbers";
inline constexpr char kLoneQuote[] =
    "illegal char (e.g. space) following opening quote in user literal in FORMAT spec";
inline constexpr char kMissingQuote[] =
    "missing closing quote for user literal (or illegal preceding char) in FORMAT spec";
inline constexpr char kLiteralTooLong[] = "user literal in FORMAT item longer than 40 chars";
inline constexpr char kBadColumnPiece[] = "Each field specification must have form (n m) or (n-m)";
inline constexpr char kTooManyFormats[] = "Maximum number of formats exceeded";

// MOVE items.
inline constexpr char kMoveUnknownCommand[] = "Unrecognized command following MOVE";
inline constexpr char kMoveNoMemory[] =
    "TOVRCB_Malloc failure for Stan->Aux->outputs in getMoveArgs";
inline constexpr char kMoveLiteralUnclosed[] = "Literal following MOVE missing end quotes";
inline constexpr char kMoveFieldTooLong[] = "Match key name following MOVE has more than 2 chars";
inline constexpr char kMoveUnknownArg[] = "Unrecognized arg for MOVE in getMoveArgs";
inline constexpr char kMoveTooMany[] = "Too many total MOVE args in getMoveArgs";

// After the last line.
inline constexpr char kRecordTooLarge[] = "specified record size is too large\n";
inline constexpr char kLineAndRecordDelimiter[] =
    "cannot have both DELIMITER LINE and DELIMITER RECORD\n";
inline constexpr char kRecordMissing[] = "RECORD command missing";
inline constexpr char kTerminated[] = "**** Compilation terminated due to errors ****";
inline constexpr char kWithFileName[] = "%s  file: %s\n";
inline constexpr char kDictionaryError[] = "error in dictionary file:\n";
inline constexpr char kFieldTooLong[] = "Error: matchKey field len > %d\n";
inline constexpr char kDictionaryNotOpen[] = " error opening dictionary file:\n";
inline constexpr char kMoveGetError[] = "error from TOVR_mkGet in TOVR_StanComp\n";
inline constexpr char kMoveFieldUnknown[] =
    "TOVR_mkGet err in TOVR_StanComp: bad matchKey name in MOVE statement\n";
inline constexpr char kFileNotFound[] = "**** Standardizer Specifications File not found ****\n";
inline constexpr char kCodeText[] = "%s\n";

// Allocation failures.
inline constexpr char kNoMemoryWorkAreas[] = "TOVRCB_Malloc failure in TOVR_StanComp\n";
inline constexpr char kNoMemoryStan[] = "TOVRCB_Malloc failure for StanHandle in TOVR_StanComp\n";
inline constexpr char kNoHandle[] = "TOVRCB_Malloc failed for Control Block\n";
inline constexpr char kNoMemoryAux[] = "TOVRCB_Malloc failed for Aux in TOVR_StanComp\n";
inline constexpr char kNoMemorySc[] = "TOVRCB_Malloc failed for Sc in TOVR_StanComp\n";
inline constexpr char kTkInitError[] = "error from tkInit";
inline constexpr char kNoMemoryBuffers[] =
    "TOVRCB_Malloc failed for tmpStrngs/dlmLnRc/StnLn/curLn in TOVR_StanComp\n";
inline constexpr char kNoMemoryName[] = "TOVRCB_Malloc failure for process...Name";
inline constexpr char kNoReallocName[] = "TOVRCB_Realloc failure for process...Name";
inline constexpr char kNoMemoryTokenArea2[] = "TOVRCB_Malloc failed for TokenArea2 in ProcessMisc";
inline constexpr char kNoMemoryInputLine[] = "TOVRCB_Malloc failed for inputLine in mkDictionaries";
inline constexpr char kNoMemoryTemp[] = "TOVRCB_Malloc failed for temp in mkDictionaries";
inline constexpr char kNoMemoryMatchKey[] = "TOVRCB_Malloc failure for processMatchKey";
inline constexpr char kNoMemoryDictName[] = "TOVRCB_Malloc failure for dictMkName";
inline constexpr char kNoMemoryFields[] = "TOVRCB_Malloc failure for processMatchKeyFields";
inline constexpr char kNoMemoryContents[] = "TOVRCB_Malloc failure for processMatchKeyContents\n";
inline constexpr char kNoMemoryFormatted[] =
    "TOVRCB_Malloc failure for FormattedField in TOVR_StanComp\n";

}  // namespace tovr::stan_text

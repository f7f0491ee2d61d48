// The compiled pattern-action program of a standardizer.
//
// BuildPatternsActions compiles the pattern-action file of every process into plain
// structures: per process a list of patterns (`Pattern`), per pattern a doubly linked chain of
// actions (`PatternAction`), the post actions, a subroutine table, a call table, and one linear
// instruction array with a fail address per instruction (`Sc`). The engine runs the
// instruction array; every record it needs is reachable from here. Everything is allocated
// through the memory funnel and released by release_pattern_programs.
//
// Layout of one process's instruction array
// -----------------------------------------
// Every instruction has an opcode (instructionArray), a fail address (failAddressArray: the
// index where execution continues when the instruction's test fails; -1 for instructions
// that cannot fail) and an argument (operandArray, see below). Patterns follow each other
// in file order:
//
//   pattern start  100 (first pattern of the file) or 101; argument = pattern index
//   anchoring      112 161 (first operand floats: 161 is the loop head)
//                  115|116 [110|111] (newline positioning, then an optional fixed position)
//                  110|111 (fixed position) | 113 162 (float from right, 162 loop head)
//                  200 (multi-retype: matched at once) | 114 (anchored at the current token)
//   operands       per operand: [160] [170] test [150|151 152|153] [129] [130]
//   matched        200
//   actions        the instructions of each action of the chain, in chain order
//   section end    300 after the last pattern of the main section, 196 after the last
//                  pattern of each subroutine section
//
// operandArray holds: for 100/101 the pattern index; for operand instructions (110 to 190)
// the 0-based operand index; for action instructions the 0-based index of the action in the
// pattern's chain (all instructions of one action carry the same index); for 195 the index of
// the call in subRoutineCalls; -1 otherwise.
//
// Operand tests and where they fail to (choices the engine shares):
// - A test fails to the current failure point: the next pattern's start (or the section end
//   after a section's last pattern), or, once the pattern has a floating search, the latest
//   search instruction before the test. The searches are 161/162 (loop heads of a floating
//   first operand) and 121, 123, 125, 127 and 126 under a float qualifier (later floated
//   operands). Reached in sequence a search starts afresh at the current token; reached
//   through a fail address it resumes past the tokens its operand bound last time (161/162:
//   the match start moves past the tokens operand 0 bound, or one token when it bound none).
//   A search that finds nothing fails to the failure point that was current before it.
// - A floating first operand is tested with the plain test (120, 122, 124, 126) at the start
//   that its loop head chose; 170 is not emitted for it.
// - 160 starts an operand (records where its tokens begin). After a universal class `**`
//   followed by further operands (160 180 170 127), the next operand has neither 160 nor 170
//   unless it is an end of line or a field reference (a field or condition-only operand):
//   127 already placed it.
// - 170 (a token must be left) precedes every token-binding test except floated searches and
//   the operand after 127. For `$` the 170 fails to the instruction after its 133 (running out
//   of tokens is the success) and 133 fails to the current failure point.
// - 150-153 are emitted for a range on a class, `?` or `**` operand; the range of a numeric
//   alpha class is its run length and the range of a field operand is a substring range, so
//   neither emits them.
// - 129 follows value lists of token operands; 131 tests its own value list. 130 follows
//   conditions of every operand except condition-only ones (132 is their test).
//
// Action instructions (source step, then target step):
// - 2 EXIT; 12/13/14 CONVERT, CONVERT_P, CONVERT_S; 195 CALL; 196 RETURN.
// - COPY_C: 210, then 211 (user variable) or 220 (field).
// - COPY_A, CONCAT_A, PREFIX_A: 213 (source range) or 214, then 215/216/217 into a user
//   variable, or 221 (CONCAT_A) / 222 (PREFIX_A) / nothing (COPY_A) and 220 into a field.
// - MOVE, COPY, COPY_S, CONCAT, PREFIX from a pattern operand: 230 (n), 232/233 (-n), 234 (c),
//   236/237 (-c), 238 (other range), 239/240 (no range) (233, 237 and 240 for COPY_S); from
//   another process's formatted field 265; from the process's own match key field 266 (COPY,
//   MOVE) or 267; then 241/242/243 (CONCAT, PREFIX, other) into a user variable, or 244/245/
//   nothing and 220 into a field.
// - from a user variable: 246 (range) / 247 then 248/249/250 into a user variable; into a
//   field 251 (range) / 252, then 253 (CONCAT) / 254 (PREFIX) as applicable, 220, 255.
// - from a literal: 259/260/261 into a user variable, 262/263/264 and 220 into a field.
// - RETYPE in an ordinary pattern: 270 no value; literal value with no, literal or variable
//   abbreviation 271/272/273; variable value likewise 274/275/276. In a multi-retype pattern:
//   280 no value; literal value 281/282/283 (284: variable abbreviation with a range); variable
//   value 277/278/279.
#pragma once

#include <cstdint>

#include "frame/stream.h"

namespace tovr {

// ---- Limits and special values ---------------------------------------------------------

inline constexpr int kPatternProcesses = 3;      // processes of one standardizer
inline constexpr int kMaxOperands = 8;           // operands of one pattern line
inline constexpr int kMaxMultiRetype = 30;       // largest multi-retype count (MAX_TOKENS)
inline constexpr int kValueSlots = 10;           // value list slots; 9 may be filled
inline constexpr int kMaxConditionExprs = 10;    // expressions of one condition
inline constexpr int kConditionLiteralSize = 50; // a condition literal: 49 characters + NUL
inline constexpr int kMaxUserFiles = 10;         // user file table entries
inline constexpr int kUserFileNameSize = 50;     // a user file name: 49 characters + NUL
inline constexpr int kMaxUserVars = 15;          // user variable table entries
inline constexpr int kUserVarNameSize = 20;      // a user variable name: 19 characters + NUL
inline constexpr int kUserVarValueSize = 40;     // a user variable value: 39 characters + NUL
inline constexpr int kActionTextSize = 128;      // action literal, file or table name
inline constexpr int kRetypeAbbrevMax = 25;      // longest RETYPE abbreviation

// Special range bounds: `n`, `c`, `-n`, `-c`.
inline constexpr int kRangeN = 999999999;
inline constexpr int kRangeC = 999999998;
inline constexpr int kRangeMinusN = -999999999;
inline constexpr int kRangeMinusC = -999999998;
// Fields of value lists, conditions and actions that are not given.
inline constexpr int kNumberNotGiven = 999999997;
inline constexpr int kBoundNotGiven = 999999996;

// Fail-address placeholders used while generating; none is left in a compiled program.
inline constexpr int kFailNextPattern = 999999998;
inline constexpr int kFailEndOfMain = 999999999;
inline constexpr int kFailEndOfSub = 999999997;
inline constexpr int kFailActionPart = 999999996;

// ---- Patterns ------------------------------------------------------------------------------

// What an operand tests (Pattern::kind).
enum OperandKind : short {
  kOperandNone = 0,       // empty slot
  kOperandClass = 1,      // one token of class Pattern::cls[k] (`?` with the single flag: one)
  kOperandUnknownRun = 2, // `?`: a run of unknown words
  kOperandNumericAlpha = 3,  // 1-9: a run of exactly range[k][0] unknown words
  kOperandAnyToken = 4,   // `&` (class character '&', which `\&` also gives with kOperandClass)
  kOperandUniversal = 5,  // `**`
  kOperandEndOfField = 6, // `$`
  kOperandEndOfLine = 7,  // `n`
  kOperandField = 8,      // {xx}: a match key field
  kOperandConditionOnly = 9,  // only a condition
  kOperandNewlineOnly = 10,   // operand 0 that only positions to a line end
};

// Value kinds of value lists and condition comparisons.
enum ValueKind : short { kValueAbbrev = 1, kValueText = 2, kValuePlain = 3 };

// The test of an `=` operand. Unused numbers hold kNumberNotGiven, an absent range
// kBoundNotGiven.
struct ValueList {
  int number[kValueSlots];
  char* charValue[kValueSlots];  // upper-cased texts without blanks
  Stream file;                   // value file, shared through the user file table
  short kind;                    // ValueKind
  int range[2];                  // numeric range
  short number_count;
  short text_count;
  short user_file;               // index in the user file table, -1 when none
};

// Entities of a condition expression.
enum ConditionEntityKind : short {
  kEntityNone = 0,
  kEntityOperand = 1,   // the operand's own text (implicit, or written {})
  kEntityLiteral = 2,
  kEntityNumber = 3,
  kEntityVariable = 4,
  kEntityField = 5,
};

enum ConditionAttribute : short { kAttrNone = 0, kAttrLen = 1, kAttrPict = 2 };
enum Relational : short { kRelNone = 0, kRelEq, kRelNe, kRelLt, kRelGt, kRelLe, kRelGe };
enum Arithmetic : short { kArithNone = 0, kArithAdd, kArithSub, kArithMul, kArithDiv, kArithMod };

struct ConditionEntity {
  short kind;                          // ConditionEntityKind
  char literal[kConditionLiteralSize];  // kEntityLiteral (a PICT picture: lower-case n and c)
  int number;                          // kEntityNumber; kNumberNotGiven otherwise
  char variable[kUserVarNameSize];     // kEntityVariable
  char field[3];                       // kEntityField, upper-cased
  short field_process;                 // process whose match key holds the field
  int range[2];                        // kBoundNotGiven when none
};

// left [attribute] [arith left_operand] relational right [arith right_operand]
struct ConditionExpression {
  ConditionEntity left;
  short attribute;       // ConditionAttribute, applies to the left entity
  short left_arith;      // Arithmetic
  ConditionEntity left_operand;
  short relational;      // Relational
  short compare_kind;    // ValueKind of "A=", "T=" or a plain comparison
  ConditionEntity right;
  short right_arith;
  ConditionEntity right_operand;
};

struct Condition {
  ConditionExpression expr[kMaxConditionExprs];
  short count;
  char logical;  // '&' or '|' between all expressions; 0 for a single expression
};

// One compiled pattern line.
struct Pattern {
  char* line;                      // the line as written (leading blanks and line end removed)
  short float_flag[kMaxOperands];  // `*` (also set for `**`)
  short float_right;               // `#` before the first operand
  short fixed_flag;                // `%` before the first operand
  short fixed_position;            // the number after `%`, negative with "-"
  short newline_position;          // `%` k `n`: k; `#` `n`: -1; 0 when none
  short negation[kMaxOperands];    // `!`
  short multi_retype;              // count of a multi-retype pattern, 0 otherwise
  short field_ref[kMaxOperands];   // match key field or condition-only operand
  short condition_only[kMaxOperands];
  short short_range[kMaxOperands][2];  // range cut to shorts (special bounds saturate)
  char cls[kMaxOperands + 1];      // class character per operand, 0 = none
  short single[kMaxOperands];      // `+`
  short field_process[kMaxOperands];   // -1 when the operand is no field
  char field_name[kMaxOperands][3];
  ValueList* pValue[kMaxOperands];
  Condition* pCondition[kMaxOperands];
  int range[kMaxOperands][2];      // 0 0 when the operand has no range
  Pattern* next;
  short kind[kMaxOperands];        // OperandKind
  short operand_count;             // operands written (the newline-only operand included)
};

// ---- Actions -------------------------------------------------------------------------------

enum ActionCommand : short {
  kActMove = 1, kActExit = 2, kActCopy = 3, kActCopyA = 4, kActCopyC = 5, kActCopyS = 6,
  kActConcat = 7, kActConcatA = 8, kActPrefix = 9, kActPrefixA = 10, kActRetype = 11,
  kActConvert = 12, kActConvertP = 13, kActConvertS = 14, kActSoundex = 100,
  kActRsoundex = 101, kActReturn = 196, kActCall = 285,
};

enum SourceKind : int {
  kSourceOperand = 0, kSourceField = 1, kSourceFormatted = 2, kSourceLiteral = 5,
  kSourceVariable = 6, kSourceNone = kNumberNotGiven,
};

enum TargetKind : int {
  kTargetField = 1, kTargetConvertFile = 4, kTargetConvertTable = 5, kTargetVariable = 6,
  kTargetNone = kNumberNotGiven,
};

// Where a CONVERT writes its result: the tokens of the operand, or a temporary value.
enum ConvertMode : short { kConvertNone = 0, kConvertTokens = 1, kConvertTemp = 2 };

struct ActionEntity {
  char field[3];         // target match key field, upper-cased
  char* userCharValue;   // target user variable name
  char* fileName;        // convert table: file name (kind 4) or table name (kind 5)
  Stream file;           // convert file, shared through the user file table
  short user_file;       // index in the user file table, -1 when none
};

struct PatternAction {
  char* value;           // `Action->value`: RETYPE literal value
  char* abbrevValue;     // `Action->abbrevValue`: RETYPE literal abbreviation
  short command;         // ActionCommand
  char literal[kActionTextSize];  // source kind 5
  int source_kind;       // SourceKind
  short source_operand;  // operand number - 1
  char source_field[3];
  short source_process;  // kind 2
  int source_range[2];   // kNumberNotGiven when none
  char source_variable[kUserVarNameSize];
  int target_kind;       // TargetKind
  ActionEntity toActionEntity;
  char retype_class;     // RETYPE: class character (`+` stored as `?`, `0` the NULL class)
  char value_variable[kUserVarNameSize];
  char abbrev_variable[kUserVarNameSize];
  int abbrev_range[2];   // kNumberNotGiven when none
  short convert_mode;    // ConvertMode
  char convert_class;    // TKN class, 0 when none
  short call_index;      // CALL: entry in subRoutineCalls, -1 otherwise
  PatternAction* next;
  PatternAction* previous;
};

// ---- Sections, calls and the program -------------------------------------------------------

struct SubRoutine {
  char* name;
  int start_instruction;  // index of the section's first instruction
  short first_pattern;
  short last_pattern;     // -1 -1 for a section without patterns
};

struct SubRoutineCall {
  char* name;
  int call_instruction;   // index of the 195
  int target_instruction; // start instruction of the called section
  short followed_by_exit;
  short calling_pattern;
  short first_pattern;    // first pattern of the called section
};

struct UserFile {
  Stream stream;
  char name[kUserFileNameSize];
  short use_count;  // 0 = free entry
};

// Value files and convert files of all processes; a name already present is shared.
struct UserFileTable {
  UserFile files[kMaxUserFiles];
  short count;  // entries in use
};

struct UserVariableTable {
  short count;
  char names[kMaxUserVars][kUserVarNameSize];
  char values[kMaxUserVars][kUserVarValueSize];
};

// The compiled program of one process.
struct ProcessProgram {
  Pattern** patterns;            // slot_count entries
  std::uint32_t* patternClassFlags;  // two words per slot: classes needed once, twice
  PatternAction** patternActions;    // chain head per slot
  PatternAction* postActions;
  short slot_count;              // patterns + 1
  short pattern_count;
  short section_count;           // entries of subRoutines, main included
  short call_count;
  SubRoutine* subRoutines;
  SubRoutineCall* subRoutineCalls;
};

// Instruction arrays of the three processes; the standardizer block allocates it zeroed, the
// compile fills it, release_process_program empties it.
struct Sc {
  short* instructionArray[kPatternProcesses];
  int* failAddressArray[kPatternProcesses];
  int* operandArray[kPatternProcesses];
  int instructionCount[kPatternProcesses];
};

// Everything the pattern compile produces that the standardizer block keeps.
struct StanPatterns {
  ProcessProgram process[kPatternProcesses];
  UserFileTable user_files;
  UserVariableTable user_vars;
  short pattern_error;  // set when any pattern file had an error
};

// ---- Compiling -----------------------------------------------------------------------------

// Results of loading a conversion table by name.
enum ConvertTableStatus : int {
  kConvertTableOk = 0,
  kConvertTableNotFound,
  kConvertTableBadFormat,
  kConvertTableNoMemory,
  kConvertTableBadSize,
  kConvertTableKeyTooLong,
  kConvertTableBadEntry,
  kConvertTableBadWeight,
};

// What the compiler asks of the match key service. field_status returns 0 when the layout
// holds the field, 6 when it does not, anything else for an error (the codes of TOVR_mkGet).
// load_convert_table loads and checks a conversion table by table name.
struct PatternServices {
  void* user;
  int (*field_status)(void* user, const char* match_key, const char* field);
  ConvertTableStatus (*load_convert_table)(void* user, const char* table_name);
};

struct PatternSource {
  const char* process_name;
  const char* pattern_file;
  const char* match_key;  // the layout name of the process's dictionary
};

struct PatternSources {
  short process_count;
  PatternSource process[kPatternProcesses];
  PatternServices services;
};

// Compiles the pattern file of every process into out and sc. Returns 0, or 1 after a
// message when the compile cannot go on (a file that does not open, a structural error found
// by the counting pass, no memory). Errors in single lines set out.pattern_error, print their
// message and let the compile go on. out and sc start zeroed; whatever was compiled, also after
// a failure, is released by release_pattern_programs.
int BuildPatternsActions(const PatternSources& sources, StanPatterns& out, Sc& sc);

// Releases the compiled program of one process (its instruction arrays included) and drops
// its uses of user files, closing each file when its use count reaches 0.
void release_process_program(StanPatterns& patterns, Sc* sc, int process);

// release_process_program for every process. Null pointers are skipped; calling it twice is
// harmless.
void release_pattern_programs(StanPatterns& patterns, Sc* sc);

}  // namespace tovr

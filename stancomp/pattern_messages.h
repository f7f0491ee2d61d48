// Every message and keyword of the pattern-action compiler, written once, exactly as shown.
#pragma once

#include "stancomp/pattern_program.h"

namespace tovr::patmsg {

// ---- Line trailers ---------------------------------------------------------------------
inline constexpr const char* kLineTrailer = " %s\n";
inline constexpr const char* kLineNumberTrailer = "line number = %ld\n";
inline constexpr const char* kFileTrailer = "file %s\n";
inline constexpr const char* kCountFileTrailer = "pattern file %s\n";
inline constexpr const char* kCountLineTrailer = "line number %d\n";

// ---- Reading the file --------------------------------------------------------------------
inline constexpr const char* kOpenPatternFile = "error opening processPatternFile:\n";
inline constexpr const char* kNotEncrypted = "Loading non-encrypted pattern file.";
inline constexpr const char* kInvalidEnctyp = "Invalid enctyp, encdec.";

// ---- Counting pass -----------------------------------------------------------------------
inline constexpr const char* kOutOfSynch = "pattern lines and actions sets out of synch\n";
inline constexpr const char* kCallInSub =
    "Error: subroutine calls cannot be made from within subroutines\n";
inline constexpr const char* kTwoCalls = "Error: more than one subroutine call for current pattern\n";
inline constexpr const char* kCallFollowed =
    "Error: subroutine calls may be followed by no commands or by EXIT\n";
inline constexpr const char* kSubBeforeMain =
    "Error: must have main pattern/action section before first \\SUB \n";
inline constexpr const char* kSubSynch =
    "Error: subroutine statements and subroutine end statements out of synch\n";
inline constexpr const char* kCallsNoSubs = "Error: subroutine calls but no subroutines\n";
inline constexpr const char* kTooManyPatterns =
    "TOVRCB_Malloc cannot allocate Pattern struct - too many patterns\n";
inline constexpr const char* kTooManyActions =
    "TOVRCB_Malloc cannot allocate PatternAction struct - too many pattern actions\n";

// ---- Allocation failures -----------------------------------------------------------------
inline constexpr const char* kNoMemInputLineBuild =
    "TOVRCB_Malloc failed for inputLine in BuildPatternsActions";
inline constexpr const char* kNoMemPatterns = "TOVRCB_Malloc failure for patterns in file:\n";
inline constexpr const char* kNoMemClassFlags =
    "TOVRCB_Malloc failure for patternClassFlags in file:\n";
inline constexpr const char* kNoMemPatternActions =
    "TOVRCB_Malloc failure for pattern actions in file:\n";
inline constexpr const char* kNoMemInitPatStruc = "TOVRCB_Malloc failure in InitializePatStruc\n";
inline constexpr const char* kNoMemInputLine =
    "TOVRCB_Malloc failed for inputLine in BuildPattern_ActionStrucs\n";
inline constexpr const char* kNoMemInputLine2 =
    "TOVRCB_Malloc failed for inputLine2 in BuildPattern_ActionStrucs\n";
inline constexpr const char* kNoMemTemp = "TOVRCB_Malloc failed for temp in BuildPattern_ActionStrucs\n";
inline constexpr const char* kNoMemPatternLine =
    "TOVRCB_Malloc failed for pattern line string in InitializePatStruc\n";
inline constexpr const char* kNoMemPValue = "TOVRCB_Malloc failure for Pattern->pValue\n";
inline constexpr const char* kNoMemPCondition = "TOVRCB_Malloc failure for Pattern->pCondition\n";
inline constexpr const char* kNoMemCharValue = "TOVRCB_Malloc failure for pValue->charValue:\n";
inline constexpr const char* kNoMemAction =
    "TOVRCB_Malloc failed for PatternAction struct in BuildPattern_ActionStrucs\n";
inline constexpr const char* kNoMemPostAction = "TOVRCB_Malloc failed for PostAction struct\n";
inline constexpr const char* kNoMemPostActions = "TOVRCB_Malloc failure for post actions in file:\n";
inline constexpr const char* kNoMemSubRoutines = "Error: TOVRCB_Malloc failure for subRoutines\n";
inline constexpr const char* kNoMemCalls = "Error: TOVRCB_Malloc failure for subRoutineCalls\n";
inline constexpr const char* kNoMemSubName = "Error: TOVRCB_Malloc failure for subRoutines[].name\n";
inline constexpr const char* kNoMemCallName =
    "Error: TOVRCB_Malloc failure for subRoutineCalls[].name\n";
inline constexpr const char* kNoMemUserCharValue =
    "TOVRCB_Malloc failed for Action->toActionEntity.userCharValue\n";
inline constexpr const char* kNoMemFileName =
    "TOVRCB_Malloc failed for Action->toActionEntity.fileName\n";
inline constexpr const char* kNoMemValue = "TOVRCB_Malloc failed for Action->value\n";
inline constexpr const char* kNoMemAbbrev = "TOVRCB_Malloc failed for Action->abbrevValue\n";
inline constexpr const char* kTooManyInstructions =
    "TOVRCB_Malloc cannot allocate failAddress array for DOS - too many patterns\n";
inline constexpr const char* kNoMemInstructions =
    "TOVRCB_Malloc failure for instructionArray in file:\n";
inline constexpr const char* kNoMemFailAddresses =
    "TOVRCB_Malloc failure for failAddressArray in file:\n";

// ---- Pattern lines -----------------------------------------------------------------------
inline constexpr const char* kMaxFields = "Error: max number of fields exceeded in current pattern\n";
inline constexpr const char* kMultiAlone = "Error: MultiRetype pattern must stand alone:\n";
inline constexpr const char* kNegBeforeFloat =
    "Error: negation qualifier may not precede float_qualifier\n";
inline constexpr const char* kFloatNeedsClass = "Error: float qualifier needs following class:\n";
inline constexpr const char* kTwoFloats1 =
    "Error: two float specifiers must be followed by a pattern field separator\n";
inline constexpr const char* kTwoFloats2 =
    "          or a range specification or must end the pattern line:\n";
inline constexpr const char* kUniversalNegRange =
    "Error: negative range values on match_all_classes not allowed\n";
inline constexpr const char* kFloatNegated1 =
    "Error: float specifier followed by negated class may only occur\n";
inline constexpr const char* kFloatNegated2 = "       for operand 1:\n";
inline constexpr const char* kFloatAfterUniversal =
    "Error: float qualified class follows universal class";
inline constexpr const char* kFloatRightFirst =
    "Error: float from right qualifier can only occur in first field\n";
inline constexpr const char* kFloatRightNeedsClass =
    "Error: float_from_right qualifier needs following class:\n";
inline constexpr const char* kFixedFirst =
    "Error: fixed position qualifier can only occur in first field\n";
inline constexpr const char* kFixedBadNumber =
    "Error: bad numeric position for fixed position qualifier:\n";
inline constexpr const char* kFixedZero = "Error: fixed position arg must be non-zero\n";
inline constexpr const char* kFixedMisuse = "Error: error in use of fixed position qualifier:\n";
inline constexpr const char* kImproperInput = "Error: improper input in line:\n";
inline constexpr const char* kNegBeforeSingle =
    "Error: negation qualifier may not precede single_token_specifier\n";
inline constexpr const char* kEndOfFieldLast = "Error: End_of_field class must be last:\n";
inline constexpr const char* kEndOfFieldQualified =
    "Error: end_of_field class may not be qualified:\n";
inline constexpr const char* kEndOfFieldAfterUniversal =
    "Error: ** grabs all tokens - cannot be followed by end_of_field class\n";
inline constexpr const char* kEolFirst =
    "Error: unqualified eol class may not be first element of pattern:\n";
inline constexpr const char* kEolQualified =
    "Error: not/float qualifier for end_of_line class is illegal:\n";
inline constexpr const char* kNotNumericAlpha =
    "Error: not qualifier cannot be used with numeric alpha class\n";
inline constexpr const char* kNullClass = "Error: NULL Class can only be used in RETYPE action:\n";
inline constexpr const char* kMultiTooLarge =
    "Warning: MultiRetype num too large - set to MAX_TOKENS:\n";
inline constexpr const char* kMultiGrammar = "Error: incorrect grammar for MultiRetype:\n";
inline constexpr const char* kMatchKeySpec = "Error: match key incorrectly specified:\n";
inline constexpr const char* kFieldNotFound = "Error: match key field name not found:\n";
inline constexpr const char* kImproperRange = "improper use of range:\n";
inline constexpr const char* kClassAfterNewline =
    "Error: class immediately follows newline positioning - use '|'\n";
inline constexpr const char* kOnlyNewline =
    "Error: pattern only positions to newline - no operands specified\n";
inline constexpr const char* kTwoClasses =
    "Error: more than one class found in single pattern section:\n";

// ---- Ranges ------------------------------------------------------------------------------
inline constexpr const char* kRangeStart = "Error: starting range error:\n";
inline constexpr const char* kRangeEnd = "Error: ending range error:\n";
inline constexpr const char* kStringTooLong = "Error: string too long:\n";
inline constexpr const char* kBadRange = "Error: bad range specification\n";
inline constexpr const char* kRangeZero =
    "Error: range: 0 is an illegal value for range specification\n";

// ---- Value lists -------------------------------------------------------------------------
inline constexpr const char* kTooManyUserFiles = "Error: too many user files \n";
inline constexpr const char* kOpenValueFile = "Error: error opening value file:\n";
inline constexpr const char* kTooManyValues =
    "Error: too many values specified - use value file instead\n";
inline constexpr const char* kImproperTestValue = "Error: improper test value\n";

// ---- Conditions --------------------------------------------------------------------------
inline constexpr const char* kVarTooLong = "Error: user variable name too long:\n";
inline constexpr const char* kVarUndefined = "Error: user variable in condition is undefined\n";
inline constexpr const char* kNoReferent = "Error: current operand reference lacks referent\n";
inline constexpr const char* kMissingFieldEnd =
    "Error: match key field - missing END_MK_FIELD char:\n";
inline constexpr const char* kAttrNoLeft =
    "Error: condition attribute (LEN,etc.) not referencing left entity\n";
inline constexpr const char* kPictOps =
    "Error: for PICT, only  =  and  !=  are valid relational operators";
inline constexpr const char* kPictQuoted = "Error: for PICT, must use quoted string as in \"ncn\"\n";
inline constexpr const char* kPictLetters = "Error: for PICT, quoted string must consist only of n/c\n";
inline constexpr const char* kBang = " error using ! in relational condition:\n";
inline constexpr const char* kNoRelational = "Error: relation operator missing:\n";
inline constexpr const char* kNoLvalue =
    "Error: lvalue missing in condition expression or invalid literal:\n";
inline constexpr const char* kNoRvalue = "Error: rvalue missing in condition expression:\n";
inline constexpr const char* kArithLiteral =
    "Error: literal may not occur in arithmetic expression:\n";
inline constexpr const char* kNoArithOp = "Error: arithmetic operator missing:\n";
inline constexpr const char* kNoArithOperand = "Error: missing arithmetic operand:\n";
inline constexpr const char* kDoubleLogical =
    "Error: logical operators within conditions are single & or |\n";
inline constexpr const char* kMixedLogical =
    "Error: all logical ops within one condition must be the same\n";
inline constexpr const char* kTooManyExprs =
    "Error: too many expressions within single condition specified\n";
inline constexpr const char* kNoLogical = "Error: missing logical operator in condition:\n";
inline constexpr const char* kInvalidCondChar = "Error: invalid char  %c  in condition: %s\n";

// ---- Action lines ------------------------------------------------------------------------
inline constexpr const char* kInvalidCommand = "Error: invalid command in line:\n";
inline constexpr const char* kOperandSpec = "Error: error in operand spec:\n";
inline constexpr const char* kMkGetError = "Error: error from TOVR_mkGet within getActArgs\n";
inline constexpr const char* kFieldTooShort = "Error: too few chars in match key field name:\n";
inline constexpr const char* kInvalidFormatted = "Error: invalid formatted field:\n";
inline constexpr const char* kTooManyVars = "Error: number of user variables > MAX_USER_VARS\n";
inline constexpr const char* kConvertVarNotFound =
    "Error: user variable name not found for CONVERT:\n";
inline constexpr const char* kReservedLen = "Error: len  and  LEN  are reserved keywords:\n";
inline constexpr const char* kReservedPict = "Error: pict  and  PICT  are reserved keywords:\n";
inline constexpr const char* kInvalidArg = "Error: invalid arg:\n";
inline constexpr const char* kInvalidActionChar =
    "Error: invalid char in  action specifier (in getActArgs)\n";
inline constexpr const char* kTempOrTkn = "Error: TEMP or TKN arg required for CONVERT(_P/_S):\n";
inline constexpr const char* kTknClass = "Error: TKN has invalid following class:\n";
inline constexpr const char* kOpenConvertFile = "Error: error opening convert file:\n";
inline constexpr const char* kConvertNotFound = "convert table not found:\n";
inline constexpr const char* kConvertFormat = "invalid convert table format:\n";
inline constexpr const char* kConvertNoMemory = "no memory for convert table load:\n";
inline constexpr const char* kConvertSize = "bad table size for convert table:\n";
inline constexpr const char* kConvertKeyTooLong = "key in convert table too long:\n";
inline constexpr const char* kConvertEntry = "invalid entry in convert tbl:\n";
inline constexpr const char* kConvertWeight = "invalid weight in convert tbl:\n";
inline constexpr const char* kBadCommand = "bad command in getActArgs:\n";
inline constexpr const char* kInvalidCommandArg = "Error: invalid command arg:\n";
inline constexpr const char* kPatternFileError = "Error: error in Pattern file:\n";
inline constexpr const char* kRetypeOperand = "Error: error in operand spec in getRetypeArgs:\n";
inline constexpr const char* kRetypeChar = "Error: invalid char in  RETYPE ...  action specifier\n";
inline constexpr const char* kRetypeValue = "Error: retype value must be literal or user variable:\n";
inline constexpr const char* kRetypeVarNotFound = "Error: user variable name not found in RETYPE:\n";
inline constexpr const char* kRetypeAbbrevKind =
    "Error: retype abbrev value must be literal or user variable:\n";
inline constexpr const char* kRetypeAbbrevLong = "Error: RETYPE abbrev value: too many chars:\n";
inline constexpr const char* kRetypeAbbrevRange =
    "Error: RETYPE abbrev value: too many chars in range spec:\n";
inline constexpr const char* kActionOnEol = "Error: action references end_of_line_class\n";
inline constexpr const char* kReturnInMain = "Error: RETURN statement within main \n";
inline constexpr const char* kBadSubName = "Error: bad subroutine name\n";
inline constexpr const char* kCallNotFound = "Error: CALL subroutine name not found\n";
inline constexpr const char* kSameSubName =
    "Error: two subroutines within the same process have the same name\n";

// ---- Post section ------------------------------------------------------------------------
inline constexpr const char* kInvalidPost = "invalid POST action in line:\n";
inline constexpr const char* kPostEndMissing = "\\POST_END  statement missing \n";

// ---- Keywords and markers ----------------------------------------------------------------
inline constexpr const char* kPostStart = "\\POST_START";
inline constexpr const char* kPostEnd = "\\POST_END";
inline constexpr const char* kSubStart = "\\SUB";
inline constexpr const char* kSubEnd = "\\END_SUB";
inline constexpr const char* kMainName = "main";
inline constexpr const char* kActionKeys[] = {"MOVE", "COPY", "CONC", "PREF", "CONV",
                                              "EXIT", "RETY", "CALL", "RETU"};
inline constexpr const char* kPostKeys[] = {"SOUN", "RSOU"};
inline constexpr const char* kCallKey = "CALL";
inline constexpr const char* kExitKey = "EXIT";

struct CommandWord {
  const char* word;
  ActionCommand command;
  bool takes_args;  // handled by getActArgs
};
inline constexpr CommandWord kCommandWords[] = {
    {"MOVE", kActMove, true},         {"COPY", kActCopy, true},
    {"COPY_A", kActCopyA, true},      {"COPY_C", kActCopyC, true},
    {"COPY_S", kActCopyS, true},      {"CONCAT", kActConcat, true},
    {"CONCAT_A", kActConcatA, true},  {"CONVERT", kActConvert, true},
    {"CONVERT_P", kActConvertP, true}, {"CONVERT_S", kActConvertS, true},
    {"PREFIX", kActPrefix, true},     {"PREFIX_A", kActPrefixA, true},
    {"RETYPE", kActRetype, false},    {"EXIT", kActExit, false},
    {"RETURN", kActReturn, false},    {"CALL", kActCall, false},
};
inline constexpr CommandWord kPostWords[] = {
    {"SOUNDEX", kActSoundex, true},
    {"RSOUNDEX", kActRsoundex, true},
};
inline constexpr const char* kTokensWord = "TKN";
inline constexpr const char* kTempWord = "TEMP";

}  // namespace tovr::patmsg

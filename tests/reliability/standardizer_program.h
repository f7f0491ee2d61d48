// Small standardizers of street address lines, used by the reliability tests and the fuzz
// targets: one process over whole lines, a second program with two processes fed by column
// pieces of two-line records, and programs whose patterns make the engine search. Its patterns use
// every kind of operand the engine can search with (floats, the universal class, ranges, value
// lists, conditions), conversions, retyping, a subroutine and a post section.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tovr::test {

inline constexpr char kAddressSpec[] =
    "; one process over whole lines\n"
    "STANDARDIZE ADDR\n"
    "INFILE in.txt\n"
    "OUTFILE out.txt\n"
    "AUXOUTFILE aux.txt\n"
    "MOVE {SN}\n"
    "RECORD 1024\n"
    "CLEANUPINPUT\n";

inline constexpr char kTwoProcessSpec[] =
    "; name on line 1, address on line 2\n"
    "STANDARDIZE NAME LINE 1 (1 30)\n"
    "STANDARDIZE ADDR LINE 2 (1-60)\n"
    "SEPLIST \" ()-/,#&;:\"\n"
    "STRIPLIST \" ,.'`;:\"\n"
    "PROCESSORDER ADDR NAME\n"
    "KEYORDER NAME ADDR\n"
    "INFILE in.txt\n"
    "OUTFILE out.txt\n"
    "OUTRECORD 120\n"
    "RECORD 1024\n"
    "LINESINREC 2\n";

inline constexpr char kAddressDictionary[] =
    "\\FORMAT\\ SORT=N\n"
    "HN N 10 S\nPD C 2 S\nSN MN 28 S\nST C 4 S\nSD C 2 S\nUT C 4 S\nUV C 8 S\nSX C 4 S\n";

inline constexpr char kAddressClasses[] =
    "NORTH N D\nSOUTH S D\nEAST E D\nWEST W D\nN N D\nS S D\nE E D\nW W D\n"
    "STREET ST T\nST ST T\nAVENUE AVE T\nAVE AVE T\nROAD RD T\nBOULEVARD BLVD T 800\n"
    "APARTMENT APT U\nAPT APT U\nSUITE STE U\nFIRST 1ST O\nSECOND 2ND O\nTHIRD 3RD O 850\n";

inline constexpr char kOrdinals[] = "FIRST 1ST\nSECOND 2ND\nTHIRD 3RD\n";

inline constexpr char kAddressPatterns[] =
    "\\POST_START\n"
    "SOUNDEX {SN} {SX}\n"
    "\\POST_END\n"
    "*U | ^                      ; a unit anywhere\n"
    "  COPY_A [1] {UT}\n"
    "  COPY [2] {UV}\n"
    "  RETYPE [1] 0\n"
    "  RETYPE [2] 0\n"
    "*O                          ; ordinal words become numbers\n"
    "  CONVERT [1] @ordinals.tbl TKN\n"
    "  RETYPE [1] ?\n"
    "^ | D | ** | T | $\n"
    "  COPY [1] {HN}\n"
    "  COPY_A [2] {PD}\n"
    "  COPY_S [3] {SN}\n"
    "  COPY_A [4] {ST}\n"
    "  EXIT\n"
    "^ | ** | T | D\n"
    "  COPY [1] {HN}\n"
    "  COPY_S [2] {SN}\n"
    "  COPY_A [3] {ST}\n"
    "  COPY_A [4] {SD}\n"
    "  EXIT\n"
    "^(1:5) | ? | T\n"
    "  COPY [1] {HN}\n"
    "  COPY_S [2] {SN}\n"
    "  COPY_A [3] {ST}\n"
    "  CALL Tidy\n"
    "  EXIT\n"
    "^ | *T | *D\n"
    "  COPY [1] {HN}\n"
    "  COPY_A [2] {ST}\n"
    "  COPY_A [3] {SD}\n"
    "^=\"1\",\"2\",\"3\" | ?\n"
    "  COPY [1] {HN}\n"
    "  COPY [2] {SN}\n"
    "  EXIT\n"
    "^[{} > 99999]\n"
    "  COPY [1](1:5) {HN}\n"
    "  EXIT\n"
    "** | ^ | $\n"
    "  COPY_S [1] {SN}\n"
    "  COPY [2] {HN}\n"
    "  EXIT\n"
    "**\n"
    "  COPY_S [1] {SN}\n"
    "  EXIT\n"
    "\\SUB Tidy\n"
    "*D | $\n"
    "  COPY_A [1] {SD}\n"
    "  RETURN\n"
    "\\END_SUB\n";

inline constexpr char kNameDictionary[] = "\\FORMAT\\ SORT=N\nFN C 12 S\nLN C 16 S\nTL C 4 S\n";
inline constexpr char kNameClasses[] = "MR MR T\nMRS MRS T\nDR DR T\nDOCTOR DR T 800\n";
inline constexpr char kNamePatterns[] =
    "T | + | +\n"
    "  COPY_A [1] {TL}\n"
    "  COPY [2] {FN}\n"
    "  COPY [3] {LN}\n"
    "  EXIT\n"
    "+ | +\n"
    "  COPY [1] {FN}\n"
    "  COPY [2] {LN}\n"
    "  EXIT\n"
    "**\n"
    "  COPY_S [1] {LN}\n";

// A program of patterns that make the engine search: many floated operands, universal
// classes between classes, ranges, conditions, runs of unknown words.
inline constexpr char kSearchSpec[] =
    "STANDARDIZE SEARCH\n"
    "INFILE in.txt\n"
    "OUTFILE out.txt\n"
    "AUXOUTFILE aux.txt\n"
    "MOVE ORIGINAL_RECORD\n"
    "RECORD 1024\n"
    "CLEANUPINPUT\n";

inline constexpr char kSearchPatterns[] =
    "*? | *^ | *? | *^ | $\n"
    "  COPY_S [1] {SN}\n"
    "  COPY [2] {HN}\n"
    "** | ? | ** | ^ | ** | T | ** | D\n"
    "  COPY_S [2] {SN}\n"
    "  COPY [4] {HN}\n"
    "  EXIT\n"
    "*T | *T | *D | *D\n"
    "  COPY_A [1] {ST}\n"
    "#? | ^\n"
    "  COPY_S [1] {SN}\n"
    "%3 ^ | *T\n"
    "  COPY [1] {HN}\n"
    "**(1:n) | ** | ^\n"
    "  COPY [3] {HN}\n"
    "?[{} LEN > 20 | {} PICT = \"cnc\"] | **\n"
    "  COPY [1] {SN}\n"
    "*D | + | + | + | *T | $\n"
    "  COPY_A [1] {SD}\n"
    "&[{} = \"X\"] | & | & | & | & | & | & | &\n"
    "  COPY [8] {UV}\n"
    "*@ | *< | *> | *~\n"
    "  COPY [1] {UT}\n"
    "** | ** | ** | D\n"
    "  COPY [1] {SN}\n"
    "** | T\n"
    "  COPY_A [2] {ST}\n";

// Seven floated operands before an eighth whose class the record lacks (classes A to F pass
// the class pre-filter), of numbers, single unknown words and any tokens, some with
// conditions, and universal classes between tokens of any class: tried placement by
// placement, each pattern takes every way of choosing seven of thirty tokens.
inline constexpr char kFloatsSpec[] = "STANDARDIZE FLOATS\nINFILE in.txt\nRECORD 1024\n";
inline constexpr char kManyFloatsPatterns[] =
    "*^ | *^ | *^ | *^ | *^ | *^ | *^ | *D\n"
    "  COPY [1] {HN}\n"
    "*+ | *+ | *+ | *+ | *+ | *+ | *+ | *T\n"
    "  COPY [1] {SN}\n"
    "*+ | *+ | *+ | *+ | *+ | *+ | *+ | *D\n"
    "  COPY [1] {SN}\n"
    "*& | *& | *& | *& | *& | *& | *& | *D\n"
    "  COPY [1] {SN}\n"
    "#^ | *^[{} LEN > 0] | *^[{} < 5] | *^ | *^[{} PICT = \"n\"] | *^ | *^ | *D\n"
    "  COPY [1] {HN}\n"
    "** | & | ** | & | ** | & | ** | D\n"
    "  COPY [1] {SN}\n";

// The files of every program, by name. SEARCH.PAT is the search program; FLOATS.PAT (with
// floats.stn) the many-floats one.
inline std::vector<std::pair<std::string, std::string>> standardizer_files() {
  return {{"addr.stn", kAddressSpec},         {"two.stn", kTwoProcessSpec},
          {"ADDR.DCT", kAddressDictionary},   {"ADDR.CLS", kAddressClasses},
          {"ADDR.PAT", kAddressPatterns},     {"ordinals.tbl", kOrdinals},
          {"NAME.DCT", kNameDictionary},      {"NAME.CLS", kNameClasses},
          {"NAME.PAT", kNamePatterns},        {"search.stn", kSearchSpec},
          {"SEARCH.DCT", kAddressDictionary}, {"SEARCH.CLS", kAddressClasses},
          {"SEARCH.PAT", kSearchPatterns},    {"floats.stn", kFloatsSpec},
          {"FLOATS.DCT", kAddressDictionary}, {"FLOATS.CLS", kAddressClasses},
          {"FLOATS.PAT", kManyFloatsPatterns}};
}

}  // namespace tovr::test

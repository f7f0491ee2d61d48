// Loading rules files: the statements, every check with its listed message, the listing's
// form and line numbers, and the statuses of TOVR_mtLoad and TOVR_mtFreeRules.
#include <gtest/gtest.h>

#include <string>

#include "matcher/matcher_fixture.h"

namespace tovr::test {
namespace {

// Nine lines that define the variables the statements below refer to.
constexpr char kPreamble[] =
    "VAR NAME 1 10 S\n"
    "VAR NUM 11 5 Z\n"
    "VAR DOB 16 8 S\n"
    "VAR LOW 24 5 X\n"
    "VAR HIGH 29 5 X\n"
    "ARRAY_SEP KIDS 3 S\n"
    "ARRAY_ITEM 1 34 3\n"
    "ARRAY_ITEM 2 37 3\n"
    "ARRAY_ITEM 3 40 3\n";
constexpr int kPreambleLines = 9;

class RulesFileTest : public MatcherFixture {
 protected:
  ConsoleCapture console_;
};

TEST_F(RulesFileTest, CommentsAndBlankLinesLoadEmptyRules) {
  ASSERT_EQ(load("; nothing but comments\n\n   \t\n  ; indented comment\n"), 0);
  EXPECT_EQ(rules().var_count, 0);
  EXPECT_EQ(rules().match_count, 0);
  EXPECT_FLOAT_EQ(rules().cutoff, -1.0f);
  EXPECT_STREQ(rules().mk_name, "KEY");
  EXPECT_EQ(rules().mk_length, kKeyLength);
  EXPECT_EQ(console_.text(), "");
}

TEST_F(RulesFileTest, StatementsBuildVariablesAndDefinitions) {
  ASSERT_EQ(load(std::string(kPreamble) + "ARRAY_ADJ PH 50 4 3 s NUM\n"
                                          "match CHAR NM name 0.9 0.1 ; keyword in any case\n"
                                          "MATCH DATE8 DT DOB 0.99 0.5 5 10\n"
                                          "RMATCH PRORAT ST NUM 0.9 0.1 9 1 2\n"
                                          "MATCH ARRAY CHARX KD 3 KIDS 0.9 0.1\n"
                                          "MATCH INTERVAL_PAR HN LOW HIGH 0.9 0.1 ZERO_NULL\n"
                                          "MATCH DOUBLE HN HIGH LOW NAME NUM 0.9 0.1 ZERO_VAL\n"
                                          "VARTYPE NAME nofreq\n"
                                          "CUTOFF 5.5\n"
                                          "CUTOFF 7\n"),
            0)
      << console_.text();
  const Rules& r = rules();
  EXPECT_EQ(r.var_count, 7);
  EXPECT_EQ(r.array_count, 2);
  EXPECT_EQ(r.match_count, 6);
  EXPECT_EQ(r.defs[4]->type, kDoubleInterval);
  EXPECT_FLOAT_EQ(r.cutoff, 7.0f) << "a later CUTOFF replaces an earlier one";

  const MatchDef& chr = *r.defs[0];
  EXPECT_EQ(r.vars[0].match, &chr);
  EXPECT_EQ(chr.freq_flag, 'N') << "set by VARTYPE";
  const MatchDef& date = *r.defs[2];
  EXPECT_EQ(date.middle, -233);
  EXPECT_FLOAT_EQ(date.param2, 10.0f) << "one operand beyond the required count is PARAM2";
  const MatchDef& prorat = *r.defs[1];
  EXPECT_EQ(prorat.reverse, 1);
  EXPECT_EQ(prorat.param_count, 1) << "two extra operands are both ignored";
  const MatchDef& interval = *r.defs[3];
  EXPECT_EQ(interval.mode, kZeroNul);
  EXPECT_EQ(interval.cand[1].start, 28) << "columns are 1-based in the file";

  // The match key field of 9 is cut into the array's items of 3.
  const MatchDef& array = *r.defs[5];
  EXPECT_EQ(array.element_type, kChar);
  ASSERT_EQ(array.items, r.vars[5].items);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(array.items->item[i].mk_offset, kKeyLength - 9 + 3 * i);
    EXPECT_EQ(array.items->item[i].mk_length, 3);
    EXPECT_EQ(array.items->item[i].cand_start, 33 + 3 * i);
  }
  const VarDef& phones = r.vars[6];
  EXPECT_EQ(phones.count_var, 1);
  EXPECT_EQ(phones.items->item[2].cand_start, 49 + 8);
  EXPECT_EQ(phones.items->item[2].cand_length, 4);
}

TEST_F(RulesFileTest, EqualProbabilitiesGiveZeroWeights) {
  ASSERT_EQ(load(std::string(kPreamble) + "MATCH CHAR NM NAME 0.5 0.5\n"), 0);
  EXPECT_EQ(rules().defs[0]->agree, 0);
  EXPECT_EQ(rules().defs[0]->disagree, 0);
  EXPECT_EQ(rules().defs[0]->middle, 0);
}

struct BadLine {
  const char* line;
  const char* message;
};

// Each line after the preamble fails with its message.
constexpr BadLine kBadLines[] = {
    {"match char NM NAME 0.9 0.1", "Invalid MATCH variable type [char]"},
    {"MATCH", "Invalid MATCH variable type []"},
    {"MATCH ARRAY LR_CHAR KD 3 KIDS 0.9 0.1", "Invalid ARRAY MATCH variable type [LR_CHAR]"},
    {"RMATCH D_INT HN LOW HIGH LOW HIGH 0.9 0.1 ZERO_VAL",
     "Invalid RMATCH (REVERSE MATCH) variable type [D_INT]"},
    {"RMATCH ARRAY CHAR KD 3 KIDS 0.9 0.1", "Invalid RMATCH (REVERSE MATCH) variable type [ARRAY]"},
    {"MATCH CHAR NM NAME 0.9", "6 Operands are required for MATCH statement"},
    {"MATCH UNCERT NM NAME 0.9 0.1", "7 Operands are required for MATCH statement"},
    {"MATCH ARRAY UNCERT KD 3 KIDS 0.9 0.1", "9 Operands are required for MATCH statement"},
    {"MATCH CHAR NMX NAME 0.9 0.1", "Field abbreviation longer than maximum"},
    {"MATCH CHAR ZZ NAME 0.9 0.1", "Match key field undefined"},
    {"MATCH DISTANCE X1 ZZ LOW HIGH 0.9 0.1 5", "Match key field (2) undefined"},
    {"MATCH ARRAY CHAR KD 3X KIDS 0.9 0.1", "nAItems must be numeric [3X]"},
    {"MATCH ARRAY CHAR KD 0 KIDS 0.9 0.1", "nAItems must be from 1 to 25 [0]"},
    {"MATCH CHAR NM NOPE 0.9 0.1", "Candidate field name (1) undefined"},
    {"MATCH INTERVAL_NO HN LOW NOPE 0.9 0.1 ZERO_VAL", "Candidate field name (2) undefined"},
    {"MATCH D_INT HN LOW HIGH NOPE HIGH 0.9 0.1 ZERO_VAL", "Candidate field name (3) undefined"},
    {"MATCH D_INT HN LOW HIGH LOW NOPE 0.9 0.1 ZERO_VAL", "Candidate field name (4) undefined"},
    {"MATCH CHAR NM NAME -0.9 0.1", "Invalid character in MPROB [-0.9]"},
    {"MATCH CHAR NM NAME 0.9 O.1", "Invalid character in UPROB [O.1]"},
    {"MATCH CHAR NM NAME 0.1 0.9", "UPROB greater than MPROB"},
    {"MATCH CHAR NM NAME 1 0.5", "MATCH probabilities must be between 0 and 1"},
    {"MATCH DELTA ST NUM 0.9 0.1 101",
     "PARAM must be beween 0 and 100 percent for DELTA_PERCENT fields"},
    {"MATCH DELTA ST NUM 0.9 0.1 10 101",
     "PARAM must be beween 0 and 100 percent for DELTA_PERCENT fields"},
    {"MATCH PRORAT ST NUM 0.9 0.1 -1", "PARAM must be greater than 0"},
    {"MATCH UNCERT NM NAME 0.9 0.1 900.5", "PARAM must be between 0 and 900 for UNCERT fields"},
    {"MATCH ARRAY UNCERT KD 3 KIDS 0.9 0.1 -2",
     "PARAM must be between 0 and 900 for UNCERT fields"},
    {"MATCH LR_CHAR NM NAME NUM 0.9 0.1 either", "MODE must be BASED_PREV or EITHER for LR fields"},
    {"MATCH INTERVAL_PAR HN LOW HIGH 0.9 0.1 ZERO",
     "MODE must be ZERO_VAL or ZERO_NUL for INTERVAL fields"},
    {"MATCH INT_TO_INT LO HI LOW HIGH 0.9 0.1 EITHER",
     "MODE must be ZERO_VAL or ZERO_NUL for INTERVAL fields"},
    {"MATCH ARRAY CHAR KD 3 NAME 0.9 0.1",
     "[B] Variable [NAME] for ARRAY MATCH is NOT defined as an ARRAY in dict"},
    {"VAR X 1 2", "Invalid number of operands for VAR"},
    {"VAR 1X 1 2 S", "Field name for VAR must begin with an alphabetic char"},
    {"VAR X A 2 S", "Begining column for VAR must be numeric"},
    {"VAR X 1 -2 S", "Field length for VAR must be numeric"},
    {"VAR X 1 2 Q", "Missing value must be S, Z, N, X or 9"},
    {"VAR name 1 2 S", "Field has been previously defined"},
    {"ARRAY_SEP K2 3", "Invalid number of operands for ARRAY_SEP"},
    {"ARRAY_SEP _K 3 S", "Variable name for ARRAY_SEP must begin with an alphabetic char"},
    {"ARRAY_SEP K2 x S", "Number items for ARRAY_SEP must be numeric"},
    {"ARRAY_SEP K2 3 SS", "Single character missing value type required"},
    {"ARRAY_SEP K2 3 Q", "Missing value must be S, Z, N, X or 9"},
    {"ARRAY_SEP kids 3 S", "Field has been previously defined"},
    {"ARRAY_SEP K2 3 S 9C",
     "ARRAY COUNT variable name for ARRAY_SEP must begin with an alphabetic char"},
    {"ARRAY_SEP K2 3 S COUNT", "ARRAY COUNT variable not defined for ARRAY"},
    {"ARRAY_SEP K2 0 S", "Number items zero not valid"},
    {"ARRAY_SEP K2 26 S", "Number of items greater than maximum of 25"},
    {"ARRAY_ITEM 1 2", "Invalid number of operands for ARRAY_ITEM"},
    {"ARRAY_ITEM A 1 2", "Item number for ARRAY_ITEM must be numeric"},
    {"ARRAY_ITEM 1 A 2", "Begining column for ARRAY_ITEM must be numeric"},
    {"ARRAY_ITEM 1 1 A", "Field length for ARRAY_ITEM must be numeric"},
    {"ARRAY_ITEM 0 10 5", "Item number zero not valid"},
    {"ARRAY_ITEM 4 10 5", "Item number greater than declared number on ARRAY_SEP"},
    {"ARRAY_ITEM 2 0 5", "Column number zero not valid"},
    {"ARRAY_ITEM 1 10 5", "ARRAY_ITEM line not preceeded by ARRAY_SEP line"},
    {"ARRAY_ADJ P 1 2 3", "Invalid number of operands for ARRAY_ADJ"},
    {"ARRAY_ADJ 9P 1 2 3 S", "Field name for ARRAY_ADJ must begin with an alphabetic char"},
    {"ARRAY_ADJ P X 2 3 S", "Begining column for ARRAY_ADJ must be numeric"},
    {"ARRAY_ADJ P 1 X 3 S", "Field length for ARRAY_ADJ must be numeric"},
    {"ARRAY_ADJ P 1 2 X S", "Number of items for ARRAY_ADJ must be numeric"},
    {"ARRAY_ADJ P 1 2 3 Q", "Missing value must be S, Z, N, X or 9"},
    {"ARRAY_ADJ Dob 1 2 3 S", "Field has been previously defined"},
    {"ARRAY_ADJ P 1 2 3 S ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEF",
     "ARRAY COUNT variable name for ARRAY_ADJ longer than maximum length"},
    {"ARRAY_ADJ P 1 2 3 S 9",
     "ARRAY COUNT variable name for ARRAY_ADJ must begin with an alphabetic char"},
    {"ARRAY_ADJ P 1 2 3 S NOPE", "ARRAY COUNT variable not defined for ARRAY"},
    {"ARRAY_ADJ P 1 2 26 S", "Number of items greater than maximum of 25"},
    {"VARTYPE NAME", "Invalid number of operands for VARTYPE"},
    {"VARTYPE 1NAME NOFREQ", "Field name for VARTYPE must begin with an alphabetic char"},
    {"VARTYPE NAME FREQ", "VARTYPE must be NOFREQ"},
    {"VARTYPE NAME NOFREQ", "Field must be previously defined for VARTYPE"},
    {"CUTOFF", "Incorrect number of operands for CUTOFF statement"},
    {"CUTOFF -5", "Non-negative weight expected"},
    {"FOO BAR", "Command not recognized"},
};

TEST_F(RulesFileTest, EveryCheckListsItsMessage) {
  for (const BadLine& bad : kBadLines) {
    console_.clear();
    const std::string line = std::string(bad.line) + "\n";
    EXPECT_EQ(load(std::string(kPreamble) + line), 3) << bad.line;
    EXPECT_EQ(rules_, nullptr);
    EXPECT_EQ(console_.text(), listed(kPreambleLines + 1, bad.message, line)) << bad.line;
  }
}

TEST_F(RulesFileTest, ArrayVariableWithAnotherTypeListsTwoMessages) {
  const std::string line = "MATCH CHAR KD KIDS 0.9 0.1\n";
  EXPECT_EQ(load(std::string(kPreamble) + line), 3);
  EXPECT_EQ(console_.text(),
            listed(10, "[B] Variable [KIDS] is an ARRAY variable in dictionary", line) +
                listed(10, "Cannot be used with match type other than ARRAY", line));
}

TEST_F(RulesFileTest, OnlyOneMatchPerFirstCandidateVariable) {
  const std::string line = "MATCH UNCERT NM NAME 0.9 0.1 700\n";
  EXPECT_EQ(load(std::string(kPreamble) + "MATCH CHAR NM NAME 0.9 0.1\n" + line), 3);
  EXPECT_EQ(console_.text(), listed(11, "Only one MATCH allowed for each field-one", line));
}

TEST_F(RulesFileTest, ArrayItemMustFollowItsArraySep) {
  EXPECT_EQ(load("ARRAY_SEP KIDS 3 S\nARRAY_ITEM 2 10 5\nARRAY_ITEM 1 15 5\n"), 3);
  EXPECT_EQ(console_.text(),
            listed(3, "ARRAY_ITEM line not preceeded by ARRAY_SEP line", "ARRAY_ITEM 1 15 5\n"));
  console_.clear();
  EXPECT_EQ(load("array_sep KIDS 3 S\n; items follow\n\nARRAY_ITEM 1 15 5\n"), 0)
      << console_.text();
  EXPECT_EQ(rules().vars[0].start, 14);
  EXPECT_EQ(rules().vars[0].length, 5);
  console_.clear();
  EXPECT_EQ(load("  ARRAY_SEP KIDS 3 S\nARRAY_ITEM 1 15 5\n"), 3) << "the line must begin with it";
  EXPECT_EQ(console_.text(),
            listed(2, "ARRAY_ITEM line not preceeded by ARRAY_SEP line", "ARRAY_ITEM 1 15 5\n"));
  console_.clear();
  EXPECT_EQ(load("VAR NAME 1 5 S\nARRAY_ITEM 1 15 5\n"), 3) << "a VAR declares no items";
  EXPECT_EQ(console_.text(), listed(2, "Item number greater than declared number on ARRAY_SEP",
                                    "ARRAY_ITEM 1 15 5\n"));
  console_.clear();
  EXPECT_EQ(load("ARRAY_ITEM 1 15 5\n"), 3) << "no variable at all";
}

TEST_F(RulesFileTest, EveryErrorIsListedWithItsLineNumber) {
  const std::string text =
      "; line 1 is a comment\n"
      "VAR NAME 1 10 S\n"
      "\n"
      "VAR NAME 1 10 S\n"
      "MATCH CHAR NM NAME 0.9 0.1\n"
      "BOGUS\r\n"
      "   ; comment\n"
      "CUTOFF x";
  EXPECT_EQ(load(text), 3);
  EXPECT_EQ(rules_, nullptr);
  EXPECT_EQ(console_.text(), listed(4, "Field has been previously defined", "VAR NAME 1 10 S\n") +
                                 listed(6, "Command not recognized", "BOGUS\r\n") +
                                 listed(8, "Non-negative weight expected", "CUTOFF x"));
}

TEST_F(RulesFileTest, OperandLimitsAreListedAndTheStatementStillChecked) {
  const std::string many = "VAR A B C D E F G H I J K L M N O P Q R S T U\n";
  EXPECT_EQ(load(many), 3);
  EXPECT_EQ(console_.text(), listed(1, "Maximum number of operands exceeded", many) +
                                 listed(1, "Invalid number of operands for VAR", many));
  console_.clear();
  const std::string twenty = "FOO 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19\n";
  EXPECT_EQ(load(twenty), 3);
  EXPECT_EQ(console_.text(), listed(1, "Command not recognized", twenty));

  console_.clear();
  const std::string large = "VAR ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 1 5 S\n";
  EXPECT_EQ(load(large + "MATCH CHAR NM ABCDEFGHIJKLMNOPQRSTUVWXYZ012345 0.9 0.1\n"), 3);
  EXPECT_EQ(console_.text(), listed(1, "Operand too large", large))
      << "the cut name is defined and found by the MATCH";
}

TEST_F(RulesFileTest, ListingGoesToTheMessageFileToo) {
  const std::string line = "FOO\n";
  EXPECT_EQ(load(line, "listing.txt"), 3);
  EXPECT_EQ(console_.file_text(), listed(1, "Command not recognized", line));
  EXPECT_EQ(console_.file_text(), console_.text());
  EXPECT_EQ(fs_.open_streams(), 0) << "a failed load closes the message file";
}

TEST_F(RulesFileTest, MessageFileWithoutAHostCallbackReceivesTheBytes) {
  TOVR_cbSet(TOVRCB_Fprintf, nullptr);
  EXPECT_EQ(load("FOO\nBAR\n", "listing.txt"), 3);
  EXPECT_EQ(fs_.get("listing.txt"), listed(1, "Command not recognized", "FOO\n") +
                                        listed(2, "Command not recognized", "BAR\n"));
  ASSERT_EQ(load("VAR NAME 1 10 S\n", "ok.txt"), 0);
  EXPECT_EQ(fs_.open_streams(), 1) << "the message file stays open with the rules";
  EXPECT_EQ(TOVR_mtFreeRules(&rules_), 0);
  EXPECT_EQ(rules_, nullptr);
  EXPECT_EQ(fs_.open_streams(), 0);
  EXPECT_EQ(fs_.get("ok.txt"), "");
}

TEST_F(RulesFileTest, LimitsOfTheTablesAreListedErrors) {
  std::string vars;
  for (int i = 0; i < 25; ++i) vars += "VAR V" + std::to_string(i) + " 1 1 S\n";
  EXPECT_EQ(load(vars), 3);
  EXPECT_EQ(console_.text(),
            listed(25, "Maximum number of 24 variables exceeded", "VAR V24 1 1 S\n"));
  console_.clear();
  vars.resize(vars.size() - std::string("VAR V24 1 1 S\n").size());
  ASSERT_EQ(load(vars), 0) << "24 variables fit";
  EXPECT_EQ(rules().var_count, 24);
  ASSERT_EQ(load("ARRAY_ADJ P 1 2 25 S\nARRAY_SEP Q 25 S\n"), 0) << "25 items fit";
}

TEST_F(RulesFileTest, LongLinesAreReadInPiecesAndCountedAsLines) {
  // A read takes at most 254 characters: the rest of a longer line is a line of its own.
  const std::string name(300, 'X');
  const std::string long_line = "VAR " + name + " 1 5 S\n";
  const std::string first = long_line.substr(0, 254);
  const std::string rest = long_line.substr(254);
  const std::string nul_line("VAR A\0 1 5 S\n", 13);
  EXPECT_EQ(load(long_line + nul_line + "VAR B 1 5 S\n" + "VAR B 1 5 S\n", "m.txt"), 3);
  EXPECT_EQ(console_.file_text(), listed(1, "Operand too large", first) +
                                      listed(1, "Invalid number of operands for VAR", first) +
                                      listed(2, "Operand too large", rest) +
                                      listed(2, "Command not recognized", rest) +
                                      listed(3, "Invalid number of operands for VAR", "VAR A") +
                                      listed(5, "Field has been previously defined",
                                             "VAR B 1 5 S\n"));

  // A line of 254 characters leaves its line end to the next read, which counts as a line.
  const std::string full = "VAR B 1 5 S ;" + std::string(254 - 13, 'c');
  ASSERT_EQ(full.size(), 254u);
  console_.clear();
  EXPECT_EQ(load(full + "\r\n" + full + "\n" + full, "m.txt"), 3);
  EXPECT_EQ(console_.file_text(), listed(3, "Field has been previously defined", full) +
                                      listed(5, "Field has been previously defined", full));

  // Random bytes never crash the parser and always fail the load.
  unsigned seed = 12345;
  for (int round = 0; round < 50; ++round) {
    std::string garbage;
    for (int i = 0; i < 2000; ++i) {
      seed = seed * 1103515245u + 12345u;
      garbage += static_cast<char>((seed >> 16) & 0xFF);
    }
    EXPECT_EQ(load(garbage), 3);
  }
}

TEST_F(RulesFileTest, LoadStatuses) {
  EXPECT_EQ(TOVR_mtLoad(nullptr, "rules.txt", "KEY", nullptr, &rules_), 11);
  const char bad_tag[8] = "RULE";
  EXPECT_EQ(TOVR_mtLoad(reinterpret_cast<TOVR_Mt*>(const_cast<char*>(bad_tag)), "rules.txt", "KEY",
                        nullptr, &rules_),
            11);
  EXPECT_EQ(TOVR_mtLoad(mt_, "absent.txt", "KEY", nullptr, &rules_), 2);
  EXPECT_EQ(rules_, nullptr);
  fs_.put("rules.txt", "VAR A 1 1 S\n");
  EXPECT_EQ(TOVR_mtLoad(mt_, "rules.txt", "NOKEY", nullptr, &rules_), 6);
  EXPECT_EQ(TOVR_mtLoad(mt_, "rules.txt", "KEY", "", &rules_), 0) << "an empty name opens nothing";
  EXPECT_EQ(fs_.open_streams(), 0);
  EXPECT_EQ(TOVR_mtFreeRules(&rules_), 0);
  {
    FileFaults faults;
    faults.fail_at(FileFaults::Op::kOpen, 1);
    EXPECT_EQ(TOVR_mtLoad(mt_, "rules.txt", "KEY", "listing.txt", &rules_), 5);
    EXPECT_EQ(rules_, nullptr);
  }
  EXPECT_EQ(fs_.open_streams(), 0);
}

TEST_F(RulesFileTest, FreeRulesChecksItsHandle) {
  EXPECT_EQ(TOVR_mtFreeRules(nullptr), 10);
  TOVR_Rules* none = nullptr;
  EXPECT_EQ(TOVR_mtFreeRules(&none), 10);
  char wrong[8] = "CASE";
  TOVR_Rules* fake = reinterpret_cast<TOVR_Rules*>(wrong);
  EXPECT_EQ(TOVR_mtFreeRules(&fake), 10);
  EXPECT_EQ(fake, reinterpret_cast<TOVR_Rules*>(wrong));
}

TEST_F(RulesFileTest, AllocationFailuresDuringALoad) {
  const std::string text = std::string(kPreamble) +
                           "MATCH CHAR NM NAME 0.9 0.1\n"
                           "MATCH ARRAY CHAR KD 3 KIDS 0.9 0.1\n"
                           "ARRAY_ADJ PH 50 4 3 S NUM\n";
  fs_.put("rules.txt", text);
  const long runs = sweep_allocation_failures([&](AllocationFaults& faults) {
    TOVR_Rules* rules = nullptr;
    const int status = TOVR_mtLoad(mt_, "rules.txt", "KEY", "listing.txt", &rules);
    if (faults.injected()) {
      EXPECT_EQ(status, 1);
      EXPECT_EQ(rules, nullptr);
    } else {
      EXPECT_EQ(status, 0);
      EXPECT_EQ(TOVR_mtFreeRules(&rules), 0);
    }
    EXPECT_EQ(fs_.open_streams(), 0);
  });
  EXPECT_GE(runs, 8) << "each allocation of the scenario failed once";
}

TEST(MatcherCodes, TextsOfTheStatusCodes) {
  char text[64];
  TOVR_mtQueryCodeEnum(0, text);
  EXPECT_STREQ(text, "");
  TOVR_mtQueryCodeEnum(14, text);
  EXPECT_STREQ(text, "Invalid handle or maximum number of cases exceeded");
  TOVR_mtQueryCodeEnum(27, text);
  EXPECT_STREQ(text, "Record count file open failure");
  for (int code : {28, -1}) {
    TOVR_mtQueryCodeEnum(code, text);
    EXPECT_STREQ(text, "Return code undefined");
  }
}

}  // namespace
}  // namespace tovr::test

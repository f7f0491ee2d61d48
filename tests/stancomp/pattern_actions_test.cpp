// Action lines, user variables and files, convert tables, subroutines and the post section.
#include <string>

#include "pattern_fixture.h"

namespace tovr::test {
namespace {

using PatternActions = PatternFixture;

TEST_F(PatternActions, SourcesAndTargetsOfEveryKind) {
  ASSERT_EQ(compile("A | B\n"
                    "COPY [2](1:3) {sn}\n"
                    "MOVE {HN} TEMP\n"
                    "CONCAT \"st\" TEMP\n"
                    "PREFIX TEMP(2) {ST}\n"
                    "COPY {NAME} Other_1\n"
                    "COPY_A [1] {SX}\n"
                    "COPY_C [1] KEEP\n",
                    "A\nCOPY [1] {FN}\n"),
            0);
  ASSERT_EQ(out_.pattern_error, 0) << console_.text();
  EXPECT_EQ(action(0, 0).source_kind, kSourceOperand);
  EXPECT_EQ(action(0, 0).source_operand, 1);
  EXPECT_EQ(action(0, 0).source_range[1], 3);
  EXPECT_EQ(action(0, 0).target_kind, kTargetField);
  EXPECT_STREQ(action(0, 0).toActionEntity.field, "SN");
  EXPECT_EQ(action(0, 1).source_kind, kSourceField);
  EXPECT_STREQ(action(0, 1).source_field, "HN");
  EXPECT_EQ(action(0, 1).target_kind, kTargetVariable);
  EXPECT_STREQ(action(0, 1).toActionEntity.userCharValue, "TEMP");
  EXPECT_EQ(action(0, 2).source_kind, kSourceLiteral);
  EXPECT_STREQ(action(0, 2).literal, "ST");
  EXPECT_EQ(action(0, 3).source_kind, kSourceVariable);
  EXPECT_EQ(action(0, 3).source_range[0], 2);
  EXPECT_EQ(action(0, 4).source_kind, kSourceFormatted);
  EXPECT_EQ(action(0, 4).source_process, 1);
  EXPECT_EQ(action(0, 6).command, kActCopyC);
  EXPECT_EQ(action(0, 6).previous, &action(0, 5));
  EXPECT_EQ(out_.user_vars.count, 3);
  EXPECT_STREQ(out_.user_vars.names[1], "Other_1");
}

struct BadAction {
  std::string line;
  const char* message;
};

TEST_F(PatternActions, ArgumentErrorsAreReportedAndTheCompileGoesOn) {
  fs_.put("conv.tbl", "ST STREET\n");
  const BadAction cases[] = {
      {"COPYX [1] {SN}", "Error: invalid command in line:\n"},
      {"SOUNDEX {SN} {SX}", "Error: invalid command in line:\n"},
      {"COPY [x] {SN}", "Error: error in operand spec:\n"},
      {"COPY [3] {SN}", "Error: error in operand spec:\n"},
      {"COPY {S} {SN}", "Error: too few chars in match key field name:\n"},
      {"COPY {QQ} {SN}", "Error: match key field name not found:\n"},
      {"COPY {NOPROC} {SN}", "Error: invalid formatted field:\n"},
      {"COPY [1] {QQ}", "Error: match key field name not found:\n"},
      {"COPY [1] [2]", "Error: invalid arg:\n"},
      {"COPY [1] $X", "Error: invalid char in  action specifier (in getActArgs)\n"},
      {"COPY [1] len", "Error: len  and  LEN  are reserved keywords:\n"},
      {"COPY [1] PICT", "Error: pict  and  PICT  are reserved keywords:\n"},
      {"COPY [1] A2345678901234567890", "Error: user variable name too long:\n"},
      {"COPY [1]", "Error: invalid command arg:\n"},
      {"COPY_A \"X\" {SN}", "Error: invalid command arg:\n"},
      {"CONVERT NEWVAR @conv.tbl TEMP", "Error: user variable name not found for CONVERT:\n"},
      {"CONVERT [1] @conv.tbl", "Error: TEMP or TKN arg required for CONVERT(_P/_S):\n"},
      {"CONVERT [1] @conv.tbl TKN xy", "Error: TKN has invalid following class:\n"},
      {"CONVERT [1] @none.tbl TKN", "Error: error opening convert file:\n"},
      {"CONVERT [1] \"NOPE\" TKN", "convert table not found:\n"},
      {"CONVERT [1] \"BADW\" TKN", "invalid weight in convert tbl:\n"},
      {"CONVERT [1] conv TKN", "Error: invalid char in  action specifier (in getActArgs)\n"},
      {"RETYPE 1 A", "Error: error in operand spec in getRetypeArgs:\n"},
      {"RETYPE [1] AB", "Error: invalid char in  RETYPE ...  action specifier\n"},
      {"RETYPE [1] A 12", "Error: retype value must be literal or user variable:\n"},
      {"RETYPE [1] A NOVAR", "Error: user variable name not found in RETYPE:\n"},
      {"RETYPE [1] A \"X\" 7", "Error: retype abbrev value must be literal or user variable:\n"},
      {"RETYPE [1] A \"X\" \"ABCDEFGHIJKLMNOPQRSTUVWXYZ\"",
       "Error: RETYPE abbrev value: too many chars:\n"},
      {"RETYPE [1] A \"X\" KNOWN(1:26)",
       "Error: RETYPE abbrev value: too many chars in range spec:\n"},
      {"COPY \"" + std::string(128, 'x') + "\" TEMP", "Error: string too long:\n"},
      {"RETURN", "Error: RETURN statement within main \n"},
  };
  std::string text = "A | n\nCOPY [1] KNOWN\n";
  for (const BadAction& c : cases) text += c.line + "\n";
  text += "COPY [2] TEMP\n";
  ASSERT_EQ(compile(text), 0);
  EXPECT_EQ(out_.pattern_error, 1);
  int n = 3;
  for (const BadAction& c : cases) {
    EXPECT_TRUE(printed(line_error(c.message, c.line, n))) << c.line;
    ++n;
  }
  EXPECT_TRUE(printed(line_error("Error: action references end_of_line_class\n",
                                 "COPY [2] TEMP", n)));
}

TEST_F(PatternActions, UserVariableTableKeepsOneEntryFree) {
  std::string text = "A\n";
  for (int v = 1; v <= 15; ++v) text += "COPY [1] V" + std::to_string(v) + "\n";
  ASSERT_EQ(compile(text), 0);
  EXPECT_EQ(out_.user_vars.count, 14);
  EXPECT_TRUE(printed(line_error("Error: number of user variables > MAX_USER_VARS\n",
                                 "COPY [1] V15", 16)));
}

TEST_F(PatternActions, ConvertTablesAndFiles) {
  fs_.put("conv.tbl", "ST STREET\n");
  ASSERT_EQ(compile("S = @conv.tbl\n"
                    "CONVERT [1] @conv.tbl TKN T\n"
                    "CONVERT_S [1] \"STREETS\" TEMP\n"
                    "COPY [1] V\n"
                    "CONVERT V \"STREETS\" TEMP\n"),
            0);
  ASSERT_EQ(out_.pattern_error, 0) << console_.text();
  const PatternAction& file = action(0, 0);
  EXPECT_EQ(file.target_kind, kTargetConvertFile);
  EXPECT_STREQ(file.toActionEntity.fileName, "conv.tbl");
  EXPECT_EQ(file.toActionEntity.file, pattern(0).pValue[0]->file);
  EXPECT_EQ(file.convert_mode, kConvertTokens);
  EXPECT_EQ(file.convert_class, 'T');
  EXPECT_EQ(out_.user_files.files[0].use_count, 2);
  EXPECT_EQ(action(0, 1).target_kind, kTargetConvertTable);
  EXPECT_STREQ(action(0, 1).toActionEntity.fileName, "STREETS");
  EXPECT_EQ(action(0, 1).convert_mode, kConvertTemp);
  EXPECT_EQ(action(0, 3).source_kind, kSourceVariable);
}

TEST_F(PatternActions, RetypeForms) {
  ASSERT_EQ(compile("A | B\nCOPY [1] V\nRETYPE [1] + \"VAL\" \"AB\"\nRETYPE [2] 0\n"
                    "RETYPE [2] T V V(1:25) ; comment\n"),
            0);
  ASSERT_EQ(out_.pattern_error, 0) << console_.text();
  EXPECT_EQ(action(0, 1).retype_class, '?');
  EXPECT_STREQ(action(0, 1).value, "VAL");
  EXPECT_STREQ(action(0, 1).abbrevValue, "AB");
  EXPECT_EQ(action(0, 2).retype_class, '0');
  EXPECT_EQ(action(0, 2).value, nullptr);
  EXPECT_STREQ(action(0, 3).value_variable, "V");
  EXPECT_EQ(action(0, 3).abbrev_range[1], 25);
}

TEST_F(PatternActions, CountingPassStopsAtStructuralErrors) {
  struct Case {
    const char* text;
    std::string expected;
  };
  const Case cases[] = {
      {"COPY [1] V\nA\n", "pattern lines and actions sets out of synch\npattern file p.pat\n"
                          "line number 1\n"},
      {"A\nB\nEXIT\n", "pattern lines and actions sets out of synch\npattern file p.pat\n"
                       "line number 3\n"},
      {"A\nCALL X\n\\SUB X\nB\nCALL X\n\\END_SUB\n",
       "Error: subroutine calls cannot be made from within subroutines\npattern file p.pat\n"
       "line number 5\n"},
      {"A\nCALL X\nCALL Y\n\\SUB X\nB\n\\END_SUB\n",
       "Error: more than one subroutine call for current pattern\npattern file p.pat\n"},
      {"A\nCALL X\nCOPY [1] V\n\\SUB X\nB\n\\END_SUB\n",
       "Error: subroutine calls may be followed by no commands or by EXIT\npattern file p.pat\n"},
      {"\\SUB X\nA\n\\END_SUB\n",
       "Error: must have main pattern/action section before first \\SUB \npattern file p.pat\n"},
      {"A\n\\SUB X\nB\n\\SUB Y\n",
       "Error: subroutine statements and subroutine end statements out of synch\n"},
      {"A\n\\SUB X\nB\n", "Error: subroutine statements and subroutine end statements out of"},
      {"A\n\\SUB X\nB\n\\END_SUB\nC\n",
       "Error: subroutine statements and subroutine end statements out of"},
      {"A\nCALL X\n", "Error: subroutine calls but no subroutines\npattern file p.pat\n"},
  };
  for (const Case& c : cases) {
    console_.clear();
    EXPECT_EQ(compile(c.text), 1) << c.text;
    EXPECT_TRUE(printed(c.expected)) << c.text << "\n" << console_.text();
    release_pattern_programs(out_, &sc_);
  }
}

TEST_F(PatternActions, SubroutineRules) {
  ASSERT_EQ(compile("A\nCALL Sub1\nEXIT\nB\nCALL Missing\n"
                    "\\SUB Sub1\nC\nRETURN\n\\END_SUB\n"
                    "\\SUB Empty\n\\END_SUB\n"
                    "\\SUB Sub1\nD\n\\END_SUB\n"
                    "\\SUB 9bad\nE\n\\END_SUB\n"),
            0);
  EXPECT_EQ(out_.pattern_error, 1);
  const ProcessProgram& prog = program();
  EXPECT_EQ(prog.call_count, 2);
  EXPECT_EQ(prog.subRoutineCalls[0].followed_by_exit, 1);
  EXPECT_EQ(prog.subRoutineCalls[1].followed_by_exit, 0);
  EXPECT_EQ(prog.subRoutineCalls[1].calling_pattern, 1);
  // The empty section is dropped; main, Sub1, Sub1 and the badly named one stay.
  ASSERT_EQ(prog.section_count, 4);
  EXPECT_EQ(prog.subRoutines[0].last_pattern, 1);
  EXPECT_STREQ(prog.subRoutines[2].name, "Sub1");
  EXPECT_EQ(prog.subRoutines[2].first_pattern, 3);
  EXPECT_TRUE(printed("Error: CALL subroutine name not found\n Missing\n"));
  EXPECT_TRUE(printed("Error: two subroutines within the same process have the same name\n"
                      " Sub1\n"));
  EXPECT_TRUE(printed(line_error("Error: bad subroutine name\n", "\\SUB 9bad", 15)));
}

TEST_F(PatternActions, PostSection) {
  ASSERT_EQ(compile("; phonetic codes\n\\POST_START\nSOUNDEX {SN} {SX}\n; note\n"
                    "RSOUNDEX V {SX}\nCOPY {SN} {SX}\nSOUNDEX {SN} V\n\\POST_END\nA\n"),
            0);
  EXPECT_EQ(out_.pattern_error, 1);
  const PatternAction* post = program().postActions;
  ASSERT_NE(post, nullptr);
  EXPECT_EQ(post->command, kActSoundex);
  EXPECT_STREQ(post->source_field, "SN");
  EXPECT_STREQ(post->toActionEntity.field, "SX");
  ASSERT_NE(post->next, nullptr);
  EXPECT_EQ(post->next->command, kActRsoundex);
  EXPECT_EQ(post->next->source_kind, kSourceVariable);
  EXPECT_TRUE(printed("invalid POST action in line:\n COPY {SN} {SX}\n"));
  EXPECT_TRUE(printed(line_error("Error: invalid command arg:\n", "SOUNDEX {SN} V", 7)));
  EXPECT_EQ(program().pattern_count, 1);
  EXPECT_STREQ(pattern(0).line, "A");
}

TEST_F(PatternActions, PostSectionWithoutEnd) {
  ASSERT_EQ(compile("\\POST_START\nSOUNDEX {SN} {SX}\n"), 0);
  EXPECT_TRUE(printed("\\POST_END  statement missing \n"));
  EXPECT_EQ(out_.pattern_error, 1);
}

}  // namespace
}  // namespace tovr::test

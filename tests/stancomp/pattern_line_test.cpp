// Pattern lines: operands, qualifiers, ranges, value lists and conditions.
#include <string>
#include <utility>
#include <vector>

#include "pattern_fixture.h"

namespace tovr::test {
namespace {

struct BadLine {
  const char* line;
  const char* message;
};

class PatternLines : public PatternFixture {
 protected:
  // Each bad line is reported with its message, the line, its number and the file, sets the
  // error flag, and does not stop the compile.
  void expect_reported(const std::vector<BadLine>& cases) {
    std::string text;
    for (const BadLine& c : cases) text += std::string(c.line) + "\n";
    text += "A | B\n";
    ASSERT_EQ(compile(text), 0);
    EXPECT_EQ(out_.pattern_error, 1);
    int n = 1;
    for (const BadLine& c : cases) {
      EXPECT_TRUE(printed(line_error(c.message, c.line, n))) << "line " << n << ": " << c.line;
      ++n;
    }
    EXPECT_EQ(program().pattern_count, n);
  }
};

TEST_F(PatternLines, QualifierMisuseIsReportedLineByLine) {
  expect_reported({
      {"!*A", "Error: negation qualifier may not precede float_qualifier\n"},
      {"*|A", "Error: float qualifier needs following class:\n"},
      {"A | *", "Error: float qualifier needs following class:\n"},
      {"**A", "Error: two float specifiers must be followed by a pattern field separator\n"
              "          or a range specification or must end the pattern line:\n"},
      {"**(-2:-1) | A", "Error: negative range values on match_all_classes not allowed\n"},
      {"A | *!B", "Error: float specifier followed by negated class may only occur\n"
                  "       for operand 1:\n"},
      {"** | *B", "Error: float qualified class follows universal class"},
      {"A | #B", "Error: float from right qualifier can only occur in first field\n"},
      {"# | A", "Error: float_from_right qualifier needs following class:\n"},
      {"A | %2 B", "Error: fixed position qualifier can only occur in first field\n"},
      {"% A", "Error: bad numeric position for fixed position qualifier:\n"},
      {"%123 A", "Error: bad numeric position for fixed position qualifier:\n"},
      {"%0 A", "Error: fixed position arg must be non-zero\n"},
      {"%2 %3 A", "Error: error in use of fixed position qualifier:\n"},
      {"AB", "Error: improper input in line:\n"},
      {"A B", "Error: more than one class found in single pattern section:\n"},
      {"!&", "Error: negation qualifier may not precede single_token_specifier\n"},
      {"$", "Error: End_of_field class must be last:\n"},
      {"A | $ | B", "Error: End_of_field class must be last:\n"},
      {"A | *$", "Error: end_of_field class may not be qualified:\n"},
      {"** | $", "Error: ** grabs all tokens - cannot be followed by end_of_field class\n"},
      {"n | A", "Error: unqualified eol class may not be first element of pattern:\n"},
      {"A | !n", "Error: not/float qualifier for end_of_line class is illegal:\n"},
      {"!3", "Error: not qualifier cannot be used with numeric alpha class\n"},
      {"A | 0", "Error: NULL Class can only be used in RETYPE action:\n"},
      {"05*A", "Error: incorrect grammar for MultiRetype:\n"},
      {"12 A", "Error: incorrect grammar for MultiRetype:\n"},
      {"3*A | B", "Error: MultiRetype pattern must stand alone:\n"},
      {"{S}", "Error: match key incorrectly specified:\n"},
      {"{QQ}", "Error: match key field name not found:\n"},
      {"A(1:2)", "improper use of range:\n"},
      {"%2nA", "Error: class immediately follows newline positioning - use '|'\n"},
      {"%2n", "Error: pattern only positions to newline - no operands specified\n"},
      {"a", "Error: improper input in line:\n"},
  });
}

TEST_F(PatternLines, OperandLimitIsEight) {
  ASSERT_EQ(compile("A | B | C | D | E | F | G | H\nA | B | C | D | E | F | G | H | I\n"), 0);
  EXPECT_EQ(pattern(0).operand_count, 8);
  EXPECT_TRUE(printed(line_error("Error: max number of fields exceeded in current pattern\n",
                                 "A | B | C | D | E | F | G | H | I", 2)));
}

TEST_F(PatternLines, QualifiersAndClassesAreRecorded) {
  ASSERT_EQ(compile("*A | B\n#S\n%-2 ^ | \\| | +\n!T | & | ? | $\n%2n | A\n%1n %2 A\n#n | B\n"
                    "*!A | 3 | -2\n"),
            0);
  EXPECT_EQ(out_.pattern_error, 0) << console_.text();
  EXPECT_EQ(pattern(0).float_flag[0], 1);
  EXPECT_EQ(pattern(0).cls[1], 'B');
  EXPECT_EQ(pattern(1).float_right, 1);
  EXPECT_EQ(pattern(2).fixed_flag, 1);
  EXPECT_EQ(pattern(2).fixed_position, -2);
  EXPECT_EQ(pattern(2).cls[1], '|');
  EXPECT_EQ(pattern(2).single[2], 1);
  EXPECT_EQ(pattern(2).cls[2], '?');
  EXPECT_EQ(pattern(3).negation[0], 1);
  EXPECT_EQ(pattern(3).kind[1], kOperandAnyToken);
  EXPECT_EQ(pattern(3).kind[2], kOperandUnknownRun);
  EXPECT_EQ(pattern(3).kind[3], kOperandEndOfField);
  EXPECT_EQ(pattern(4).newline_position, 2);
  EXPECT_EQ(pattern(4).kind[0], kOperandNewlineOnly);
  EXPECT_EQ(pattern(5).newline_position, 1);
  EXPECT_EQ(pattern(5).fixed_position, 2);
  EXPECT_EQ(pattern(5).cls[0], 'A');
  EXPECT_EQ(pattern(6).newline_position, -1);
  EXPECT_EQ(pattern(7).kind[1], kOperandNumericAlpha);
  EXPECT_EQ(pattern(7).range[1][0], 3);
  EXPECT_EQ(pattern(7).range[2][1], -2);
}

TEST_F(PatternLines, MultiRetypeCounts) {
  ASSERT_EQ(compile("0*A\n7*B\n45*C\n"), 0);
  EXPECT_EQ(pattern(0).multi_retype, 30);
  EXPECT_EQ(pattern(1).multi_retype, 7);
  EXPECT_EQ(pattern(2).multi_retype, 30);
  EXPECT_TRUE(printed(line_error("Warning: MultiRetype num too large - set to MAX_TOKENS:\n",
                                 "45*C", 3)));
  EXPECT_EQ(out_.pattern_error, 0);
}

TEST_F(PatternLines, FieldOperandTakesTheFirstProcessHoldingTheField) {
  ASSERT_EQ(compile("{sn} | {LN}\n", "{FN}\n"), 0);
  EXPECT_EQ(pattern(0).kind[0], kOperandField);
  EXPECT_STREQ(pattern(0).field_name[0], "SN");
  EXPECT_EQ(pattern(0).field_process[0], 0);
  EXPECT_EQ(pattern(0).field_process[1], 1);
  EXPECT_EQ(pattern(0).field_process[2], -1);
}

TEST_F(PatternLines, Ranges) {
  ASSERT_EQ(compile("(1:n)\n^(-c:-1)\n(2:-1)\n** (3) | A\n(3:1)\n(0:2)\n(x:2)\n(1:y)\n(-1:2)\n"),
            0);
  EXPECT_EQ(pattern(0).cls[0], '?');
  EXPECT_EQ(pattern(0).range[0][1], kRangeN);
  EXPECT_EQ(pattern(0).short_range[0][1], 32767);
  EXPECT_EQ(pattern(1).range[0][0], kRangeMinusC);
  EXPECT_EQ(pattern(2).range[0][1], -1);
  EXPECT_EQ(pattern(3).range[0][0], 3);
  EXPECT_TRUE(printed(line_error("Error: bad range specification\n", "(3:1)", 5)));
  EXPECT_TRUE(printed(
      line_error("Error: range: 0 is an illegal value for range specification\n", "(0:2)", 6)));
  EXPECT_TRUE(printed(line_error("Error: starting range error:\n", "(x:2)", 7)));
  EXPECT_TRUE(printed(line_error("Error: ending range error:\n", "(1:y)", 8)));
  EXPECT_TRUE(printed(line_error("Error: bad range specification\n", "(-1:2)", 9)));
}

TEST_F(PatternLines, OverlongAndUnbalancedInputIsReported) {
  const std::string long_range = "(" + std::string(250, '1');
  const std::string long_text = "A = \"" + std::string(230, 'x') + "\"";
  ASSERT_EQ(compile(long_range + "\n" + long_text + "\nA [ LEN > 3\n{SN\n\x01\xff\n"), 0);
  EXPECT_TRUE(printed("Error: string too long:\n"));
  EXPECT_TRUE(printed(line_error("Error: improper input in line:\n", "A [ LEN > 3", 3)));
  EXPECT_TRUE(printed(line_error("Error: match key incorrectly specified:\n", "{SN", 4)));
  EXPECT_TRUE(printed(line_error("Error: improper input in line:\n", "\x01\xff", 5)));
}

TEST_F(PatternLines, LinesLongerThanKeptAreCutAndNumberedTrue) {
  const std::string huge = "A | " + std::string(600, 'B') + "\nA | B\nC\n";
  ASSERT_EQ(compile(huge), 0);
  EXPECT_EQ(program(0).pattern_count, 3);
  EXPECT_EQ(std::string(pattern(2).line), "C");
}

TEST_F(PatternLines, ValueLists) {
  const std::string nine = "\"a b\",\"B\" \"C\",\"D\",\"E\",\"F\",\"G\",\"H\",\"I\"";
  ASSERT_EQ(compile("S = " + nine + "\nS = " + nine + ",\"J\"\n^ = 1, 2 3\n^=(1:99)\n"
                    "? = A= \"ST\"\n? = t=\"ST\"\n^ = 1,2,3,4,5,6,7,8,9,10\nS = xyz\n"
                    "S = 1234567890\n"),
            0);
  const ValueList& v = *pattern(0).pValue[0];
  EXPECT_EQ(v.text_count, 9);
  EXPECT_STREQ(v.charValue[0], "AB");
  EXPECT_EQ(v.kind, kValuePlain);
  EXPECT_EQ(v.number[0], kNumberNotGiven);
  const char* too_many = "Error: too many values specified - use value file instead\n";
  EXPECT_TRUE(printed(line_error(too_many, "S = " + nine + ",\"J\"", 2)));
  EXPECT_EQ(pattern(2).pValue[0]->number_count, 3);
  EXPECT_EQ(pattern(2).pValue[0]->number[2], 3);
  EXPECT_EQ(pattern(3).pValue[0]->range[1], 99);
  EXPECT_EQ(pattern(4).pValue[0]->kind, kValueAbbrev);
  EXPECT_EQ(pattern(5).pValue[0]->kind, kValueText);
  EXPECT_TRUE(printed(line_error(too_many, "^ = 1,2,3,4,5,6,7,8,9,10", 7)));
  EXPECT_TRUE(printed(line_error("Error: improper test value\n", "S = xyz", 8)));
  EXPECT_TRUE(printed(line_error("Error: improper test value\n", "S = 1234567890", 9)));
}

TEST_F(PatternLines, ValueFilesAreSharedAndCounted) {
  for (int f = 0; f < 10; ++f) fs_.put("v" + std::to_string(f) + ".txt", "X\n");
  std::string text = "S = @v0.txt\nS = @v0.txt\n";
  for (int f = 1; f < 10; ++f) text += "S = @v" + std::to_string(f) + ".txt\n";
  text += "S = @missing.txt\n";
  ASSERT_EQ(compile(text, "? = @v0.txt\n"), 0);
  EXPECT_EQ(out_.user_files.files[0].use_count, 3);
  EXPECT_EQ(pattern(0).pValue[0]->file, pattern(1).pValue[0]->file);
  EXPECT_EQ(out_.user_files.count, 9);
  EXPECT_EQ(fs_.open_streams(), 9);
  EXPECT_TRUE(printed(line_error("Error: too many user files \n", "S = @v9.txt", 11)));
  EXPECT_TRUE(printed(line_error("Error: error opening value file:\n", "S = @missing.txt", 12)));
}

TEST_F(PatternLines, ConditionsCompile) {
  ASSERT_EQ(compile("A\nCOPY [1] V1\n"
                    "A [ LEN > 3 & {} != \"x\" & V1 (1:2) <= 4 + V1]\n"
                    "[ {SN} T= \"MAIN\" | V1 = 3 ]\n"
                    "^ [ PICT = \"ncN\" ]\n"
                    "^ [ {} * 2 >= -7 ]\n"),
            0);
  ASSERT_EQ(out_.pattern_error, 0) << console_.text();
  const Condition& c = *pattern(1).pCondition[0];
  EXPECT_EQ(c.count, 3);
  EXPECT_EQ(c.logical, '&');
  EXPECT_EQ(c.expr[0].attribute, kAttrLen);
  EXPECT_EQ(c.expr[0].relational, kRelGt);
  EXPECT_EQ(c.expr[0].right.number, 3);
  EXPECT_STREQ(c.expr[1].right.literal, "X");
  EXPECT_EQ(c.expr[1].relational, kRelNe);
  EXPECT_EQ(c.expr[2].left.range[1], 2);
  EXPECT_EQ(c.expr[2].right_arith, kArithAdd);
  EXPECT_EQ(c.expr[2].right_operand.kind, kEntityVariable);
  const Pattern& only = pattern(2);
  EXPECT_EQ(only.kind[0], kOperandConditionOnly);
  EXPECT_EQ(only.pCondition[0]->expr[0].compare_kind, kValueText);
  EXPECT_STREQ(only.pCondition[0]->expr[0].left.field, "SN");
  EXPECT_EQ(only.pCondition[0]->logical, '|');
  EXPECT_STREQ(pattern(3).pCondition[0]->expr[0].right.literal, "ncn");
  EXPECT_EQ(pattern(4).pCondition[0]->expr[0].left_arith, kArithMul);
  EXPECT_EQ(pattern(4).pCondition[0]->expr[0].right.number, -7);
}

TEST_F(PatternLines, ConditionErrors) {
  const std::string eleven =
      "A [ LEN = 1 & LEN = 2 & LEN = 3 & LEN = 4 & LEN = 5 & LEN = 6 & LEN = 7 & LEN = 8 & "
      "LEN = 9 & LEN = 10 & LEN = 11 ]";
  std::vector<BadLine> cases = {
      {"A [ LEN > 1 && LEN < 5 ]",
       "Error: logical operators within conditions are single & or |\n"},
      {"A [ LEN > 1 & LEN < 5 | LEN = 9 ]",
       "Error: all logical ops within one condition must be the same\n"},
      {eleven.c_str(), "Error: too many expressions within single condition specified\n"},
      {"A [ LEN > 1 LEN < 5 ]", "Error: missing logical operator in condition:\n"},
      {"A [ ! \"X\" ]", " error using ! in relational condition:\n"},
      {"A [ LEN ]", "Error: relation operator missing:\n"},
      {"A [ LEN 5 ]", "Error: arithmetic operator missing:\n"},
      {"[ = \"X\" ]", "Error: lvalue missing in condition expression or invalid literal:\n"},
      {"A [ = ]", "Error: rvalue missing in condition expression:\n"},
      {"A [ \"X\" + 1 = 2 ]", "Error: literal may not occur in arithmetic expression:\n"},
      {"A [ LEN + = 2 ]", "Error: missing arithmetic operand:\n"},
      {"A [ NOSUCH = 2 ]", "Error: user variable in condition is undefined\n"},
      {"A [ ABCDEFGHIJKLMNOPQRS = 2 ]", "Error: user variable name too long:\n"},
      {"[ {} = 2 ]", "Error: current operand reference lacks referent\n"},
      {"A [ {SN = 2 ]", "Error: match key field - missing END_MK_FIELD char:\n"},
      {"A [ {SNX} = 2 ]", "Error: match key incorrectly specified:\n"},
      {"A [ 3 = LEN ]", "Error: condition attribute (LEN,etc.) not referencing left entity\n"},
      {"A [ PICT < \"nc\" ]", "Error: for PICT, only  =  and  !=  are valid relational operators"},
      {"A [ PICT = 3 ]", "Error: for PICT, must use quoted string as in \"ncn\"\n"},
      {"A [ PICT = \"nx\" ]", "Error: for PICT, quoted string must consist only of n/c\n"},
  };
  expect_reported(cases);
}

TEST_F(PatternLines, InvalidConditionCharacterNamesTheCharacterAndLine) {
  ASSERT_EQ(compile("A [ LEN = 1 # ]\n"), 0);
  EXPECT_TRUE(printed("Error: invalid char  #  in condition: A [ LEN = 1 # ]\n"
                      " A [ LEN = 1 # ]\nline number = 1\nfile p.pat\n"));
}

TEST_F(PatternLines, ClassFlagsRecordClassesAboveF) {
  ASSERT_EQ(compile("S | S | ? | A | !T | &\n^ | \\- | \\# | @\n"), 0);
  const std::uint32_t* f = program().patternClassFlags;
  EXPECT_EQ(f[0], (1u << ('S' - 'A')) | (1u << 29));
  EXPECT_EQ(f[1], 1u << ('S' - 'A'));
  EXPECT_EQ(f[2], (1u << 26) | (1u << 31) | (1u << 30));
  EXPECT_EQ(f[3], 1u << 31);
}

}  // namespace
}  // namespace tovr::test

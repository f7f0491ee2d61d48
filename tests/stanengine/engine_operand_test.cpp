// One record through one pattern per operand construct: what each binds, when it fails, and
// how matching goes back to a search when a later test fails.
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"

namespace tovr::test {
namespace {

class OperandTest : public EngineTest {
 protected:
  // Runs one record and returns field XX ("<no match>" when nothing was written).
  std::string xx(const std::string& patterns, const std::string& input) {
    const int status = run(patterns, input);
    EXPECT_EQ(status, 0) << console_.text();
    const std::string value = field("XX");
    return value.empty() ? "<no match>" : value;
  }
};

TEST_F(OperandTest, ClassesNegationAndAnyToken) {
  EXPECT_EQ(xx("^ | !T | T\nCOPY [2] {XX}\n", "12 MAIN ST\n"), "MAIN");
  EXPECT_EQ(xx("^ | !T | T\nCOPY [2] {XX}\n", "12 AVE ST\n"), "<no match>");
  EXPECT_EQ(xx("^ | & | T\nCOPY [2] {XX}\n", "12 AVE ST\n"), "AVE");
  EXPECT_EQ(xx("^ | & | T\nCOPY [2] {XX}\n", "12 ST\n"), "<no match>");
  // Without a float the first operand starts at the first token.
  EXPECT_EQ(xx("T\nCOPY [1] {XX}\n", "12 ST\n"), "<no match>");
}

TEST_F(OperandTest, UnknownWordRunsSingleWordsAndNumericAlpha) {
  const char* input = "12 SAINT JAMES ST\n";
  EXPECT_EQ(xx("^ | ? | T\nCOPY_S [2] {XX}\n", input), "SAINT JAMES");
  EXPECT_EQ(xx("^ | + | ? | T\nCOPY [2] {XX}\nCONCAT [3] {XX}\n", input), "SAINTJAMES");
  EXPECT_EQ(xx("^ | + | T\nCOPY [2] {XX}\n", input), "<no match>");
  EXPECT_EQ(xx("^ | 2 | T\nCOPY_S [2] {XX}\n", input), "SAINT JAMES");
  EXPECT_EQ(xx("^ | 1 | T\nCOPY_S [2] {XX}\n", input), "<no match>");
  EXPECT_EQ(xx("^ | 3 | T\nCOPY_S [2] {XX}\n", input), "<no match>");
  // -k: a run of at least k words, of which the k-th from its end is the text.
  EXPECT_EQ(xx("^ | -1 | T\nCOPY [2] {XX}\n", input), "JAMES");
  EXPECT_EQ(xx("^ | -2 | T\nCOPY [2] {XX}\n", input), "SAINT");
  EXPECT_EQ(xx("^ | -3 | T\nCOPY [2] {XX}\n", input), "<no match>");
}

TEST_F(OperandTest, FixedPositionsCountOccurrencesAndRuns) {
  const char* input = "12 A B 34 C 56\n";
  EXPECT_EQ(xx("%2 ^\nCOPY [1] {XX}\n", input), "34");
  EXPECT_EQ(xx("%-1 ^\nCOPY [1] {XX}\n", input), "56");
  EXPECT_EQ(xx("%-3 ^\nCOPY [1] {XX}\n", input), "12");
  EXPECT_EQ(xx("%4 ^\nCOPY [1] {XX}\n", input), "<no match>");
  // A run of unknown words is one occurrence.
  EXPECT_EQ(xx("%2 ?\nCOPY_S [1] {XX}\n", input), "C");
  EXPECT_EQ(xx("%-2 ?\nCOPY_S [1] {XX}\n", input), "A B");
  EXPECT_EQ(xx("%1 1\nCOPY_S [1] {XX}\n", input), "C");
}

TEST_F(OperandTest, FloatsSearchAndBackTrack) {
  EXPECT_EQ(xx("*T\nCOPY [1] {XX}\n", "12 MAIN ST\n"), "ST");
  // The float of the first operand moves on when a later test fails.
  EXPECT_EQ(xx("*T | ^\nCOPY [1] {XX}\nCONCAT [2] {XX}\n", "1 ST X RD 5\n"), "RD5");
  // A floated later operand searches on past the token it took.
  EXPECT_EQ(xx("^ | *T | ^\nCOPY [2] {XX}\nCONCAT [3] {XX}\n", "1 ST X RD 5\n"), "RD5");
  EXPECT_EQ(xx("^ | *T | ^\nCOPY [2] {XX}\n", "1 ST X RD Y\n"), "<no match>");
  EXPECT_EQ(xx("#^\nCOPY [1] {XX}\n", "12 MAIN 34 X\n"), "34");
  EXPECT_EQ(xx("#^ | ?\nCOPY [1] {XX}\n", "12 MAIN 34 X 56\n"), "34");
  EXPECT_EQ(xx("*? | T\nCOPY_S [1] {XX}\n", "12 SAINT JAMES ST\n"), "SAINT JAMES");
  EXPECT_EQ(xx("^ | *& | T\nCOPY [2] {XX}\n", "12 A B ST\n"), "B");
}

TEST_F(OperandTest, EndOfFieldHoldsOnlyWhenNoTokenFollows) {
  EXPECT_EQ(xx("^ | ? | $\nCOPY [2] {XX}\n", "12 MAIN\n"), "MAIN");
  EXPECT_EQ(xx("^ | ? | $\nCOPY [2] {XX}\n", "12 MAIN ST\n"), "<no match>");
  // A hidden token after the last one does not count.
  EXPECT_EQ(xx("^ | ? | T\nRETYPE [3] 0\n^ | ? | $\nCOPY [2] {XX}\n", "12 MAIN ST\n"), "MAIN");
}

TEST_F(OperandTest, EndOfLineAndNewlinePositioning) {
  const std::string stan_file = std::string(kAddrStandardizer) + "LINESINREC 2\n";
  auto lines = [&](const std::string& patterns) {
    fs_.put("in.txt", "12 MAIN\n34 SPRING X\n");
    compile(patterns, stan_file);
    EXPECT_EQ(next(), 0);
    const std::string value = field("XX");
    return value.empty() ? "<no match>" : value;
  };
  EXPECT_EQ(lines("^ | ? | n\nCOPY [2] {XX}\n"), "MAIN");
  EXPECT_EQ(lines("^ | n\nCOPY [1] {XX}\n"), "<no match>");
  // The positioning is operand 1; the operands that follow it count from 2.
  EXPECT_EQ(lines("%1n | ^ | ?\nCOPY_S [3] {XX}\n"), "SPRING X");
  EXPECT_EQ(lines("#n | ^\nCOPY_S [2] {XX}\n"), "34");
  EXPECT_EQ(lines("%-2n | ^\nCOPY_S [2] {XX}\n"), "12");
  EXPECT_EQ(lines("%2n | ^\nCOPY_S [2] {XX}\n"), "<no match>");
  EXPECT_EQ(lines("** | n\nCOPY_S [1] {XX}\n"), "12 MAIN");
  // The last line of the text ends at the end of the text.
  EXPECT_EQ(lines("%1n | ^ | ? | n\nCOPY_S [3] {XX}\n"), "SPRING X");
}

TEST_F(OperandTest, UniversalClassTakesTokensUpToTheNextOperand) {
  EXPECT_EQ(xx("** | T\nCOPY_S [1] {XX}\n", "12 N MAIN ST\n"), "12 N MAIN");
  EXPECT_EQ(xx("** | T\nCOPY_S [1] {XX}\n", "ST\n"), "<no match>");
  EXPECT_EQ(xx("^ | ** | T\nCOPY [1] {XX}\nCONCAT [3] {XX}\n", "12 ST\n"), "12ST");
  EXPECT_EQ(xx("** | T\nCOPY_S [1] {XX}\n", "12 N MAIN\n"), "<no match>");
  // Sent back by a later failure, ** takes in what follows and stops at the next T.
  EXPECT_EQ(xx("** | T | ^\nCOPY_S [1] {XX}\n", "A ST B RD 5\n"), "A ST B");
  EXPECT_EQ(xx("** | T | ^\nCOPY_S [1] {XX}\n", "A ST B RD C\n"), "<no match>");
  // Negated: ** takes the tokens of the class and stops at the first of another.
  EXPECT_EQ(xx("** | !? | ?\nCOPY_S [1] {XX}\nCONCAT [2] {XX}\n", "A B 12 C\n"), "A B12");
  // As the last operand it takes the rest, also nothing.
  EXPECT_EQ(xx("^ | **\nCOPY_S [2] {XX}\n", "12 N MAIN ST\n"), "N MAIN ST");
  EXPECT_EQ(xx("^ | T | **\nCOPY [2] {XX}\nCONCAT [3] {XX}\n", "12 ST\n"), "ST");
}

TEST_F(OperandTest, RangesSelectAmongTheBoundTokens) {
  const char* input = "12 A B C ST\n";
  EXPECT_EQ(xx("^ | (1:2) | T\nCOPY_S [2] {XX}\n", input), "A B");
  EXPECT_EQ(xx("^ | (-1) | T\nCOPY_S [2] {XX}\n", input), "C");
  EXPECT_EQ(xx("^ | (2:-1) | T\nCOPY_S [2] {XX}\n", input), "B C");
  EXPECT_EQ(xx("^ | (2:n) | T\nCOPY_S [2] {XX}\n", input), "B C");
  EXPECT_EQ(xx("^ | (4) | T\nCOPY_S [2] {XX}\n", input), "<no match>");
  EXPECT_EQ(xx("^ | (-4:-1) | T\nCOPY_S [2] {XX}\n", input), "<no match>");
  EXPECT_EQ(xx("**(2:3) | T\nCOPY_S [1] {XX}\n", input), "A B");
  // The special bounds: n and c stand for the last bound token, -n and -c for the first.
  EXPECT_EQ(xx("^ | (-n:-2) | T\nCOPY_S [2] {XX}\n", input), "A B");
  EXPECT_EQ(xx("^ | (c) | T\nCOPY_S [2] {XX}\n", input), "C");
  EXPECT_EQ(xx("^ | (-c) | T\nCOPY_S [2] {XX}\n", input), "A");
  // A range after ** is tested again each time ** searches on.
  EXPECT_EQ(xx("**(3) | T | ^\nCOPY_S [1] {XX}\n", "A B ST C RD 5\n"), "ST");
  EXPECT_EQ(xx("**(1:2) | T | ^\nCOPY_S [1] {XX}\n", "A B ST C RD 5\n"), "A B");
}

TEST_F(OperandTest, FieldOperandsAndValueLists) {
  const char* input = "12 MAIN STREET\n";
  EXPECT_EQ(xx("^ | ?=\"ELM\",\"MAIN\" | T\nCOPY [2] {XX}\n", input), "MAIN");
  EXPECT_EQ(xx("^ | ?=\"ELM\" | T\nCOPY [2] {XX}\n", input), "<no match>");
  EXPECT_EQ(xx("^=10,12 | ?\nCOPY [1] {XX}\n", input), "12");
  EXPECT_EQ(xx("^=(10:20) | ?\nCOPY [1] {XX}\n", input), "12");
  EXPECT_EQ(xx("^=(13:20) | ?\nCOPY [1] {XX}\n", input), "<no match>");
  // A plain list takes the text or the abbreviation; A= only the abbreviation, T= the text.
  EXPECT_EQ(xx("^ | ? | T=\"ST\"\nCOPY [3] {XX}\n", input), "STREET");
  EXPECT_EQ(xx("^ | ? | T=A=\"ST\"\nCOPY [3] {XX}\n", input), "STREET");
  EXPECT_EQ(xx("^ | ? | T=T=\"ST\"\nCOPY [3] {XX}\n", input), "<no match>");
  EXPECT_EQ(xx("^ | ? | T=T=\"STREET\"\nCOPY [3] {XX}\n", input), "STREET");
  // A field operand reads the field as the earlier patterns left it.
  EXPECT_EQ(xx("^ | ? | T\nCOPY [2] {SN}\n{SN}=\"MAIN\"\nCOPY \"YES\" {XX}\n", input), "YES");
  EXPECT_EQ(xx("^ | ? | T\nCOPY [2] {SN}\n{SN}=\"ELM\"\nCOPY \"YES\" {XX}\n", input), "<no match>");
}

TEST_F(OperandTest, ValueFilesAreReadFromTheirStartForEveryTest) {
  fs_.put("streets.txt", "; names\n\"EL M\"\n  main \t\nOAK\n");
  EXPECT_EQ(xx("^ | ?=@streets.txt | T\nCOPY [2] {XX}\n", "12 MAIN ST\n"), "MAIN");
  EXPECT_EQ(xx("^ | ?=@streets.txt | T\nCOPY [2] {XX}\n", "12 ELM ST\n"), "ELM");
  EXPECT_EQ(xx("^ | ?=@streets.txt | T\nCOPY [2] {XX}\n", "12 PINE ST\n"), "<no match>");
  fs_.put("streets.txt", "OAK\n\"ELM\n");
  EXPECT_EQ(run("^ | ?=@streets.txt | T\nCOPY [2] {XX}\n", "12 MAIN ST\n"), 26);
  EXPECT_EQ(console_.text(), "Error: unmatched quotes in value file:  \"ELM\n");
}

TEST_F(OperandTest, Conditions) {
  const char* input = "123 MAIN ST\n";
  EXPECT_EQ(xx("^[LEN = 3] | ?\nCOPY [1] {XX}\n", input), "123");
  EXPECT_EQ(xx("^[LEN > 3] | ?\nCOPY [1] {XX}\n", input), "<no match>");
  EXPECT_EQ(xx("^[{} * 2 = 246] | ?\nCOPY [1] {XX}\n", input), "123");
  EXPECT_EQ(xx("^[{} > 99 & {} < 200] | ?\nCOPY [1] {XX}\n", input), "123");
  EXPECT_EQ(xx("^[{} > 999 | {} = 123] | ?\nCOPY [1] {XX}\n", input), "123");
  EXPECT_EQ(xx("^ | ?[PICT = \"cccc\"]\nCOPY [2] {XX}\n", input), "MAIN");
  EXPECT_EQ(xx("^ | ?[PICT = \"ccc\"]\nCOPY [2] {XX}\n", input), "<no match>");
  EXPECT_EQ(xx("^ | ?[PICT != \"nnnn\"]\nCOPY [2] {XX}\n", input), "MAIN");
  EXPECT_EQ(xx("^ | ?[{} < \"MAIO\"]\nCOPY [2] {XX}\n", input), "MAIN");
  EXPECT_EQ(xx("^ | ? | T[{} = \"ST\"]\nCOPY [3] {XX}\n", "1 A STREET\n"), "STREET");
  EXPECT_EQ(xx("^ | ? | T[{} T= \"ST\"]\nCOPY [3] {XX}\n", "1 A STREET\n"), "<no match>");
  // Variables and fields as entities, and a condition without a class.
  EXPECT_EQ(xx("^ | ?\nCOPY [2] name\nCOPY [1] {HN}\n"
               "[name = \"MAIN\" & {HN} = \"123\"]\nCOPY \"YES\" {XX}\n",
               input),
            "YES");
  EXPECT_EQ(xx("^ | ?\nCOPY [2] name\n[name(1:2) = \"MA\"]\nCOPY name {XX}\n", input), "MAIN");
}

TEST_F(OperandTest, ConditionThatCannotBeEvaluatedEndsTheRun) {
  EXPECT_EQ(run("^[{} / 0 = 1]\nCOPY [1] {XX}\n", "12\n"), 27);
  EXPECT_EQ(console_.text(), "Error returned from testConditions\n");
}

TEST_F(OperandTest, NullClassTokensAreSteppedOver) {
  const char* patterns =
      "^ | D | ? | T\nRETYPE [2] 0\n"
      "^ | ? | T\nCOPY [1] {XX}\nCONCAT [2] {XX}\nCONCAT [3] {XX}\n";
  EXPECT_EQ(xx(patterns, "12 N MAIN ST\n"), "12MAINST");
}

TEST_F(OperandTest, ClassSetsFollowRetypes) {
  // The second pattern needs two T tokens; the first makes one of them.
  const char* patterns =
      "^ | ? | T\nRETYPE [2] T\n"
      "^ | T | T\nCOPY [2] {XX}\nCONCAT [3] {XX}\n";
  EXPECT_EQ(xx(patterns, "12 MAIN ST\n"), "MAINST");
}

TEST_F(OperandTest, TokenLimitTruncatesToThirtyTokens) {
  std::string thirty;
  for (int i = 0; i < 29; ++i) thirty += "1 ";
  EXPECT_EQ(xx("*T\nCOPY [1] {XX}\n", thirty + "ST\n"), "ST");
  EXPECT_EQ(console_.text(), "");
  EXPECT_EQ(xx("*T\nCOPY [1] {XX}\n", thirty + "1 ST\n"), "<no match>");
  EXPECT_EQ(console_.text(), "MAX_TOKENS exceeded for this record - truncating\n");
}

TEST_F(OperandTest, RunOfThirtyUnknownWordsEndsTheRun) {
  std::string words;
  for (int i = 0; i < 30; ++i) words += "X ";
  EXPECT_EQ(run("?\nCOPY [1] {XX}\n", words + "\n"), 18);
  EXPECT_EQ(console_.text(), "too many alpha tokens in one line - probable error\n");
  EXPECT_EQ(run("?\nCOPY_S [1] {XX}\n", words.substr(2) + "\n"), 0);
}

TEST_F(OperandTest, MultiRetypeRetypesEveryTokenOfItsClass) {
  const char* patterns =
      "2*?\nRETYPE [1] S\n"
      "^ | S | S | ?\nCOPY [4] {XX}\n";
  EXPECT_EQ(xx(patterns, "12 A B C\n"), "C");
  EXPECT_EQ(xx("0*^\nRETYPE [1] 0\n?\nCOPY_S [1] {XX}\n", "1 A 2 B\n"), "A B");
  EXPECT_EQ(xx("*T\nRETYPE [1] ? \"X\"\n0*T\nRETYPE [1] ?\n? | ?\nCOPY [1] {XX}\n", "A\n"),
            "<no match>");
}

}  // namespace
}  // namespace tovr::test

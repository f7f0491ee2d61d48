// Actions end to end: copying, concatenating and prefixing into fields and user variables,
// source ranges, RETYPE, the conversions, the post actions and subroutines.
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"

namespace tovr::test {
namespace {

class ActionTest : public EngineTest {
 protected:
  std::string xx(const std::string& patterns, const std::string& input) {
    EXPECT_EQ(run(patterns, input), 0) << console_.text();
    return field("XX");
  }
};

TEST_F(ActionTest, CopiesTakeTheJoinedSpacedAbbreviatedOrTableText) {
  const char* input = "12 SAINT JAMES STREET\n";
  EXPECT_EQ(xx("^ | ? | T\nMOVE [2] {XX}\n", input), "SAINTJAMES");
  EXPECT_EQ(xx("^ | ? | T\nCOPY_S [2] {XX}\n", input), "SAINT JAMES");
  EXPECT_EQ(xx("^ | ? | T\nCOPY_A [3] {XX}\n", input), "ST");
  EXPECT_EQ(xx("^ | ? | T\nCOPY_A [2] {XX}\n", input), "");  // several tokens: no abbreviation
  EXPECT_EQ(xx("^ | ? | T\nCOPY_C [3] {XX}\n", input), "STREET");
  EXPECT_EQ(xx("^ | ? | T\nCOPY \"lit\" {XX}\n", input), "LIT");
}

TEST_F(ActionTest, ConcatAndPrefixJoinWithTheCurrentValue) {
  const char* input = "12 MAIN ST\n";
  EXPECT_EQ(xx("^ | ? | T\nCOPY [2] {XX}\nCONCAT [1] {XX}\nPREFIX \"A\" {XX}\n", input), "AMAIN12");
  EXPECT_EQ(xx("^ | ? | T\nCOPY [1] {XX}\nCONCAT_A [3] {XX}\nPREFIX_A [3] {XX}\n", input),
            "ST12ST");
  // User variables: a target, a source and a CONCAT into a variable.
  EXPECT_EQ(xx("^ | ? | T\nCOPY [2] v\nCONCAT \"-\" v\nCONCAT [1] v\nPREFIX_A [3] v\n"
               "COPY v {XX}\n",
               input),
            "STMAIN-12");
  EXPECT_EQ(xx("^ | ? | T\nCOPY [1] {HN}\nCOPY {HN} {XX}\nCONCAT {HN} {XX}\n", input), "1212");
}

TEST_F(ActionTest, UserVariablesHoldThirtyNineCharactersAndStartEmptyForEachRecord) {
  const std::string long_word(45, 'W');
  EXPECT_EQ(xx("+ | +\nCOPY [1] v\nCONCAT [2] v\nCOPY v(28:-1) {XX}\n",
               "ABCDEFGHIJKLMNOPQRSTUVWXYZ ABCDEFGHIJKLMNOPQRSTUVWXYZ\n"),
            "BCDEFGHIJKLM");
  fs_.put("in.txt", "1 A\n2\n");
  compile("^ | ?\nCOPY [2] v\n^\nCONCAT v {XX}\nCONCAT \"!\" {XX}\n");
  ASSERT_EQ(next(), 0);
  EXPECT_EQ(field("XX"), "A!");
  ASSERT_EQ(next(), 0);
  EXPECT_EQ(field("XX"), "!");
}

TEST_F(ActionTest, SourceRangesCutTheText) {
  const char* input = "12B34 ABCDEF ST\n";
  EXPECT_EQ(xx("& | ? | T\nCOPY [2](2:4) {XX}\n", input), "BCD");
  EXPECT_EQ(xx("& | ? | T\nCOPY [2](-2:-1) {XX}\n", input), "EF");
  EXPECT_EQ(xx("& | ? | T\nCOPY [2](5:n) {XX}\n", input), "EF");
  EXPECT_EQ(xx("& | ? | T\nCOPY [1](n) {XX}\n", input), "12");
  EXPECT_EQ(xx("& | ? | T\nCOPY [1](-n) {XX}\n", input), "34");
  EXPECT_EQ(xx("& | ? | T\nCOPY [1](c) {XX}\n", input), "B");
  EXPECT_EQ(xx("& | ? | T\nCOPY_S [2](9:12) {XX}\n", input), "");
  EXPECT_EQ(console_.text(), "");
  EXPECT_EQ(xx("& | ? | T\nCOPY [2](1:200) {XX}\n", input), "ABCDEF");
  EXPECT_EQ(console_.text(), "Invalid user-specified range - continuing...\n");
  EXPECT_EQ(xx("& | ? | T\nCOPY [2] v\nCOPY v(1:1500) {XX}\n", input), "ABCDEF");
  EXPECT_EQ(console_.text(), "Invalid user-supplied range detected - continuing...\n");
}

TEST_F(ActionTest, FormattedFieldOfAProcess) {
  fs_.put("in.txt", "12 MAIN ST\n");
  compile("^ | ?\nCOPY {ADDR} {XX}\n",
          "STANDARDIZE ADDR (1-7)\nRECORD 80\nINFILE in.txt\nOUTFILE out.txt\n");
  ASSERT_EQ(next(), 0);
  EXPECT_EQ(field("XX"), "12 MAIN");
  EXPECT_STREQ(area_, "12 MAIN ");
}

TEST_F(ActionTest, RetypeChangesClassValueAndAbbreviation) {
  const char* input = "12 MAIN ST\n";
  EXPECT_EQ(xx("^ | ? | T\nRETYPE [2] T \"AVENUE\" \"AVE\"\n^ | T | T\nCOPY [2] {XX}\n"
               "CONCAT_A [2] {XX}\n",
               input),
            "AVENUEAVE");
  EXPECT_EQ(xx("^ | ? | T\nCOPY [2] v\nCOPY \"ABCDEF\" w\nRETYPE [3] ? v w(2:3)\n"
               "^ | + | +\nCOPY [3] {XX}\nCONCAT_A [3] {XX}\n",
               input),
            "MAINBC");
  // The actions after a RETYPE see the tokens as it left them.
  EXPECT_EQ(xx("^ | ? | T\nRETYPE [2] ? \"ELM\"\nCOPY [2] {XX}\n", input), "ELM");
}

TEST_F(ActionTest, ConversionsTakeExactThenNearRowsByTheirLeastScore) {
  fs_.put("conv.tbl", "ST STREET\nAVE AVENUE 700\nBLVD BOULEVARD 950\n");
  const char* convert = "^ | & \nCONVERT [2] @conv.tbl TKN\nCOPY [2] {XX}\n";
  EXPECT_EQ(xx(convert, "1 ST\n"), "STREET");
  // A near text needs a row's least score; without one only a score above 899.9.
  EXPECT_EQ(xx(convert, "1 STR\n"), "STR");
  EXPECT_EQ(xx(convert, "1 AVEN\n"), "AVENUE");
  EXPECT_EQ(xx(convert, "1 BLVDX\n"), "BLVDX");
  // Tables stay loaded under their name: a changed table is a new file.
  fs_.put("conv2.tbl", "ST STREET 700\n");
  EXPECT_EQ(xx("^ | & \nCONVERT [2] @conv2.tbl TKN\nCOPY [2] {XX}\n", "1 STR\n"), "STREET");
}

TEST_F(ActionTest, ConvertingTokensNamesTheirClassAndShowsInLaterPatterns) {
  fs_.put("conv.tbl", "SAINT ST\nJAMES JIM\n");
  EXPECT_EQ(xx("^ | ?\nCONVERT [2] @conv.tbl TKN S\n^ | S | S\nCOPY_S [2] {XX}\n"
               "CONCAT [3] {XX}\n",
               "12 SAINT JAMES\n"),
            "STJIM");
  // Several tokens whose spaced text is a row are converted as one.
  fs_.put("conv2.tbl", "\\FORMAT\\ SEP=,\nSAINT JAMES,SJ\nSAINT,ST\n");
  EXPECT_EQ(xx("^ | ?\nCONVERT [2] @conv2.tbl TKN\n^ | ?\nCOPY_S [2] {XX}\n", "12 SAINT JAMES\n"),
            "SJ");
}

TEST_F(ActionTest, ConvertingFieldsVariablesAndTemporaryTexts) {
  fs_.put("conv.tbl", "MAIN MAINSTR\n");
  EXPECT_EQ(xx("^ | ?\nCOPY [2] {XX}\nCONVERT {XX} @conv.tbl TKN\n", "1 MAIN\n"), "MAINSTR");
  EXPECT_EQ(xx("^ | ?\nCOPY [2] v\nCONVERT v @conv.tbl TEMP\nCOPY v {XX}\n", "1 MAIN\n"),
            "MAINSTR");
  // TEMP leaves the token: the next pattern sees MAIN again.
  EXPECT_EQ(xx("^ | ?\nCONVERT [2] @conv.tbl TEMP\nCOPY [2] {XX}\n"
               "^ | ?=\"MAIN\"\nCONCAT [2] {XX}\n",
               "1 MAIN\n"),
            "MAINSTRMAIN");
}

TEST_F(ActionTest, PrefixAndSuffixConversionsRebuildTokens) {
  fs_.put("pre.tbl", "NORTH N\n");
  fs_.put("suf.tbl", "STREET ST\n");
  EXPECT_EQ(xx("^ | ?\nCONVERT_P [2] @pre.tbl TKN\n^ | D | ?\nCOPY [2] {XX}\n"
               "CONCAT [3] {XX}\n",
               "12 NORTHMAIN\n"),
            "NMAIN");
  EXPECT_EQ(xx("^ | ?\nCONVERT_S [2] @suf.tbl TKN\n^ | ? | T\nCOPY_S [2] {XX}\n"
               "CONCAT [3] {XX}\n",
               "12 MAINSTREET\n"),
            "MAINST");
  EXPECT_EQ(xx("^ | ?\nCONVERT_S [2] @suf.tbl TKN\nCOPY_S [2] {XX}\n", "12 MAINSTREET\n"),
            "MAIN ST");
  EXPECT_EQ(run("^ | ?\nCONVERT_P [2] @pre.tbl TKN\n", "12 NORTHMAIN ELM\n"), 33);
  EXPECT_EQ(console_.text(), "CONVERT: multi-token operand - use prior pat/action without EXIT\n");
}

TEST_F(ActionTest, PostActionsRunOnlyWhenAFieldWasWritten) {
  const char* patterns =
      "\\POST_START\nSOUNDEX {SN} {SX}\nRSOUNDEX {SN} {PD}\n\\POST_END\n"
      "^ | ?\nCOPY [2] {SN}\n"
      "T\nCOPY [1] v\n";
  EXPECT_EQ(xx(patterns, "1 SMITH\n"), "");
  EXPECT_EQ(field("SX"), "S530");
  EXPECT_EQ(field("PD"), "H3");  // the field holds two characters of H352
  EXPECT_EQ(run(patterns, "ST\n"), 0);
  EXPECT_EQ(field("SX"), "");
}

TEST_F(ActionTest, SubroutinesReturnBehindTheirCall) {
  const char* patterns =
      "^ | ?\nCOPY [1] {HN}\nCALL street\n"
      "^ | ? | T\nCONCAT \"+\" {XX}\n"
      "\\SUB street\n"
      "^ | ? | U\nCOPY \"UNIT\" {XX}\n"
      "^ | ? | T\nCOPY [2] {XX}\nRETURN\nCOPY \"NOT HERE\" {XX}\n"
      "\\END_SUB\n";
  // The subroutine's second pattern returns; the main program goes on with its next pattern.
  EXPECT_EQ(xx(patterns, "12 MAIN ST\n"), "MAIN+");
  EXPECT_EQ(field("HN"), "12");
  // A subroutine whose last pattern fails returns as well.
  EXPECT_EQ(xx(patterns, "12 MAIN APT\n"), "UNIT");
}

TEST_F(ActionTest, CallFollowedByExitEndsTheProgramOnReturn) {
  const char* patterns =
      "^ | ?\nCALL name\nEXIT\n"
      "^ | ?\nCOPY \"AFTER\" {XX}\n"
      "\\SUB name\n"
      "?\nCOPY [1] {XX}\n"
      "^\nCONCAT [1] {XX}\n"
      "\\END_SUB\n";
  EXPECT_EQ(xx(patterns, "12 MAIN\n"), "12");
}

}  // namespace
}  // namespace tovr::test

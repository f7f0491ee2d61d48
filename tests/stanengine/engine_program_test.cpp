// Programs that a correct compile never produces: the engine still ends or goes on soundly.
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"
#include "stancomp/stan.h"

namespace tovr::test {
namespace {

class ProgramTest : public EngineTest {
 protected:
  Sc& sc() { return *as_stan(handle_)->sc; }
  ProcessProgram& program() { return as_stan(handle_)->patterns.process[0]; }
};

TEST_F(ProgramTest, CallSiteWithoutEntryEndsTheRun) {
  fs_.put("in.txt", "12 MAIN\n");
  compile("^ | ?\nCALL name\n\\SUB name\n?\nCOPY [1] {XX}\n\\END_SUB\n");
  ASSERT_EQ(program().call_count, 1);
  program().subRoutineCalls[0].call_instruction = -1;
  EXPECT_EQ(next(), 34);
  EXPECT_EQ(console_.text(), "subRoutine jumpFromPC not found");
}

TEST_F(ProgramTest, PatternStartFailingBackwardsGoesOnToTheNextPattern) {
  fs_.put("in.txt", "12 MAIN\n");
  compile("^ | ?\nCOPY \"ONE\" {XX}\nT | T\nCOPY \"TWO\" {XX}\n^\nCONCAT \"THREE\" {XX}\n");
  int second = -1;
  for (int i = 1; i < sc().instructionCount[0]; ++i) {
    if (sc().instructionArray[0][i] == 101) {
      second = i;
      break;
    }
  }
  ASSERT_GT(second, 0);
  sc().failAddressArray[0][second] = second;
  ASSERT_EQ(next(), 0);
  EXPECT_EQ(field("XX"), "ONETHREE");
}

}  // namespace
}  // namespace tovr::test

namespace tovr::test {
namespace {

class ServiceFailureTest : public EngineTest {};

TEST_F(ServiceFailureTest, MatchKeyThatCannotBeClearedEndsTheRecord) {
  fs_.put("in.txt", "12 MAIN\n");
  compile("^ | ?\nCOPY [2] {SN}\n");
  ASSERT_EQ(TOVR_mkFree(mk_, "ADDR"), 0);
  char text[100];
  TOVR_mkQueryCodeEnum(5, text);
  EXPECT_EQ(next(), 22);
  EXPECT_EQ(console_.text(), std::string(text) + "\n");
}

TEST_F(ServiceFailureTest, ConversionTableThatCannotBeSearchedEndsTheRun) {
  fs_.put("bad.tbl", "; a table without rows\n");
  EXPECT_EQ(run("^ | &\nCONVERT [2] @bad.tbl TKN\nCOPY [2] {XX}\n", "12 STR\n"), 31);
  EXPECT_EQ(console_.text(), "CONVERT: err from tblProx in compareConvertXXX\n");
}

}  // namespace
}  // namespace tovr::test

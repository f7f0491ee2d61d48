// A street-address standardizer end to end: house number, directional, street name, type
// and unit, the post action, the output lines, the keys and the end of the input.
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"

namespace tovr::test {
namespace {

const char kAddressPatterns[] =
    "; street addresses\n"
    "\\POST_START\n"
    "SOUNDEX {SN} {SX}\n"
    "\\POST_END\n"
    "^ | D | ? | T | U | ^\n"
    "COPY [1] {HN}\n"
    "COPY_A [2] {PD}\n"
    "COPY_S [3] {SN}\n"
    "COPY_A [4] {ST}\n"
    "COPY_A [5] {UT}\n"
    "COPY [6] {UV}\n"
    "EXIT\n"
    "^ | D | ? | T\n"
    "COPY [1] {HN}\n"
    "COPY_A [2] {PD}\n"
    "COPY_S [3] {SN}\n"
    "COPY_A [4] {ST}\n"
    "EXIT\n"
    "^ | ? | T\n"
    "COPY [1] {HN}\n"
    "COPY_S [2] {SN}\n"
    "COPY_A [3] {ST}\n";

using Fields = std::vector<std::string>;

class AddressTest : public EngineTest {
 protected:
  Fields fields() {
    return {field("HN"), field("PD"), field("SN"), field("ST"),
            field("UT"), field("UV"), field("SX")};
  }
};

TEST_F(AddressTest, RecordsTakeTheFirstPatternThatFits) {
  fs_.put("in.txt",
          "123 North Main Street Apt 4\n"
          "456 ELM AVE\n"
          "789 W SAINT JAMES RD\n"
          "PO BOX 12\n");
  compile(kAddressPatterns);

  ASSERT_EQ(next(), 0);
  EXPECT_EQ(fields(), (Fields{"123", "N", "MAIN", "ST", "APT", "4", "M500"}));
  EXPECT_STREQ(area_, "123 North Main Street Apt 4\n");
  EXPECT_STREQ(original_, "123 North Main Street Apt 4\n");
  EXPECT_EQ(std::string(keys_), "123   N MAIN                ST  APT 4     M500            ");

  ASSERT_EQ(next(), 0);
  EXPECT_EQ(fields(), (Fields{"456", "", "ELM", "AVE", "", "", "E450"}));

  ASSERT_EQ(next(), 0);
  EXPECT_EQ(fields(), (Fields{"789", "W", "SAINT JAMES", "RD", "", "", "S532"}));

  // No pattern fits: no field is written, the post action does not run, the key is blank.
  ASSERT_EQ(next(), 0);
  EXPECT_EQ(fields(), (Fields{"", "", "", "", "", "", ""}));
  EXPECT_EQ(std::string(keys_), std::string(58, ' '));

  EXPECT_EQ(next(), 11);
  EXPECT_EQ(console_.text(), "");
  EXPECT_EQ(output(),
            "123   N MAIN                ST  APT 4     M500            123 North Main Street "
            "Apt 4\n"
            "456     ELM                 AVE           E450            456 ELM AVE\n"
            "789   W SAINT JAMES         RD            S532            789 W SAINT JAMES RD\n" +
                std::string(58, ' ') + "PO BOX 12\n");
}

TEST_F(AddressTest, DebugFlagTracesMatchesAndFieldWrites) {
  fs_.put("in.txt", "456 ELM AVE\n");
  compile(kAddressPatterns, std::string(kAddrStandardizer) + "DEBUG\n");
  ASSERT_EQ(next(), 0);
  EXPECT_EQ(output(),
            "Pattern matched: ^ | ? | T\n"
            "HN = 456\n"
            "SN = ELM\n"
            "ST = AVE\n"
            "SX = E450\n"
            "456     ELM                 AVE           E450            456 ELM AVE\n");
}

TEST_F(AddressTest, EmptyInputOnTheFirstCallIsReported) {
  fs_.put("in.txt", "");
  compile(kAddressPatterns);
  EXPECT_EQ(next(), 11);
  EXPECT_EQ(console_.text(), "input file is empty\n");
  EXPECT_EQ(first_, 1);
}

TEST_F(AddressTest, TestCountEndsTheInput) {
  fs_.put("in.txt", "1 A ST\n2 B ST\n3 C ST\n");
  compile(kAddressPatterns, std::string(kAddrStandardizer) + "TEST 2\n");
  EXPECT_EQ(next(), 0);
  EXPECT_EQ(first_, 0);
  EXPECT_EQ(next(), 0);
  EXPECT_EQ(next(), 11);
  EXPECT_EQ(console_.text(), "Number of records processed == TEST (minus any SKIPped)\n");
}

TEST_F(AddressTest, OutputRecordLengthPadsEveryLine) {
  fs_.put("in.txt", "1 A ST\n");
  compile(kAddressPatterns, std::string(kAddrStandardizer) + "OUTRECORD 80\n");
  ASSERT_EQ(next(), 0);
  const std::string line = output();
  ASSERT_EQ(line.size(), 81u);
  EXPECT_EQ(line.substr(58, 6), "1 A ST");
  EXPECT_EQ(line.substr(64), std::string(16, ' ') + "\n");
}

}  // namespace
}  // namespace tovr::test

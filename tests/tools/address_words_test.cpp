// The word classes of the US address example: the classification table loads, and the
// tokens of typical lines get the classes and abbreviations that the patterns are written
// for. A class that changes here breaks patterns silently, so it is checked at this level.
#include <gtest/gtest.h>

#include <string>

#include "cli_runner.h"
#include "matchkey/tables/table_registry.h"
#include "stanengine/tokenizer.h"

namespace tovr::test {
namespace {

class AddressWords : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(tblInit(&registry_), 0);
    ASSERT_EQ(tkInit(&tokenizer_), 0);
    int row = -1;
    std::string table = examples_dir() + "/us-address/usaddr.cls";
    ASSERT_EQ(tkLoadTable(registry_, "ClsTbl0", table.c_str(), &row), 0) << "row " << row;
  }
  void TearDown() override {
    tkClose(tokenizer_);
    tblClose(registry_);
  }

  // Classes of the tokens of a line, one character each, with the standardizer's lists.
  std::string classes(const std::string& line) {
    Token* list = nullptr;
    EXPECT_EQ(tkTokenize(tokenizer_, registry_, 0, line.c_str(), "ClsTbl0", kTkEngineModes,
                         " ()-/,#&;:", " ,.'`;:", kTkEnginePrefix, &list),
              0);
    int count = 0;
    tkGetN(tokenizer_, 0, &count);
    std::string out;
    for (int i = 0; i < count; ++i) out += list[i].TokenClass;
    last_ = list;
    return out;
  }

  std::string abbrev(int token) const { return last_[token].TokenAbbrev; }

  TableRegistry* registry_ = nullptr;
  Tokenizer* tokenizer_ = nullptr;
  Token* last_ = nullptr;
};

TEST_F(AddressWords, StreetLinesGetNumberNameTypeAndDirectionals) {
  EXPECT_EQ(classes("123 N MAIN ST APT 4"), "^D?TU^");
  EXPECT_EQ(abbrev(1), "N");
  EXPECT_EQ(abbrev(3), "ST");
  EXPECT_EQ(abbrev(4), "APT");
  EXPECT_EQ(classes("4100 EAST WASHINGTON BOULEVARD SOUTHWEST"), "^D?TD");
  EXPECT_EQ(abbrev(1), "E");
  EXPECT_EQ(abbrev(3), "BLVD");
  EXPECT_EQ(abbrev(4), "SW");
  EXPECT_EQ(classes("1 MARTIN LUTHER KING JR BLVD"), "^????T");
}

TEST_F(AddressWords, NumbersOrdinalsAndFractionsComeFromTheCharacters) {
  EXPECT_EQ(classes("123A 21ST ST"), ">>T");
  EXPECT_EQ(classes("123 1/2 W THIRD ST #4B"), "^^/^DOT#>");
  EXPECT_EQ(abbrev(5), "3RD");
  EXPECT_EQ(classes("UNIT A2"), "U<");
}

TEST_F(AddressWords, BoxesRoutesAndHighwaysHaveTheirOwnClasses) {
  EXPECT_EQ(classes("P.O. BOX 12"), "PB^");
  EXPECT_EQ(classes("POST OFFICE BOX 12"), "PUB^");
  EXPECT_EQ(classes("RURAL ROUTE 2 BOX 15"), "RH^B^");
  EXPECT_EQ(abbrev(0), "RR");
  EXPECT_EQ(classes("US HIGHWAY 41 N"), "CH^D");
  EXPECT_EQ(classes("COUNTY ROAD 12"), "CT^");
  EXPECT_EQ(abbrev(0), "CO");
  EXPECT_EQ(classes("I-95"), "H-^");
}

TEST_F(AddressWords, MisspeltLongTypesAreTakenButNamesStayUnknown) {
  EXPECT_EQ(classes("OAK AVENEU"), "?T");
  EXPECT_EQ(abbrev(1), "AVE");
  EXPECT_EQ(classes("ELM STRET"), "?T");
  EXPECT_EQ(classes("VISTA TERACE"), "TT");
  // Names near a type word stay unknown words: only long type words take near misses, and
  // only at a score of 850 or more.
  EXPECT_EQ(classes("CENTRAL CORNELL DIVISION CAMELBACK STONEBRIDGE PARKER"), "??????");
  // Short type words are taken exactly only.
  EXPECT_EQ(classes("STR STE STA"), "TUT");
  EXPECT_EQ(classes("STRR"), "?");
}

}  // namespace
}  // namespace tovr::test

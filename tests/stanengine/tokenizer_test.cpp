#include "stanengine/tokenizer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "matchkey/tables/table_registry.h"
#include "support/test_support.h"

namespace tovr {
namespace {

constexpr const char* kSeparators = " ()-/,#&;:";
constexpr const char* kStrip = " ,.'`;:";

// Rows are in key order, so row numbers stay those of the file after the table is sorted.
constexpr const char* kStreetTable =
    "MAIN     MAIN    S\n"
    "MARTHA   MARTHA  N  800\n"
    "MARY     MARY    N  \"\"\n"
    "NORTH    N       D  0\n"
    "STREET   ST      T\n";

class TokenizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(tkInit(&tk_), kTkOk);
    ASSERT_EQ(tblInit(&reg_), kTblOk);
    fs_.put("street.cls", kStreetTable);
    int row = -1;
    ASSERT_EQ(tkLoadTable(reg_, "ClsTbl0", "street.cls", &row), kTkOk);
    EXPECT_EQ(row, 0);
  }
  void TearDown() override {
    tkClose(tk_);
    tblClose(reg_);
  }

  int cut(const std::string& text, const char* modes = kTkEngineModes, int table = 0) {
    return tkTokenize(tk_, reg_, table, text.c_str(), "ClsTbl0", modes, kSeparators, kStrip,
                      kTkEnginePrefix, &list_);
  }
  int count(int table = 0) {
    int n = -1;
    EXPECT_EQ(tkGetN(tk_, table, &n), kTkOk);
    return n;
  }
  // Values and classes of the list as "VALUE/CLASS" words joined by blanks.
  std::string summary(int table = 0) {
    std::string out;
    for (int i = 0; i < count(table); ++i) {
      out += (i ? " " : "") + std::string(list_[i].TokenValue) + "/" + list_[i].TokenClass;
    }
    return out;
  }
  // Line, column and position of each token as "line:col:pos".
  std::string places() {
    std::string out;
    for (int i = 0; i < count(); ++i) {
      const Token& t = list_[i];
      out += (i ? " " : "") + std::to_string(t.TokenLine) + ":" + std::to_string(t.TokenCol) + ":" +
             std::to_string(t.TokenPosition);
    }
    return out;
  }

  test::MemFs fs_;
  Tokenizer* tk_ = nullptr;
  TableRegistry* reg_ = nullptr;
  Token* list_ = nullptr;
};

TEST_F(TokenizerTest, ClassesByCharacterPatternAndModeLetters) {
  struct Case {
    const char* text;
    const char* modes;
    const char* expected;
  };
  const Case cases[] = {
      {"A12", "UNAMS", "A12/<"}, {"12A", "UNAMS", "12A/>"}, {"A1B", "UNAMS", "A1B/@"},
      {"1A2", "UNAMS", "1A2/@"}, {"-12", "UNAMS", "-12/~"}, {"123", "", "123/^"},
      {"A12", "N", "A12/!"},     {"12A", "A", "12A/!"},     {"A1B", "NAS", "A1B/!"},
      {"-12", "UNAM", "-12/!"},  {"A!", "a", "A!/<"},       {"A!B", "m", "A!B/@"},
      {"12AB", "n", "12AB/>"},   {"12!4", "M", "12!4/@"},   {"A1!", "M", "A1!/@"},
      {"ZZQ", "UNAMS", "ZZQ/?"}, {"1!A", "N", "1!A/>"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(tkTokenize(tk_, reg_, 0, c.text, "ClsTbl0", c.modes, "", "", 1, &list_), kTkOk)
        << c.text;
    EXPECT_EQ(summary(), c.expected) << c.text << " with " << c.modes;
  }
  EXPECT_EQ(cut("A", "UNAMSX"), kTkBadMode);
  EXPECT_EQ(cut("A", "unamsco"), kTkOk);
}

TEST_F(TokenizerTest, DefaultListsSeparateStripAndKeepSeparators) {
  ASSERT_EQ(cut("12-B MAIN"), kTkOk);
  EXPECT_EQ(summary(), "12/^ -/- B/? MAIN/S");
  EXPECT_EQ(places(), "1:1:1 1:3:2 1:4:3 1:6:4");
  const Token& dash = list_[1];
  EXPECT_EQ(dash.TokenLen, 1);
  EXPECT_EQ(dash.TokenWeight, 900.0f);
  EXPECT_STREQ(dash.TokenClose, "-");
  EXPECT_STREQ(dash.TokenOCR, "");
  EXPECT_STREQ(list_[3].TokenAbbrev, "MAIN");

  ASSERT_EQ(cut("p.o. box o'neil,  st."), kTkOk);
  EXPECT_EQ(summary(), "PO/? BOX/? ONEIL/? ST/?");
  ASSERT_EQ(cut("north (main)", "NAMS"), kTkOk);
  EXPECT_EQ(summary(), "north/D (/( main/S )/)");
  EXPECT_STREQ(list_[2].TokenClose, "main");

  // The lists of one call must not leak into the next.
  ASSERT_EQ(tkTokenize(tk_, reg_, 0, "AXB", "ClsTbl0", "U", "X", "", 1, &list_), kTkOk);
  EXPECT_EQ(summary(), "A/? X/X B/?");
  ASSERT_EQ(cut("AXB-C"), kTkOk);
  EXPECT_EQ(summary(), "AXB/? -/- C/?");
}

TEST_F(TokenizerTest, LinesColumnsAndPositions) {
  ASSERT_EQ(cut("A\nB"), kTkOk);
  EXPECT_EQ(places(), "1:1:1 2:1:1");
  ASSERT_EQ(cut("\nA B\r\n  C-D"), kTkOk);
  EXPECT_EQ(places(), "2:1:1 2:3:2 4:3:1 4:4:2 4:5:3");
}

TEST_F(TokenizerTest, WordAndTokenLimits) {
  const std::string long_word(45, 'W');
  ASSERT_EQ(cut(long_word + " X"), kTkOk);
  EXPECT_EQ(summary(), std::string(39, 'W') + "/? X/?");
  EXPECT_EQ(list_[0].TokenLen, 39);

  std::string text;
  for (int i = 0; i < 200; ++i) text += "A ";
  ASSERT_EQ(cut(text), kTkOk);
  EXPECT_EQ(count(), 200);
  Token t = list_[0];
  EXPECT_EQ(tkInsertToken(tk_, 0, 0, &t), kTkTooManyTokens);
  EXPECT_EQ(tkInsertToken(tk_, 0, 1, &t), kTkTooManyTokens);
  EXPECT_EQ(tkInsertToken(tk_, 0, -200, &t), kTkOk);
  EXPECT_EQ(cut(text + "B"), kTkTooManyTokens);
  EXPECT_EQ(count(), 0);
}

TEST_F(TokenizerTest, NearEntriesNeedTheirThreshold) {
  ASSERT_EQ(cut("MARHTA"), kTkOk);  // scores 850 against MARTHA, whose threshold is 800
  EXPECT_EQ(list_[0].TokenClass, 'N');
  EXPECT_EQ(list_[0].TokenWeight, 850.0f);
  EXPECT_STREQ(list_[0].TokenAbbrev, "MARTHA");
  EXPECT_STREQ(list_[0].TokenClose, "MARTHA");
  EXPECT_STREQ(list_[0].TokenValue, "MARHTA");

  ASSERT_EQ(cut("MAYR"), kTkOk);  // scores 825 against MARY, which has no threshold
  EXPECT_EQ(summary(), "MAYR/?");
  EXPECT_EQ(list_[0].TokenWeight, 0.0f);
  EXPECT_STREQ(list_[0].TokenClose, "MAYR");

  // MARTHA (850) refuses; MARTHE (740) is the next best and takes it at exactly its value.
  fs_.put("tight.cls", "MARTHA MARTHA N 851\nMARTHE MARTHE P 740\n");
  int row = -1;
  ASSERT_EQ(tkLoadTable(reg_, "Tight", "tight.cls", &row), kTkOk);
  ASSERT_EQ(tkTokenize(tk_, reg_, 1, "MARHTA", "Tight", "UNAMS", "", "", 1, &list_), kTkOk);
  EXPECT_EQ(summary(1), "MARHTA/P");
  EXPECT_EQ(list_[0].TokenWeight, 740.0f);
  EXPECT_STREQ(list_[0].TokenClose, "MARTHE");
}

TEST_F(TokenizerTest, EntriesWithBadColumnsFailWhenTaken) {
  fs_.put("odd.cls", "EMPTY E\nLONG LONG AB\n");
  int row = -1;
  ASSERT_EQ(tkLoadTable(reg_, "Odd", "odd.cls", &row), kTkBadTableEntry);
  EXPECT_EQ(row, 2);
  EXPECT_EQ(tkTokenize(tk_, reg_, 0, "EMPTY", "Odd", "UNAMS", "", "", 1, &list_), kTkBadTableEntry);
  EXPECT_EQ(tkTokenize(tk_, reg_, 0, "A B", "Missing", "UNAMS", " ", " ", 1, &list_),
            kTkTableNotFound);
  EXPECT_EQ(count(), 2);  // cut, but classification stopped at the first word
}

TEST_F(TokenizerTest, ClassifyAgainAfterChange) {
  ASSERT_EQ(cut("12 - X"), kTkOk);
  std::strcpy(list_[0].TokenValue, "street");
  ASSERT_EQ(tkClassify(reg_, &list_[0], "ClsTbl0", kTkEngineModes, 1), kTkOk);
  EXPECT_EQ(list_[0].TokenClass, 'T');
  EXPECT_EQ(list_[0].TokenLen, 6);
  EXPECT_STREQ(list_[0].TokenAbbrev, "ST");
  ASSERT_EQ(tkClassify(reg_, &list_[1], "ClsTbl0", kTkEngineModes, 1), kTkOk);
  EXPECT_EQ(list_[1].TokenClass, '~');
  EXPECT_EQ(list_[1].TokenWeight, 0.0f);
  EXPECT_EQ(tkClassify(reg_, &list_[2], "ClsTbl0", "Q", 1), kTkBadMode);
}

TEST_F(TokenizerTest, InsertAppendsInsertsAndReplaces) {
  ASSERT_EQ(cut("A B\nC D"), kTkOk);
  Token t = list_[0];
  std::strcpy(t.TokenValue, "N");
  t.TokenLine = 9;
  ASSERT_EQ(tkInsertToken(tk_, 0, 5, &t), kTkOk);  // n + 1 appends on the last line
  EXPECT_EQ(places(), "1:1:1 1:3:2 2:1:1 2:3:2 9:1:3");
  EXPECT_EQ(list_[4].TokenNumber, 5);

  t.TokenLine = 9;  // beyond the next token's line: takes it
  ASSERT_EQ(tkInsertToken(tk_, 0, 3, &t), kTkOk);
  EXPECT_EQ(summary(), "A/? B/? N/? C/? D/? N/?");
  EXPECT_EQ(places(), "1:1:1 1:3:2 2:1:1 2:1:2 2:3:3 9:1:1");
  t.TokenLine = 1;  // between its neighbours' lines: kept
  ASSERT_EQ(tkInsertToken(tk_, 0, 3, &t), kTkOk);
  EXPECT_EQ(places(), "1:1:1 1:3:2 1:1:3 2:1:1 2:1:2 2:3:3 9:1:1");
  ASSERT_EQ(tkInsertToken(tk_, 0, 1, &list_[6]), kTkOk);  // a token of the list itself
  EXPECT_EQ(places(), "1:1:1 1:1:2 1:3:3 1:1:4 2:1:1 2:1:2 2:3:3 9:1:1");
  t.TokenLine = 1;  // below the line of the token before it: takes the next one's
  ASSERT_EQ(tkInsertToken(tk_, 0, 6, &t), kTkOk);
  EXPECT_EQ(places(), "1:1:1 1:1:2 1:3:3 1:1:4 2:1:1 2:1:2 2:1:3 2:3:4 9:1:1");

  std::strcpy(t.TokenValue, "R");
  t.TokenNumber = t.TokenLine = t.TokenPosition = 77;
  ASSERT_EQ(tkInsertToken(tk_, 0, -2, &t), kTkOk);
  EXPECT_STREQ(list_[1].TokenValue, "R");
  EXPECT_EQ(list_[1].TokenNumber, 2);
  EXPECT_EQ(places(), "1:1:1 1:1:2 1:3:3 1:1:4 2:1:1 2:1:2 2:1:3 2:3:4 9:1:1");

  EXPECT_EQ(tkInsertToken(tk_, 0, 11, &t), kTkTokenNotFound);
  EXPECT_EQ(tkInsertToken(tk_, 0, -10, &t), kTkTokenNotFound);
  EXPECT_EQ(tkInsertToken(tk_, 11, 0, &t), kTkBadTableNumber);

  t.TokenLine = 0;
  ASSERT_EQ(tkInsertToken(tk_, 4, 1, &t), kTkOk);  // a list never tokenized
  EXPECT_EQ(count(4), 1);
  ASSERT_EQ(tkTokenize(tk_, reg_, 4, "", "ClsTbl0", "", "", "", 1, &list_), kTkOk);
  ASSERT_EQ(tkInsertToken(tk_, 4, 0, &t), kTkOk);
  EXPECT_EQ(count(4), 1);
  EXPECT_EQ(list_[0].TokenLine, 1);
  EXPECT_EQ(list_[0].TokenPosition, 1);
}

TEST_F(TokenizerTest, ListsAreCountedFreedAndCheckedByNumber) {
  ASSERT_EQ(cut("A B", kTkEngineModes, 10), kTkOk);
  EXPECT_EQ(count(10), 2);
  EXPECT_EQ(count(0), 0);
  EXPECT_EQ(tkFreeToken(tk_, 10), kTkOk);
  EXPECT_EQ(count(10), 0);
  int n = 0;
  for (int bad : {-1, 11}) {
    EXPECT_EQ(cut("A", kTkEngineModes, bad), kTkBadTableNumber);
    EXPECT_EQ(tkGetN(tk_, bad, &n), kTkBadTableNumber);
    EXPECT_EQ(tkFreeToken(tk_, bad), kTkBadTableNumber);
  }
}

TEST_F(TokenizerTest, TokenizingAgainAllocatesNothing) {
  ASSERT_EQ(cut("12 MAIN MARHTA ST"), kTkOk);
  test::AllocationFaults faults;
  ASSERT_EQ(cut("12-B NORTH MARHTA ST"), kTkOk);
  EXPECT_EQ(faults.calls(), 0);
}

TEST(TokenizerTable, RowErrorsGiveTheirRow) {
  struct Case {
    std::string rows;
    int status;
    int row;
  };
  const std::string word39(39, 'W');
  const Case cases[] = {
      {word39 + " A A\n" + word39 + "W A A\n", kTkBadTableEntry, 2},
      {"A " + std::string(26, 'A') + " A\n", kTkBadTableEntry, 1},
      {"A A A\nB B BC\nC C C\n", kTkBadTableEntry, 2},
      {"A A A\nB B B\n", kTkOk, 0},
      {"A A\n", kTkBadTableEntry, 1},
      {"A\n", kTkBadTableEntry, 1},
      {"A A A 900\nB B B\nC C C 900.5\n", kTkBadTableEntry, 3},
      {"A A A -1\n", kTkBadTableEntry, 1},
      {"A A A 0\nB B B x\n", kTkOk, 0},
      {"A A \"\"\n", kTkOk, 0},
      {"\\FORMAT\\ SORT=N\nB B B\nA A A 1000\n", kTkBadTableEntry, 2},
      {"\\FORMAT\\ BOGUS=1\nA A A\n", kTkTableInError, 0},
      {"; only a comment\n", kTkTableInError, 0},
      {"A A\"B A\n", kTkTableInError, 0},
  };
  test::MemFs fs;
  for (const Case& c : cases) {
    TableRegistry* reg = nullptr;
    ASSERT_EQ(tblInit(&reg), kTblOk);
    fs.put("t.cls", c.rows);
    int row = -1;
    EXPECT_EQ(tkLoadTable(reg, "T", "t.cls", &row), c.status) << c.rows;
    EXPECT_EQ(row, c.row) << c.rows;
    tblClose(reg);
  }
  TableRegistry* reg = nullptr;
  ASSERT_EQ(tblInit(&reg), kTblOk);
  int row = -1;
  EXPECT_EQ(tkLoadTable(reg, "None", "none.cls", &row), kTkTableNotFound);
  EXPECT_EQ(tkLoadTable(reg, std::string(120, 'N').c_str(), "t.cls", &row), kTkTableTooLarge);
  tblClose(reg);
}

TEST(TokenizerFaults, AllocationFailuresGiveNoMemory) {
  test::MemFs fs;
  fs.put("street.cls", kStreetTable);
  test::sweep_allocation_failures([](test::AllocationFaults& faults) {
    Tokenizer* tk = nullptr;
    TableRegistry* reg = nullptr;
    const int init = tkInit(&tk);
    EXPECT_EQ(init, tk != nullptr ? kTkOk : kTkInitFailed);
    int status = init == kTkOk ? kTkOk : kTkNoMemory;
    if (status == kTkOk && tblInit(&reg) != kTblOk) status = kTkNoMemory;
    int row = 0;
    if (status == kTkOk) status = tkLoadTable(reg, "Cls", "street.cls", &row);
    Token* list = nullptr;
    if (status == kTkOk) {
      status = tkTokenize(tk, reg, 0, "MARHTA 12", "Cls", "UNAMS", " ", "", 1, &list);
    }
    EXPECT_EQ(status, faults.injected() ? kTkNoMemory : kTkOk);
    tkClose(tk);
    tblClose(reg);
  });
}

TEST(TokenizerMessages, TextsByCode) {
  const std::pair<int, const char*> cases[] = {
      {0, ""},
      {2, "Token class. table \\FORMAT\\ in error"},
      {3, "No memory available for loading token class. table"},
      {10, "Error in parameter to tkFindToken"},
      {11, "Unknown return code"},
      {-1, "Unknown return code"},
  };
  for (const auto& [code, expected] : cases) {
    char text[kTkMessageSize];
    EXPECT_EQ(tkMessage(code, text), kTkOk);
    EXPECT_STREQ(text, expected) << code;
  }
}

}  // namespace
}  // namespace tovr

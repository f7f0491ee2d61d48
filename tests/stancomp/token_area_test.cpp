#include "stancomp/token_area.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovr {
namespace {

std::vector<std::string> split(const std::string& line, bool upper = true,
                               SplitResult* result = nullptr) {
  TokenArea area{};
  const SplitResult r = split_line(line.c_str(), upper, area);
  if (result != nullptr) *result = r;
  return std::vector<std::string>(area.tokens, area.tokens + area.count);
}

using Tokens = std::vector<std::string>;

TEST(SplitLine, BlanksTabsAndParenthesesSeparateAndAreDropped) {
  EXPECT_EQ(split("standardize Addr\t(1 30)(31 10)\n"),
            (Tokens{"STANDARDIZE", "ADDR", "1", "30", "31", "10"}));
  EXPECT_EQ(split("STANDARDIZE Addr (1 30)", false), (Tokens{"STANDARDIZE", "Addr", "1", "30"}));
  EXPECT_TRUE(split("  \t ( ) \r\n").empty());
}

TEST(SplitLine, HyphenIsAlwaysATokenOfItsOwn) {
  EXPECT_EQ(split("LINE 2-3 (1-30) - x"),
            (Tokens{"LINE", "2", "-", "3", "1", "-", "30", "-", "X"}));
  EXPECT_EQ(split("a--b"), (Tokens{"A", "-", "-", "B"}));
}

TEST(SplitLine, SemicolonStartsACommentExceptOnDelimiterLines) {
  EXPECT_EQ(split("RECORD 80 ; the size\n"), (Tokens{"RECORD", "80"}));
  EXPECT_EQ(split("RECORD 80;x"), (Tokens{"RECORD", "80"}));
  EXPECT_EQ(split("DELIMITER ITEM ;\n"), (Tokens{"DELIMITER", "ITEM", ";"}));
  EXPECT_EQ(split("  delimiter item ;;a;b"), (Tokens{"DELIMITER", "ITEM", ";", ";", "A;B"}));
  EXPECT_EQ(split("DELIMITERS ITEM ;"), (Tokens{"DELIMITERS", "ITEM"}));
}

TEST(SplitLine, LineEndsAtCarriageReturnOrLineFeed) {
  EXPECT_EQ(split("INFILE a\rb c"), (Tokens{"INFILE", "A"}));
  EXPECT_EQ(split("INFILE a\nb c"), (Tokens{"INFILE", "A"}));
}

TEST(SplitLine, TwentyTokensFitAndATwentyFirstFails) {
  std::string line = "KEYORDER";
  for (int i = 1; i < 20; ++i) line += " K" + std::to_string(i);
  SplitResult r;
  EXPECT_EQ(split(line, true, &r).size(), 20u);
  EXPECT_EQ(r, SplitResult::kOk);
  split(line + " K20", true, &r);
  EXPECT_EQ(r, SplitResult::kTooManyTokens);
  split(line + " -", true, &r);
  EXPECT_EQ(r, SplitResult::kTooManyTokens);
}

TEST(SplitLine, TokensOfSixtyOneCharactersFitAndLongerOnesFail) {
  SplitResult r;
  const std::string fits(61, 'x');
  EXPECT_EQ(split("INFILE " + fits, false, &r), (Tokens{"INFILE", fits}));
  EXPECT_EQ(r, SplitResult::kOk);
  split("INFILE " + fits + "y", false, &r);
  EXPECT_EQ(r, SplitResult::kTokenTooLong);
}

}  // namespace
}  // namespace tovr

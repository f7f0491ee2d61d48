// The query language: tokens and term modes, the grammar, selectors, precedence and the
// error positions of TOVR_dbParse's front end.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "index/QueryParser.h"
#include "query_test_util.h"

namespace tovr::test {
namespace {

class QueryLanguage : public ::testing::Test {
 protected:
  // The program of text, or "error N".
  std::string compile(const std::string& text) {
    const int result = parse_query(text.c_str(), indexes_.sources(), &program_);
    if (result != kParseOk) return "error " + std::to_string(result);
    EXPECT_TRUE(well_formed(program_)) << text;
    return program_text(program_, indexes_);
  }
  int error_of(const std::string& text) {
    return parse_query(text.c_str(), indexes_.sources(), &program_);
  }
  const ProgramEntry& term(int i) const { return program_.entries[i]; }

  FakeIndexes indexes_;
  QueryProgram program_;
};

TEST_F(QueryLanguage, PrecedenceAndImplicitAnd) {
  EXPECT_EQ(compile("a b"), "a b &");
  EXPECT_EQ(compile("a & b"), "a b &");
  EXPECT_EQ(compile("a b c"), "a b & c &");
  EXPECT_EQ(compile("a | b"), compile("a / b"));
  EXPECT_EQ(compile("!a"), compile("#a"));
  EXPECT_EQ(compile("#a"), "a #");
  EXPECT_EQ(compile("a & b / c"), "a b & c /");
  EXPECT_EQ(compile("a / b & c"), "a b c & /");
  EXPECT_EQ(compile("a $ b / c"), "a b $ c /");
  EXPECT_EQ(compile("a / b $ c"), "a b / c $");
  EXPECT_EQ(compile("a b / c d"), "a b & c d & /");
  EXPECT_EQ(compile("#a & b"), "a # b &");
  EXPECT_EQ(compile("a & #b"), "a b # &");
  EXPECT_EQ(compile("#(a / b)"), "a b / #");
  EXPECT_EQ(compile("##a"), "a # #");
  EXPECT_EQ(compile("(a / b) & c"), "a b / c &");
  EXPECT_EQ(compile("a&(b/(c$d))"), "a b c d $ / &");
  EXPECT_EQ(compile("a/b \"c\""), "a b c & /");
  EXPECT_EQ(compile("a/b\"c\""), "a b\"c\" /");
}

TEST_F(QueryLanguage, TermsQuotesAndModes) {
  EXPECT_EQ(compile("\"a b&c)\" d"), "a b&c) d &");
  EXPECT_EQ(compile("\"a?b\""), "a?b");
  EXPECT_EQ(term(0).mode, kExactTerm);

  struct Case {
    const char* text;
    const char* key;
    uint8_t mode;
  } cases[] = {
      {"abc", "abc", kExactTerm},           {"abc?", "abc", kSimilarTerm},
      {"\"ab c\"?", "ab c", kSimilarTerm},  {"abc+", "abc", kHeadTerm},
      {"ab+\\cd", "ab\\cd", kHeadTerm},     {"ab\\cd+", "ab\\cd", kTailTerm},
      {"ab+\\cd+", "ab\\cd", kSimilarTerm}, {"ab\\", "ab\\", kAllTailsTerm},
      {"ab\\cd", "ab\\cd", kAllTailsTerm},  {"\"a+b\\\"", "ab\\", kHeadTerm},
      {"\"a\\b+\"", "a\\b", kTailTerm},     {"a\"b", "a\"b", kExactTerm},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(error_of(c.text), 0) << c.text;
    ASSERT_EQ(program_.count, 1) << c.text;
    EXPECT_STREQ(term(0).key, c.key) << c.text;
    EXPECT_EQ(term(0).mode, c.mode) << c.text;
    EXPECT_EQ(term(0).index, indexes_.base()) << c.text;
  }
  // "?" ends an unquoted term; what follows is the next term.
  EXPECT_EQ(compile("ab?cd"), "ab cd &");
  EXPECT_EQ(term(0).mode, kSimilarTerm);
  EXPECT_EQ(term(1).mode, kExactTerm);
  // Tabs and line ends separate like blanks.
  EXPECT_EQ(compile("a\tb\r\n"), "a b &");
}

TEST_F(QueryLanguage, GrammarParenthesisAndSelectorErrorsGiveOneBasedPositions) {
  const std::pair<const char*, int> cases[] = {
      {"& a", 1},          {"a &", 3},           {"a & & b", 5}, {"a (b)", 3}, {"(a) b", 5},
      {"(a) #b", 5},       {"a #b", 3},          {"( )", 3},     {"# / a", 3}, {"= a", 1},
      {"a = = b", 5},      {"(a) = b", 5},       {"CITY =", 6},  {"", 1},      {"   ", 1},
      {"( a", 1},          {"x & ((a)", 5},      {"a )", 3},     {"(a))", 4},  {"NOPE = a", 1},
      {"a & nope = b", 5}, {"CITYCITYC = a", 1},
  };
  for (const auto& [text, position] : cases) {
    EXPECT_EQ(error_of(text), position) << text;
    EXPECT_EQ(program_.count, 0);
  }
  EXPECT_EQ(error_of(std::string(14, '(') + "a" + std::string(14, ')')), 0);
  EXPECT_EQ(error_of(std::string(15, '(') + "a" + std::string(15, ')')), 15);
}

TEST_F(QueryLanguage, TokenErrorsGiveZeroBasedCharacterIndexes) {
  const std::string key79(79, 'k');
  EXPECT_EQ(error_of(key79), 0);
  EXPECT_EQ(std::string(term(0).key), key79);
  EXPECT_EQ(error_of(std::string(80, 'k')), 79);
  EXPECT_EQ(error_of(std::string("ab ") + std::string(80, 'k')), 82);
  EXPECT_EQ(error_of(std::string(1, '"') + std::string(80, 'k') + "\""), 80);
  // The suffix characters are not part of the key.
  EXPECT_EQ(error_of(key79 + "+?"), 0);
  EXPECT_EQ(error_of("a \"bc"), 5);
  EXPECT_EQ(error_of("\""), 1);

  // 100 tokens pass; the 101st is refused at its first character.
  std::string tokens;
  for (int i = 0; i < 49; ++i) tokens += "x ";
  EXPECT_EQ(error_of(tokens + "x"), 0);  // 50 terms and 49 "&"
  EXPECT_EQ(error_of(tokens + "x y"), 100);
  EXPECT_EQ(error_of(std::string(101, '#') + "a"), 100);
}

TEST_F(QueryLanguage, SelectorsSearchOtherSequences) {
  EXPECT_EQ(compile("CITY = a b"), "a@CITY b &");
  EXPECT_EQ(compile("zip=a / b"), "a@ZIP b /");
  EXPECT_EQ(compile("ZIP = (a / b) c"), "error 15");
  EXPECT_EQ(compile("ZIP = (a / b) & c"), "a@ZIP b@ZIP / c &");
  EXPECT_EQ(compile("ZIP = (a & CITY = (b / c) & d) & e"), "a@ZIP b@CITY c@CITY / & d@ZIP & e &");
  EXPECT_EQ(compile("ZIP = #a"), "a@ZIP #");
  EXPECT_EQ(compile("ZIP = #(a b)"), "a@ZIP b@ZIP & #");
  EXPECT_EQ(compile("\"CITY\" = \"a b\""), "a b@CITY");
  EXPECT_EQ(compile("a (CITY = b)"), "error 3");
}

TEST_F(QueryLanguage, AnyTextGivesAProgramOrAPosition) {
  std::mt19937 rng(11);
  const std::string alphabet = "()&/|#!$=\"+?\\ ab\x01\xff";
  for (int round = 0; round < 20000; ++round) {
    std::string text(rng() % 40, ' ');
    for (char& c : text) {
      c = rng() % 4 == 0 ? static_cast<char>(1 + rng() % 255) : alphabet[rng() % alphabet.size()];
    }
    const int result = error_of(text);
    ASSERT_GE(result, 0) << text;
    ASSERT_LE(result, static_cast<int>(text.size()) + 1) << text;
    if (result == kParseOk) {
      ASSERT_TRUE(well_formed(program_)) << text;
    } else {
      ASSERT_EQ(program_.count, 0);
    }
  }
}

TEST_F(QueryLanguage, LongTextsReportPositionsBelowTheResultCodes) {
  EXPECT_EQ(error_of(std::string(70000, ' ') + ")"), kMaxErrorPosition);
  EXPECT_EQ(error_of(std::string(70000, ' ') + "\"abc"), kMaxErrorPosition);
}

}  // namespace
}  // namespace tovr::test

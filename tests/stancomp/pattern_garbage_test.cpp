// Arbitrary input: lines built from the language's own characters and from stray bytes never
// overrun a buffer (run under the sanitizers), and every compile releases what it built.
#include <random>
#include <string>

#include "pattern_fixture.h"

namespace tovr::test {
namespace {

using PatternGarbage = PatternFixture;

std::string random_line(std::mt19937& rng, bool action) {
  static const char* const kPieces[] = {
      "A", "S", "?", "^", "|", " | ", "*", "**", "#", "%", "%-2", "%99", "!", "+", "&", "$",
      "n", "1", "0", "12*", "\\", "{SN}", "{S", "{}", "(", ")", "(1:n)", "(-c:-1)", ":", "=",
      "[", "]", "\"", "\"ab c\"", "@v.txt", ";", "-", "<", ">", "LEN", "PICT", " ", ",",
      "&&", "||", "!=", "<=", "A=", "T=", "V1", "TKN", "TEMP", "[1]", "[9]", "{NAME}", "\x01",
      "\xff", "\t"};
  static const char* const kCommands[] = {"COPY ", "COPY_A ", "CONCAT ", "PREFIX_A ",
                                          "RETYPE ", "CONVERT ", "CONVERT_P ", "MOVE "};
  std::uniform_int_distribution<int> count(1, 40);
  std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(kPieces)) - 1);
  std::string line;
  if (action) line = kCommands[rng() % std::size(kCommands)];
  for (int n = count(rng); n > 0; --n) line += kPieces[pick(rng)];
  if (rng() % 17 == 0) line += std::string(rng() % 400, static_cast<char>('!' + rng() % 90));
  return line;
}

TEST_F(PatternGarbage, RandomLinesCompileWithoutOverrun) {
  fs_.put("v.txt", "X\n");
  std::mt19937 rng(20240611);
  for (int file = 0; file < 60; ++file) {
    std::string text = "A\nCOPY [1] V1\n";
    // Every pattern line but the last needs an action line after it.
    for (int l = 0; l < 20; ++l) {
      text += random_line(rng, false) + "\n";
      for (int a = 1 + static_cast<int>(rng() % 3); a > 0; --a) text += random_line(rng, true) + "\n";
    }
    console_.clear();
    const int result = compile(text);
    EXPECT_EQ(result, 0) << console_.text().substr(console_.text().size() > 300 ? console_.text().size() - 300 : 0);
    EXPECT_FALSE(console_.text().empty());
    release_pattern_programs(out_, &sc_);
    out_ = StanPatterns{};
    EXPECT_EQ(fs_.open_streams(), 0);
  }
}

// A pattern made of operand forms that are valid on their own; together they may still break
// a rule (a `$` in the middle, a float after `**`).
std::string random_pattern(std::mt19937& rng) {
  static const char* const kFirst[] = {"#A", "%2 A", "%-1n %2 S", "%1n", "*!T", "**"};
  static const char* const kForms[] = {
      "A", "*S", "!T", "?", "+", "&", "**", "$", "n", "3", "-2", "^(1:2)", "(2:n)", "{SN}",
      "{SN}=\"X\"", "S=\"A\",\"B\"", "^=1,2", "^=(1:9)", "? [LEN > 2]", "[V1 = 1]",
      "*^ [ {} >= 3 | LEN = 1 ]", "\\#", "*?", "**(2:3)", "!?", "*&"};
  std::string line;
  const int n = 1 + static_cast<int>(rng() % 8);
  for (int k = 0; k < n; ++k) {
    if (k > 0) line += " | ";
    if (k == 0 && rng() % 4 == 0) {
      line += kFirst[rng() % std::size(kFirst)];
    } else {
      line += kForms[rng() % std::size(kForms)];
    }
  }
  return line;
}

// Every pattern that compiles gets a program whose fail addresses are all resolved.
TEST_F(PatternGarbage, AcceptedRandomPatternsGetResolvedPrograms) {
  fs_.put("v.txt", "X\n");
  std::mt19937 rng(7);
  int accepted = 0;
  for (int file = 0; file < 1500; ++file) {
    const std::string text = random_pattern(rng) + "\nCOPY [1] V1\nA | B\nEXIT\n";
    console_.clear();
    const int result = compile(text);  // 1: a comment left the COPY without its pattern
    if (result == 0 && out_.pattern_error == 0) {
      ++accepted;
      const int n = sc_.instructionCount[0];
      ASSERT_GT(n, 0) << text;
      for (int i = 0; i < n; ++i) {
        const int f = sc_.failAddressArray[0][i];
        ASSERT_TRUE(f == -1 || (f >= 0 && f < n)) << text << " at " << i;
      }
      EXPECT_EQ(sc_.instructionArray[0][n - 1], 300);
    }
    release_pattern_programs(out_, &sc_);
    out_ = StanPatterns{};
  }
  EXPECT_GT(accepted, 300);
}

}  // namespace
}  // namespace tovr::test

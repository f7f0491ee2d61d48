// The search that skips failed placements against the exhaustive one that tries them all: the
// same patterns over the same records must match the same patterns, bind the same tokens to
// each operand and write the same fields, on hand-picked tricky patterns and on many random
// ones.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "stancomp/stan.h"
#include "stanengine/pattern_run.h"

namespace tovr::test {
namespace {

// Eight wide fields, one per operand, so that every binding shows in the trace.
const char kWideDictionary[] =
    "\\FORMAT\\ SORT=N\n"
    "F1 C 60 S\nF2 C 60 S\nF3 C 60 S\nF4 C 60 S\nF5 C 60 S\nF6 C 60 S\nF7 C 60 S\nF8 C 60 S\n";

const char kTracingStandardizer[] =
    "STANDARDIZE ADDR\nRECORD 1024\nINFILE in.txt\nOUTFILE out.txt\nDEBUG\n";

// Each pattern copies every operand to its own field.
std::string with_copies(const std::vector<std::string>& operands) {
  std::string line;
  for (const std::string& o : operands) line += (line.empty() ? "" : " | ") + o;
  line += "\n";
  for (std::size_t k = 0; k < operands.size(); ++k) {
    const std::string& o = operands[k];
    if (o == "$" || o == "n") continue;
    line += "  COPY_S [" + std::to_string(k + 1) + "] {F" + std::to_string(k + 1) + "}\n";
  }
  return line;
}

class SearchMemoTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    fs_.put("ADDR.DCT", kWideDictionary);
  }

  void compile_patterns(const std::string& patterns) { compile(patterns, kTracingStandardizer); }

  // The status, the console and trace text and the key record of one run over text.
  std::string standardize(const std::string& text, SearchMode mode) {
    Stan& s = *as_stan(handle_);
    EXPECT_EQ(TOVR_mkClear(mk_, s.processMatchKey[0]), 0);
    for (char* value : s.patterns.user_vars.values) value[0] = '\0';
    console_.clear();
    const int status = run_process(s, 0, text.c_str(), false, mode);
    return std::to_string(status) + "\n" + console_.text() + output() + "|" +
           s.processMatchKeyContents[0];
  }

  // Runs every record both ways; returns the trace of the remembering search.
  std::string same_both_ways(const std::vector<std::string>& records) {
    std::string all;
    for (const std::string& record : records) {
      const std::string exhaustive = standardize(record, SearchMode::kExhaustive);
      const std::string remembering = standardize(record, SearchMode::kRememberFailures);
      EXPECT_EQ(remembering, exhaustive) << "record: " << record;
      all += remembering;
    }
    return all;
  }
};

TEST_F(SearchMemoTest, TrickyPatternsMatchAsTheExhaustiveSearchDoes) {
  compile_patterns(
      // Repeated classes, the last one missing, then present far right.
      with_copies({"*^", "*^", "*^", "*^", "U"}) +
      // A condition on a later float that only a late placement meets.
      with_copies({"*^", "*^[{} > 50]", "*T", "D"}) +
      // A `**` before searches: it searches on behind what the failed searches left bound.
      with_copies({"**", "^", "*D", "T", "*U", "^"}) +
      with_copies({"**", "T", "*^", "*^", "D", "$"}) +
      // Runs of unknown words, single words and a numeric alpha run, floated.
      with_copies({"*?", "*^", "*2", "*T", "n"}) + with_copies({"*+", "*+", "*+", "*T", "U"}) +
      // Value lists and a field operand written by an earlier pattern.
      with_copies({"*^", "*D=\"N\",\"S\"", "*T=\"ST\"", "{F1}"}) +
      // Two `**` with searches after each.
      with_copies({"**", "D", "*^", "**", "T", "*^", "U"}));
  const std::string trace = same_both_ways({
      "12 7 99 MAIN ST N APT 4\n",
      "12 7 MAIN ST N 99 APT\n",
      "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20\n",
      "12 N 7 ST 99 APT 8 N 60 AVE 3 UNIT 5\n",
      "SAINT JAMES 12 OAK RIDGE 7 AVE\nN 4 ST\n",
      "N 12 ST 7 UNIT 9 S 88 RD 3 APT\n",
      "ELM 12 N 7 ST S 99 ST 4 APT\n",
      "7 12 N 8 ST 12 N ST 99 APT 8 UNIT 4\n",
  });
  // Placements found after going back: the condition holds only for 99; the first N is not
  // followed by a type.
  EXPECT_NE(trace.find("Pattern matched: *^ | *^[{} > 50] | *T | D\n"
                       "F1 = 12\nF2 = 99\nF3 = ST\nF4 = N\n"),
            std::string::npos)
      << trace;
  EXPECT_NE(trace.find("Pattern matched: ** | ^ | *D | T | *U | ^\n"
                       "F1 = \nF2 = 7\nF3 = N\nF4 = ST\nF5 = APT\nF6 = 8\n"),
            std::string::npos)
      << trace;
}

// Random patterns of every operand kind that searches or reads back, over random records
// of up to 16 tokens, some on two lines.
class RandomPatterns {
 public:
  explicit RandomPatterns(unsigned seed) : random_(seed) {}

  std::string pattern() {
    std::vector<std::string> operands;
    const int count = 2 + pick(7);
    bool after_universal = false;
    for (int k = 0; k < count; ++k) {
      const bool last = k == count - 1;
      std::string o = operand(k, last, after_universal);
      after_universal = o == "**";
      operands.push_back(o);
    }
    return with_copies(operands);
  }

  std::string record() {
    static const char* words[] = {"12",  "7",     "99",    "3",   "60", "MAIN", "ELM",  "OAK",
                                  "N",   "S",     "ST",    "AVE", "RD", "APT",  "UNIT", "OAK",
                                  "ELM", "SAINT", "JAMES", "4",   "W",  "1"};
    std::string text;
    const int count = 3 + pick(14);
    for (int i = 0; i < count; ++i) {
      if (i > 0) text += pick(9) == 0 ? "\n" : " ";
      text += words[pick(sizeof words / sizeof words[0])];
    }
    return text + "\n";
  }

 private:
  int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

  std::string operand(int k, bool last, bool after_universal) {
    static const char* plain[] = {"^",
                                  "?",
                                  "+",
                                  "D",
                                  "T",
                                  "U",
                                  "!T",
                                  "&",
                                  "2",
                                  "-1",
                                  "(1:2)",
                                  "^[{} > 50]",
                                  "?[{} LEN > 3]",
                                  "D=\"N\",\"S\"",
                                  "T=\"ST\""};
    static const char* floated[] = {"*^",      "*^", "*?", "*+",          "*D",
                                    "*T",      "*U", "*&", "*^[{} < 30]", "*?[{} PICT = \"cccc\"]",
                                    "*D=\"N\""};
    const int plain_count = sizeof plain / sizeof plain[0];
    const int floated_count = sizeof floated / sizeof floated[0];
    const int roll = pick(20);
    if (k > 0 && last && roll == 0 && !after_universal) return "$";
    if (k > 0 && roll == 1) return "n";
    if (k > 0 && roll == 2) return "{F1}";
    if (roll <= 5) return "**";
    if (roll <= 13 && !after_universal) return floated[pick(floated_count)];
    return plain[pick(plain_count)];
  }

  std::mt19937 random_;
};

TEST_F(SearchMemoTest, RandomPatternsMatchAsTheExhaustiveSearchDoes) {
  RandomPatterns random(20261205);
  for (int file = 0; file < 12; ++file) {
    std::string patterns;
    for (int i = 0; i < 25; ++i) patterns += random.pattern();
    SCOPED_TRACE(patterns);
    compile_patterns(patterns);
    std::vector<std::string> records;
    for (int i = 0; i < 25; ++i) records.push_back(random.record());
    const std::string trace = same_both_ways(records);
    EXPECT_NE(trace.find("Pattern matched"), std::string::npos);
    if (HasFailure()) return;
  }
}

// A `**` first, then plain and floated operands of three classes over records of those
// classes only: searches are entered again at the same tokens after the `**` moves on.
TEST_F(SearchMemoTest, UniversalThenFloatsMatchAsTheExhaustiveSearchDoes) {
  std::mt19937 random(5);
  const char* classes[] = {"^", "T", "D"};
  const char* floated[] = {"*^", "*T", "*D"};
  const char* words[] = {"1", "ST", "N"};
  for (int file = 0; file < 10; ++file) {
    std::string patterns;
    for (int i = 0; i < 20; ++i) {
      std::vector<std::string> operands = {"**", classes[random() % 3]};
      for (int n = 2 + random() % 5; n > 0; --n) {
        operands.push_back(random() % 2 ? floated[random() % 3] : classes[random() % 3]);
      }
      patterns += with_copies(operands);
    }
    SCOPED_TRACE(patterns);
    compile_patterns(patterns);
    std::vector<std::string> records;
    for (int i = 0; i < 20; ++i) {
      std::string text;
      for (int n = 8 + random() % 20; n > 0; --n) text += std::string(words[random() % 3]) + " ";
      records.push_back(text + "\n");
    }
    same_both_ways(records);
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace tovr::test

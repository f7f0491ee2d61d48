// tovr match: ranking candidates with a rules file, explaining a score field by field, and
// reporting rules-file errors.
#include <gtest/gtest.h>

#include <string>

#include "cli_runner.h"
#include "support/test_support.h"

namespace tovr::test {
namespace {

class MatchCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = scratch_dir(
        "match_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  }

  CliResult match(std::vector<std::string> extra, const std::string& input = "",
                  const std::string& rules = "") {
    std::string geo = examples_dir() + "/geocode";
    std::vector<std::string> args{"match",
                                  "--spec",
                                  examples_dir() + "/us-address/usaddr.spc",
                                  "--rules",
                                  rules.empty() ? geo + "/city.rul" : rules,
                                  "--candidates",
                                  geo + "/city_segments.txt"};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_cli(args, input);
  }

  std::string dir_;
};

// Line of segment S00002 (E MAIN ST, 101-199 / 100-198) in the reference file: four
// comment lines come first.
constexpr const char* kEastMainBlock2 = "6";

TEST_F(MatchCommand, BestCandidateComesFirstWithWeightSideAndPosition) {
  CliResult r = match(
      {"--set", "HN=125", "--set", "PD=E", "--set", "SN=MAIN", "--set", "ST=ST", "--top", "2"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 5u) << r.out;
  EXPECT_EQ(lines[0], "record 1");
  EXPECT_EQ(lines[1], "  key: HN=125; PD=E; SN=MAIN; ST=ST");
  EXPECT_EQ(lines[2], "  rank  line  weight  side  position  result  candidate");
  // All four fields agree: 656 (name) + 258 (directional) + 308 (type) + 0 (no
  // post-directional on either side) + 556 (number in the left range).
  std::string best =
      std::string("     1     ") + kEastMainBlock2 + "    1778     L      24.5  match   ";
  EXPECT_EQ(lines[3].substr(0, best.size()), best) << lines[3];
  EXPECT_NE(lines[3].find("S00002 E MAIN ST 101 199 100 198"), std::string::npos) << lines[3];
  // The runner-up is the same block west of CENTRAL AVE: only the directional disagrees.
  EXPECT_NE(lines[4].find("    1212     L      24.5  match   S00008 W MAIN ST"), std::string::npos)
      << lines[4];
}

TEST_F(MatchCommand, ExplainGivesEachComparisonAndTheyAddUpToTheTotal) {
  CliResult r =
      match({"--set", "HN=125", "--set", "PD=W", "--set", "SN=MAPEL", "--top", "1", "--explain"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = lines_of(r.out);
  ASSERT_GE(lines.size(), 11u) << r.out;
  // The fields in the order the matcher visits them: by the variables of the rules file.
  EXPECT_NE(lines[5].find("CHAR"), std::string::npos) << r.out;
  EXPECT_NE(lines[5].find("PD=W"), std::string::npos);
  EXPECT_NE(lines[6].find("UNCERT"), std::string::npos);
  EXPECT_NE(lines[6].find("SN=MAPEL"), std::string::npos);
  EXPECT_NE(lines[6].find("NAME=MAPLE"), std::string::npos);
  EXPECT_NE(lines[9].find("D_INT"), std::string::npos);
  EXPECT_NE(lines[9].find("HN=125"), std::string::npos);
  EXPECT_NE(lines[9].find("LFROM="), std::string::npos);
  ASSERT_EQ(lines[10].rfind("        total", 0), 0u) << lines[10];

  int sum = 0;
  for (int i = 5; i <= 9; ++i) sum += std::stoi(lines[i].substr(lines[i].size() - 6));
  int total = std::stoi(lines[10].substr(lines[10].size() - 6));
  int ranked = std::stoi(lines[3].substr(14, 6));
  EXPECT_EQ(sum, total);
  EXPECT_EQ(total, ranked) << "the field weights add up to the weight of the candidate";
  // Misspelt name: partial agreement, between the two extremes.
  int name_weight = std::stoi(lines[6].substr(lines[6].size() - 6));
  EXPECT_GT(name_weight, -430);
  EXPECT_LT(name_weight, 656);
}

TEST_F(MatchCommand, RecordsFromInputAreStandardizedFirst) {
  CliResult r = match({"--top", "1"}, "125 E MAIN ST\n233 N PINE AV\n");
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 8u) << r.out;
  EXPECT_EQ(lines[0], "record 1  <stdin>:1  125 E MAIN ST");
  EXPECT_NE(lines[3].find("S00002"), std::string::npos) << lines[3];
  EXPECT_EQ(lines[4], "record 2  <stdin>:2  233 N PINE AV");
  EXPECT_EQ(lines[5], "  key: HN=233; PD=N; SN=PINE; ST=AVE");
  EXPECT_NE(lines[7].find("S00221"), std::string::npos) << lines[7];
}

TEST_F(MatchCommand, RulesErrorsAreListedWithLinesAndInTheListingFile) {
  std::string rules = dir_ + "/bad.rul";
  write_text(rules,
             "VAR NAME 11 28 S\n"
             "MATCH UNCERT SN NAME 0.1 0.9 700\n"
             "MATCH CHAR XX NAME 0.9 0.1\n");
  std::string listing = dir_ + "/bad.lst";
  CliResult r = match({"--set", "SN=MAIN", "--listing", listing}, "", rules);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("*** LINE 2 ***"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("UPROB greater than MPROB"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("*** LINE 3 ***"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Match key field undefined"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("tovr: " + rules + ": Critical syntax errors have occurred"),
            std::string::npos)
      << r.err;
  EXPECT_NE(read_text(listing).find("*** LINE 3 ***"), std::string::npos);
}

TEST_F(MatchCommand, AnUnknownFieldOrLayoutIsRefused) {
  CliResult field = match({"--set", "ZZ=1"});
  EXPECT_EQ(field.status, 1);
  EXPECT_NE(field.err.find("match key usaddr has no field 'ZZ'"), std::string::npos) << field.err;
  CliResult layout = match({"--set", "SN=MAIN", "--key", "nokey"});
  EXPECT_EQ(layout.status, 1);
  EXPECT_NE(layout.err.find("no match key layout 'nokey'"), std::string::npos) << layout.err;
}

}  // namespace
}  // namespace tovr::test

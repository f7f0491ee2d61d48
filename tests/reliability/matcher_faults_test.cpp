// A matching run from the dictionary to the ranked candidates: the match key layout, the
// rules file with its listing, a candidate list that grows past its first block, and two
// cases. Every fault must be reported by the step that met it and leave the match control
// block, the rules and the layout usable.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fault_scenario.h"
#include "matchkey/match_key.h"
#include "tovr.h"

namespace tovr {
namespace {

using test::FileFaults;

constexpr const char* kDictionary = "NM C 10 S\nST N 5 Z\nLO N 5 X\nHI N 5 X\nHN N 5 S\n";
constexpr const char* kRules =
    "; name, street number and address range\n"
    "VAR NAME 1 10 S\n"
    "VAR NUM 11 5 Z\n"
    "VAR FROM 16 5 X\n"
    "VAR TO 21 5 X\n"
    "MATCH UNCERT NM NAME 0.9 0.1 700\n"
    "MATCH PRORAT ST NUM 0.9 0.1 9\n"
    "MATCH INTERVAL_PAR HN FROM TO 0.95 0.05 ZERO_VAL\n"
    "CUTOFF 300\n";
constexpr short kRecordLength = 25;

// Candidates that differ in name, number and range, 60 of them so that the list needs a
// second block.
std::vector<std::string> candidates() {
  const char* names[] = {"SMITH     ", "SMYTH     ", "JONES     ", "SMITHE    "};
  std::vector<std::string> out;
  for (int i = 0; i < 60; ++i) {
    char tail[16];
    std::snprintf(tail, sizeof tail, "%05d%05d%05d", 90 + i % 20, 100 + 2 * (i % 7), 198 + i % 5);
    out.push_back(std::string(names[i % 4]) + tail);
  }
  return out;
}

class MatchingRun : public test::Scenario {
 public:
  std::vector<test::Step> steps() override {
    return {
        {"mkInit", [this] { return TOVR_mkInit(&mk_); }, {kMkNoMemory}},
        {"dictionary",
         [this] { return mkDictLoad(mk_, "ADDR", "addr", "addr.dct"); },
         {kMkNoMemory, kMkDictionaryNotFound}},
        {"mtInit", [this] { return TOVR_mtInit(&mt_, mk_); }, {1}},
        {"mtLoad",
         [this] { return TOVR_mtLoad(mt_, "rules.txt", "ADDR", "rules.lst", &rules_); },
         {1, 2, 5}},
        {"key", [this] { return fill_key(); }, {}},
        {"long list", [this] { return make_list(candidates()); }, {1}},
        {"match", [this] { return match(); }, {1}},
        {"short list", [this] { return make_list({"SMITH     001000010000198"}); }, {1}},
        {"match again", [this] { return match(); }, {1}},
    };
  }

  std::string outcome() override { return ranking_; }

  void close() override {
    if (list_ != nullptr) TOVR_mtFreeCands(mt_, &list_);
    if (rules_ != nullptr) TOVR_mtFreeRules(&rules_);
    if (mt_ != nullptr) TOVR_mtClose(mt_);
    if (mk_ != nullptr) TOVR_mkFree(mk_, "ADDR");
    TOVR_mkClose(mk_);
  }

 private:
  int fill_key() {
    int rc = 0;
    for (auto [field, value] :
         {std::pair{"NM", "SMITH"}, std::pair{"ST", "100"}, std::pair{"HN", "104"}}) {
      std::string v = value;
      rc |= TOVR_mkSet(mk_, "ADDR", field, v.data());
    }
    return rc;
  }

  // A failed append leaves the list half filled: it is handed back, so that the step can
  // start again from an empty list.
  int make_list(const std::vector<std::string>& records) {
    if (list_ != nullptr) TOVR_mtFreeCands(mt_, &list_);
    int rc = TOVR_mtNewList(mt_, kRecordLength, &list_);
    for (std::size_t i = 0; rc == 0 && i < records.size(); ++i) {
      rc = TOVR_mtNewCand(mt_, list_, records[i].c_str());
    }
    if (rc != 0 && list_ != nullptr) TOVR_mtFreeCands(mt_, &list_);
    return rc;
  }

  int match() {
    TOVR_Case* match_case = nullptr;
    const int rc = TOVR_mtMatch(mt_, rules_, list_, &match_case);
    if (rc != 0) return rc;
    char record[kRecordLength + 1];
    short weight = 0;
    char side = 0;
    float position = 0;
    for (short rank = -1;
         TOVR_mtGetCand(mt_, match_case, rank, record, &weight, &side, &position) == 0; --rank) {
      ranking_ += std::string(record) + " " + std::to_string(weight) + side +
                  std::to_string(static_cast<int>(position)) + "\n";
    }
    ranking_ += "--\n";
    return TOVR_mtEndMatch(mt_, &match_case);
  }

  TOVR_Mk* mk_ = nullptr;
  TOVR_Mt* mt_ = nullptr;
  TOVR_Rules* rules_ = nullptr;
  TOVR_List* list_ = nullptr;
  std::string ranking_;
};

class MatcherFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_.put("addr.dct", kDictionary);
    fs_.put("rules.txt", kRules);
  }
  static std::unique_ptr<test::Scenario> make() { return std::make_unique<MatchingRun>(); }
  test::MemFs fs_;
};

TEST_F(MatcherFaults, CleanRunRanksEveryCandidate) {
  const std::string ranking = test::clean_outcome(make);
  EXPECT_EQ(std::count(ranking.begin(), ranking.end(), '\n'), 60 + 1 + 1 + 1);
  EXPECT_EQ(ranking.substr(0, 26), "SMITH     000980010200201 ") << "best of the long list";
  EXPECT_EQ(ranking.substr(ranking.rfind("--", ranking.size() - 4) + 3),
            "SMITH     001000010000198 1056 4\n--\n");
}

TEST_F(MatcherFaults, EveryFailedAllocationIsReportedAndRecovered) {
  const auto report = test::sweep_scenario_allocations(make, fs_);
  for (const char* step : {"mkInit", "dictionary", "mtInit", "mtLoad", "long list", "match"}) {
    EXPECT_EQ(report.failed_steps.count(step), 1u) << "no allocation fault reached " << step;
  }
}

TEST_F(MatcherFaults, EveryFailedOpenIsReportedAndRecovered) {
  const auto report = test::sweep_scenario_files(FileFaults::Op::kOpen, make, fs_);
  EXPECT_EQ(report.failed_steps.count("mtLoad"), 1u) << "no open fault reached the rules";
}

// A failed read of the rules file (or of the dictionary) fails its load; it is never taken
// for the end of the file.
TEST_F(MatcherFaults, EveryFailedReadIsReportedAndRecovered) {
  const auto report = test::sweep_scenario_files(FileFaults::Op::kRead, make, fs_);
  EXPECT_EQ(report.failed_steps.count("mtLoad"), 1u) << "no read fault reached the rules";
}

}  // namespace
}  // namespace tovr

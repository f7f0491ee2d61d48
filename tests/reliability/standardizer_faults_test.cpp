// A standardizer compiled into the host's match key control block and run over records:
// a fault anywhere in the compile or the run must end with the family's status, the
// standardizer must close cleanly, and the match key control block must take the same
// standardizer again (its layouts removed, its tables still sound).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fault_scenario.h"
#include "standardizer_program.h"
#include "tovr.h"

namespace tovr {
namespace {

using test::FileFaults;

constexpr char kRecords[] =
    "MR JOHN SMITH\n123 N MAIN ST\n"
    "JANE DOE\n9 FIRST AVENUE APT 5\n"
    "DR NO\n2 THIRD BOULEVARD\n"
    "X\n45 OLD MILL ROAD EAST\n";

// The standardizer works on the shared control block; the step compiles, runs every record
// and closes, so that a failure at any point is followed by a clean close.
class StandardizerRun : public test::Scenario {
 public:
  std::vector<test::Step> steps() override {
    return {
        {"mkInit", [this] { return TOVR_mkInit(&mk_); }, {1}},
        // 1 is the compile's only failure; 2 the input file that does not open or cannot be
        // read; 12 a tokenizer failure (its lists are allocated at the first record).
        {"standardize", [this] { return standardize(); }, {1, 2, 12}},
        {"standardize again", [this] { return standardize(); }, {1, 2, 12}},
    };
  }

  std::string outcome() override { return results_; }
  void close() override { TOVR_mkClose(mk_); }

 private:
  int standardize() {
    TOVR_Stan* stan = nullptr;
    short total = 0;
    std::string results;
    if (TOVR_asStanComp("two.stn", &stan, mk_, &total) != 0) {
      if (stan != nullptr) {
        EXPECT_EQ(TOVR_asCloseStan(stan), 0);
      }
      return 1;
    }
    TOVR_asSetNewFormats(stan);
    short first = 1;
    int rc = 0;
    while (rc == 0) {
      std::vector<char> area(1025, '\0');
      std::vector<char> original(1025, '\0');
      std::vector<char> keys(static_cast<std::size_t>(total) + 1, '\0');
      char aux[1025] = {};
      rc = TOVR_asProcStan(stan, area.data(), keys.data(), aux, &first, original.data());
      results += std::to_string(rc) + "|" + keys.data() + "\n";
    }
    EXPECT_EQ(TOVR_asCloseStan(stan), 0);
    if (rc != 11) return rc;
    short length = 0;
    EXPECT_NE(TOVR_mkGetLen(mk_, "ADDR", &length), 0) << "the close removes the layouts";
    results_ += results;
    return 0;
  }

  TOVR_Mk* mk_ = nullptr;
  std::string results_;
};

class StandardizerFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [name, bytes] : test::standardizer_files()) fs_.put(name, bytes);
    fs_.put("in.txt", kRecords);
  }
  static std::unique_ptr<test::Scenario> make() { return std::make_unique<StandardizerRun>(); }
  test::MemFs fs_;
  test::ConsoleCapture console_;
};

TEST_F(StandardizerFaults, CleanRunStandardizesEveryRecordTwice) {
  const std::string outcome = test::clean_outcome(make);
  EXPECT_EQ(std::count(outcome.begin(), outcome.end(), '\n'), 2 * 5);
  EXPECT_NE(outcome.find("0|JOHN        SMITH           MR         123N MAIN"), std::string::npos)
      << outcome;
}

TEST_F(StandardizerFaults, EveryFailedAllocationIsReportedAndRecovered) {
  const auto report = test::sweep_scenario_allocations(make, fs_);
  EXPECT_EQ(report.failed_steps.count("standardize"), 1u);
  EXPECT_GT(report.runs, 50);
}

TEST_F(StandardizerFaults, EveryFailedOpenAndSeekIsReportedAndRecovered) {
  for (auto op : {FileFaults::Op::kOpen, FileFaults::Op::kSeek}) {
    const auto report = test::sweep_scenario_files(op, make, fs_);
    EXPECT_EQ(report.failed_steps.count("standardize"), 1u);
  }
}

// A failed read of the standardizer file, a dictionary, a classification or conversion
// table, a pattern file or the input ends the compile or the run with its status; none is
// taken for the end of its file.
TEST_F(StandardizerFaults, EveryFailedReadIsReportedAndRecovered) {
  const auto report = test::sweep_scenario_files(FileFaults::Op::kRead, make, fs_);
  EXPECT_EQ(report.failed_steps.count("standardize"), 1u);
}

}  // namespace
}  // namespace tovr

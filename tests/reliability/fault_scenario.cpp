#include "fault_scenario.h"

#include <gtest/gtest.h>

namespace tovr::test {
namespace {

const char* op_name(FileFaults::Op op) {
  switch (op) {
    case FileFaults::Op::kOpen:
      return "open";
    case FileFaults::Op::kRead:
      return "read";
    case FileFaults::Op::kWrite:
      return "write";
    case FileFaults::Op::kSeek:
      return "seek";
  }
  return "?";
}

}  // namespace

std::string run_scenario(Scenario& scenario, const std::function<bool()>& injected,
                         const std::string& fault, SweepReport& report) {
  for (const Step& step : scenario.steps()) {
    const int rc = step.run();
    if (rc == 0) continue;
    report.failed_steps.insert(step.name);
    EXPECT_TRUE(injected()) << step.name << " failed with " << rc << " without a fault (" << fault
                            << ")";
    EXPECT_TRUE(step.fault_codes.count(rc) != 0) << step.name << " gave " << rc << " for " << fault;
    const int again = step.run();
    EXPECT_EQ(again, 0) << step.name << " fails again after " << fault;
    if (again != 0) return "stopped at " + step.name;  // later steps need what it makes
  }
  return scenario.outcome();
}

std::string clean_outcome(const ScenarioMaker& make) {
  auto scenario = make();
  SweepReport report;
  const std::string outcome = run_scenario(
      *scenario, [] { return false; }, "no fault", report);
  scenario->close();
  return outcome;
}

SweepReport sweep_scenario_allocations(const ScenarioMaker& make, const MemFs& fs) {
  const std::string expected = clean_outcome(make);
  SweepReport report;
  long n = 0;
  report.runs = sweep_allocation_failures([&](AllocationFaults& faults) {
    const std::string fault = "failed allocation " + std::to_string(++n);
    auto scenario = make();
    const std::string outcome = run_scenario(
        *scenario, [&] { return faults.injected(); }, fault, report);
    EXPECT_EQ(outcome, expected) << "outcome changed by a " << fault;
    scenario->close();
    EXPECT_EQ(fs.open_streams(), 0) << "stream left open after a " << fault;
  });
  return report;
}

SweepReport sweep_scenario_files(FileFaults::Op op, const ScenarioMaker& make, const MemFs& fs) {
  const std::string expected = clean_outcome(make);
  SweepReport report;
  long n = 0;
  report.runs = sweep_file_failures(op, [&](FileFaults& faults) {
    ++n;
    const std::string fault = std::string("failed ") + op_name(op) + " " + std::to_string(n);
    AllocationFaults blocks;  // counts only, to see that nothing leaks
    {
      auto scenario = make();
      const std::string outcome = run_scenario(
          *scenario, [&] { return faults.injected(); }, fault, report);
      EXPECT_EQ(outcome, expected) << "outcome changed by a " << fault;
      scenario->close();
    }
    EXPECT_EQ(blocks.live_blocks(), 0) << "blocks leaked after a " << fault;
    EXPECT_EQ(fs.open_streams(), 0) << "stream left open after a " << fault;
  });
  return report;
}

}  // namespace tovr::test

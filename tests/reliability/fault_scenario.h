// Fault sweeps over whole scenarios that cross families.
//
// A scenario is a list of steps (loads, lookups, runs) over handles that it owns, an outcome
// (a text that sums up what the steps produced) and a close that releases every handle. The
// sweep runs it once without faults to learn the outcome, then again failing allocation 1,
// 2, ... and, separately, open, read, seek or write 1, 2, ... until a run meets no fault.
// In every run:
// - a step that fails must have met the fault and give one of the codes its family uses for
//   such a fault;
// - the same step, run again on the same handles, must then succeed: a failure leaves every
//   handle usable;
// - the outcome must equal the fault-free one (a fault that no step reports must not change
//   anything either);
// - after the close, no block is left allocated and no stream open.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tovr::test {

struct Step {
  std::string name;
  std::function<int()> run;
  std::set<int> fault_codes;  // statuses with which a fault may end the step
};

class Scenario {
 public:
  virtual ~Scenario() = default;
  virtual std::vector<Step> steps() = 0;
  virtual std::string outcome() = 0;
  virtual void close() = 0;
};

using ScenarioMaker = std::function<std::unique_ptr<Scenario>()>;

// What the sweeps saw, for tests that want to know a fault reached a given step.
struct SweepReport {
  long runs = 0;
  std::set<std::string> failed_steps;  // steps that reported a fault at least once
};

SweepReport sweep_scenario_allocations(const ScenarioMaker& make, const MemFs& fs);
SweepReport sweep_scenario_files(FileFaults::Op op, const ScenarioMaker& make, const MemFs& fs);

// The fault-free outcome of a scenario (each step must succeed).
std::string clean_outcome(const ScenarioMaker& make);

// Runs the steps of one scenario under the checks above (a failed step must have met the
// fault, give one of its codes, and succeed when run again) and returns its outcome; for
// sweeps whose outcome rules differ. `fault` names the fault in messages.
std::string run_scenario(Scenario& scenario, const std::function<bool()>& injected,
                         const std::string& fault, SweepReport& report);

}  // namespace tovr::test

// Fault sweeps: the part of the test helpers that reports through GoogleTest.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace tovr::test {

long sweep_allocation_failures(const std::function<void(AllocationFaults&)>& scenario,
                               long max_runs) {
  for (long n = 1; n <= max_runs; ++n) {
    AllocationFaults faults;
    faults.fail_at(n);
    scenario(faults);
    EXPECT_EQ(faults.live_blocks(), 0) << "blocks leaked when allocation " << n << " failed";
    if (::testing::Test::HasFailure() || !faults.injected()) return n;
  }
  ADD_FAILURE() << "allocation sweep did not finish within " << max_runs << " runs";
  return max_runs;
}

long sweep_file_failures(FileFaults::Op op, const std::function<void(FileFaults&)>& scenario,
                         long max_runs) {
  for (long n = 1; n <= max_runs; ++n) {
    FileFaults faults;
    faults.fail_at(op, n);
    scenario(faults);
    if (::testing::Test::HasFailure() || !faults.injected()) return n;
  }
  ADD_FAILURE() << "file sweep did not finish within " << max_runs << " runs";
  return max_runs;
}

}  // namespace tovr::test

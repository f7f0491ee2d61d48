// Entry point of the benchmark programs: the library is started once, before any benchmark
// creates a handle.
#include <benchmark/benchmark.h>

#include "tovr.h"

int main(int argc, char** argv) {
  TOVR_LibInit();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  TOVR_LibExit();
  return 0;
}

// The subcommands of the tool. Each takes the whole argv with the index of its first own
// argument and returns the process exit status.
#pragma once

namespace tovr::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // a file, a record or the library reported an error
constexpr int kExitUsage = 2;    // the command line is wrong

int run_standardize(int argc, char** argv, int first);
int run_index(int argc, char** argv, int first);
int run_match(int argc, char** argv, int first);
int run_geocode(int argc, char** argv, int first);

}  // namespace tovr::cli

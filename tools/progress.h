// A progress line on standard error for long runs: records done and records per second.
// Nothing is shown for runs shorter than two seconds, so short runs stay quiet; on a
// terminal the line is rewritten in place, elsewhere a line is written every ten seconds.
#pragma once

#include <chrono>
#include <string>

namespace tovr::cli {

class Progress {
 public:
  Progress(std::string what, bool enabled);
  // Counts one more record and shows the line when it is due.
  void step();
  // Shows the final count when a line was shown before.
  void finish();
  long count() const { return count_; }

 private:
  using Clock = std::chrono::steady_clock;
  void show(bool final_line);

  std::string what_;
  bool enabled_;
  bool terminal_;
  bool shown_ = false;
  long count_ = 0;
  Clock::time_point start_;
  Clock::time_point last_shown_;
};

}  // namespace tovr::cli

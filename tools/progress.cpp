#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace tovr::cli {
namespace {

constexpr double kQuietSeconds = 2.0;
constexpr double kTerminalInterval = 1.0;
constexpr double kLogInterval = 10.0;

double seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace

Progress::Progress(std::string what, bool enabled)
    : what_(std::move(what)),
      enabled_(enabled),
      terminal_(isatty(fileno(stderr)) != 0),
      start_(Clock::now()),
      last_shown_(start_) {}

void Progress::step() {
  ++count_;
  // Looking at the clock every record would cost more than the work for small records.
  if (!enabled_ || (count_ & 255) != 0) return;
  Clock::time_point now = Clock::now();
  if (seconds(now - start_) < kQuietSeconds) return;
  double interval = terminal_ ? kTerminalInterval : kLogInterval;
  if (shown_ && seconds(now - last_shown_) < interval) return;
  last_shown_ = now;
  show(false);
}

void Progress::finish() {
  if (shown_) show(true);
}

void Progress::show(bool final_line) {
  double elapsed = seconds(Clock::now() - start_);
  double rate = elapsed > 0 ? count_ / elapsed : 0;
  const char* end = (terminal_ && !final_line) ? "\r" : "\n";
  std::fprintf(stderr, "tovr: %ld %s, %.0f %s/s%s", count_, what_.c_str(), rate, what_.c_str(),
               end);
  std::fflush(stderr);
  shown_ = true;
}

}  // namespace tovr::cli

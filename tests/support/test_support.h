// Test helpers shared by every family: an in-memory file system served through the file
// callbacks, counting and failing allocation and file callbacks, and a console capture.
//
// Each helper installs its callbacks on construction and puts the previous ones back on
// destruction. They hold process-wide state (callbacks are plain function pointers), so a
// test uses at most one of each kind at a time.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "tovr.h"

namespace tovr::test {

// Serves slots 3-12 from memory. Files are byte strings keyed by name.
class MemFs {
 public:
  MemFs();
  ~MemFs();
  MemFs(const MemFs&) = delete;
  MemFs& operator=(const MemFs&) = delete;

  void put(const std::string& name, const std::string& bytes) { files_[name] = bytes; }
  bool exists(const std::string& name) const { return files_.count(name) != 0; }
  const std::string& get(const std::string& name) const { return files_.at(name); }
  void remove(const std::string& name) { files_.erase(name); }
  std::map<std::string, std::string>& files() { return files_; }
  int open_streams() const { return open_streams_; }

 private:
  friend struct MemFsAccess;
  std::map<std::string, std::string> files_;
  int open_streams_ = 0;
  TOVR_Callback saved_[10];
};

// Counts allocations through slots 0-2 and fails the Nth one (1-based) when asked.
// Blocks are tracked, so a test can check that nothing leaked.
class AllocationFaults {
 public:
  AllocationFaults();
  ~AllocationFaults();
  AllocationFaults(const AllocationFaults&) = delete;
  AllocationFaults& operator=(const AllocationFaults&) = delete;

  // Fails allocation number n (counted from now, 1-based); 0 never fails.
  void fail_at(long n);
  long calls() const { return calls_; }
  long live_blocks() const { return live_; }
  bool injected() const { return injected_; }

 private:
  friend struct AllocationAccess;
  long calls_ = 0;
  long fail_at_ = 0;
  long live_ = 0;
  bool injected_ = false;
  TOVR_Callback saved_[3];
};

// Wraps the file callbacks installed at construction (the defaults or a MemFs) and fails the
// Nth call of one kind of operation.
class FileFaults {
 public:
  enum class Op { kOpen, kRead, kWrite, kSeek };
  FileFaults();
  ~FileFaults();
  FileFaults(const FileFaults&) = delete;
  FileFaults& operator=(const FileFaults&) = delete;

  // Fails call number n (1-based, counted from now) of op; 0 never fails. Reads are fgets,
  // fgetc and fread; writes fwrite and fflush.
  void fail_at(Op op, long n);
  // As fail_at, and every later call of op fails too (a full disk, a lost device).
  void fail_from(Op op, long n);
  long calls(Op op) const { return calls_[static_cast<int>(op)]; }
  bool injected() const { return injected_; }

 private:
  friend struct FileFaultAccess;
  long calls_[4] = {};
  Op fail_op_ = Op::kOpen;
  long fail_at_ = 0;
  bool fail_rest_ = false;
  bool injected_ = false;
  TOVR_Callback inner_[10];
};

// Collects console messages (slot 13) and file messages (slot 14) as text.
class ConsoleCapture {
 public:
  ConsoleCapture();
  ~ConsoleCapture();
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  const std::string& text() const { return console_; }
  const std::string& file_text() const { return file_; }
  void clear() {
    console_.clear();
    file_.clear();
  }

 private:
  friend struct ConsoleAccess;
  std::string console_;
  std::string file_;
  TOVR_Callback saved_printf_;
  TOVR_Callback saved_fprintf_;
};

// Runs scenario(fail_at) with allocation n failing, for n = 1, 2, ... until a run completes
// without a fault being injected. scenario returns normally in both cases and does its own
// checks; after each run the sweep checks that no block is left allocated. Returns the
// number of runs.
long sweep_allocation_failures(const std::function<void(AllocationFaults&)>& scenario,
                               long max_runs = 100000);

// As above for the Nth call of one kind of file operation.
long sweep_file_failures(FileFaults::Op op, const std::function<void(FileFaults&)>& scenario,
                         long max_runs = 100000);

// A fresh scratch directory for tests that need real files (removed by the test's owner).
std::string scratch_dir(const std::string& name);

}  // namespace tovr::test

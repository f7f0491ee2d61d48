// The input files named on a command line, opened for reading: standard input when none
// is named or for "-". Closed when the object goes away.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host_io.h"

namespace tovr::cli {

class InputFiles {
 public:
  InputFiles() = default;
  ~InputFiles();
  InputFiles(const InputFiles&) = delete;
  InputFiles& operator=(const InputFiles&) = delete;

  // Opens every name; false and *error naming the first file that cannot be opened.
  bool open(const std::vector<std::string>& names, std::string* error);
  const std::vector<HostIo::Source>& sources() const { return sources_; }

 private:
  std::vector<HostIo::Source> sources_;
};

// Opens name for writing ("-" or empty: standard output); false and *error on failure.
bool open_output(const std::string& name, FILE** out, std::string* error);
void close_output(FILE* out);

}  // namespace tovr::cli

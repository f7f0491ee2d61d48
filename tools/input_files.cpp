#include "input_files.h"

#include <cerrno>
#include <cstring>

namespace tovr::cli {

InputFiles::~InputFiles() {
  for (const HostIo::Source& s : sources_) {
    if (s.file != nullptr && s.file != stdin) std::fclose(s.file);
  }
}

bool InputFiles::open(const std::vector<std::string>& names, std::string* error) {
  if (names.empty()) {
    sources_.push_back({stdin, "<stdin>"});
    return true;
  }
  for (const std::string& name : names) {
    if (name == "-") {
      sources_.push_back({stdin, "<stdin>"});
      continue;
    }
    FILE* f = std::fopen(name.c_str(), "r");
    if (f == nullptr) {
      *error = name + ": cannot open: " + std::strerror(errno);
      return false;
    }
    sources_.push_back({f, name});
  }
  return true;
}

bool open_output(const std::string& name, FILE** out, std::string* error) {
  if (name.empty() || name == "-") {
    *out = stdout;
    return true;
  }
  *out = std::fopen(name.c_str(), "w");
  if (*out == nullptr) {
    *error = name + ": cannot open for writing: " + std::strerror(errno);
    return false;
  }
  return true;
}

void close_output(FILE* out) {
  if (out != nullptr && out != stdout) std::fclose(out);
}

}  // namespace tovr::cli

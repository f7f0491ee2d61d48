#include "candidates.h"

#include <fstream>

#include "text.h"

namespace tovr::cli {
namespace {

// A candidate record and the line number the tool appends to it must fit a record length
// of the matcher (a signed 16-bit number).
constexpr size_t kMaxRecord = 32000;

}  // namespace

bool CandidateFile::read(const std::string& path, std::string* error) {
  path_ = path;
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot open";
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text_.push_back(line);
    long number = static_cast<long>(text_.size());
    if (trim(line).empty() || line[0] == '#') continue;
    if (line.size() > kMaxRecord) {
      *error = path + ":" + std::to_string(number) + ": record longer than " +
               std::to_string(kMaxRecord) + " characters";
      return false;
    }
    lines_.push_back(number);
    if (line.size() > width_) width_ = line.size();
  }
  if (lines_.empty()) {
    *error = path + ": no records";
    return false;
  }
  return true;
}

const std::string& CandidateFile::record(long line) const {
  static const std::string none;
  if (line < 1 || static_cast<size_t>(line) > text_.size()) return none;
  return text_[line - 1];
}

}  // namespace tovr::cli

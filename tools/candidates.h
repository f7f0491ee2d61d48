// Candidate records read from a fixed-column file: one record per line, named by its line
// number; blank lines and lines starting with '#' are no records.
#pragma once

#include <string>
#include <vector>

namespace tovr::cli {

class CandidateFile {
 public:
  // False with *error when the file cannot be read, holds no record, or holds a line too
  // long for a candidate record.
  bool read(const std::string& path, std::string* error);

  const std::string& path() const { return path_; }
  // Line numbers of the records, ascending.
  const std::vector<long>& lines() const { return lines_; }
  // The record on a line (without its line end); empty for a line that holds none.
  const std::string& record(long line) const;
  // Length of the longest record: every candidate is padded to it.
  size_t width() const { return width_; }

 private:
  std::string path_;
  std::vector<std::string> text_;  // by line number - 1
  std::vector<long> lines_;
  size_t width_ = 0;
};

}  // namespace tovr::cli

// The disk index of a street-segment reference file: one key per segment, the street name,
// coded by sound code, under the segment's line number. Street names that sound alike
// share a bucket, and a similarity term finds the names of the bucket that are spelled
// alike, so misspelt names still find their segments.
#pragma once

#include <string>
#include <vector>

#include "candidates.h"
#include "index_session.h"

namespace tovr::cli {

class StreetIndex {
 public:
  StreetIndex() = default;
  ~StreetIndex();
  StreetIndex(const StreetIndex&) = delete;
  StreetIndex& operator=(const StreetIndex&) = delete;

  // Opens the index in path, building it from the reference first unless path holds the
  // index of this very reference file (same name, size, time and street columns). An
  // empty path builds a temporary index that goes away with the object.
  bool open(const std::string& path, const CandidateFile& reference, int street_start,
            int street_length, std::string* error);

  // Line numbers of the segments whose street name is the name or similar to it, ascending.
  bool find(const std::string& street, float threshold, std::vector<long>* lines,
            std::string* error);

 private:
  bool build(const CandidateFile& reference, int street_start, int street_length,
             const std::string& description, std::string* error);

  IndexSettings settings_;
  IndexSession session_;
  std::string temp_dir_;
};

}  // namespace tovr::cli

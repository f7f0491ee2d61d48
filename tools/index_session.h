// Opening the sequences of one index file by the statements the tool writes for it: a FILE
// statement naming the file and an INDEX statement for each sequence, so that no
// cross-reference file is needed in the current directory.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tovr.h"

namespace tovr::cli {

struct IndexSettings {
  std::string file;
  int sequence = 0;
  std::string name = "KEYS";
  // Further sequences of the same file, opened under their names for query selectors.
  std::vector<std::pair<std::string, int>> others;
  char coding = 'S';  // 'S' sound code, 'R' hash
  char width = 'S';   // 'S' 16 bits, 'L' 32 bits
  int pages = 16;
  int extension = 16;
  int buffers = 64;
  std::string signature;
  bool write = true;
};

class IndexSession {
 public:
  IndexSession() = default;
  ~IndexSession() { close(); }
  IndexSession(const IndexSession&) = delete;
  IndexSession& operator=(const IndexSession&) = delete;

  // Opens the main sequence, then the others. *open_status receives the main sequence's
  // outcome: 0 opened, 1 file created, 2 sequence created.
  bool open(const IndexSettings& settings, int* open_status, std::string* error);
  TOVR_Db* handle() const { return handles_.empty() ? nullptr : handles_.front(); }
  // Flushes and closes every handle; false when the library reported an error.
  bool close();

  static std::string status_text(int code);
  // An index name is 1 to 8 characters without blanks or '='.
  static bool valid_name(const std::string& name);

 private:
  std::vector<TOVR_Db*> handles_;
};

}  // namespace tovr::cli

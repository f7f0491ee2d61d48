// The tool's own library callbacks, installed once at start-up:
// - console messages (slot 13) go to standard error, so that standard output carries only
//   results;
// - file messages (slot 14) are written to the stream they name;
// - files that the library opens for reading under a relative name are looked up first in
//   a base directory (the directory of the standardizer file being compiled), so that a
//   standardizer file finds its tables and pattern files wherever the tool runs;
// - reads from a null stream are served from the tool's current record input. The library
//   reads standardizer input through a stream the standardizer file does not open itself, and
//   the tool hands it the files named on its command line (or standard input) this way.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace tovr::cli {

class HostIo {
 public:
  // Initialises the library and installs the callbacks above.
  static void install();

  // Relative names opened for reading are tried below dir first ("" switches this off).
  static void set_base_directory(const std::string& dir);

  struct Source {
    FILE* file;
    std::string name;  // for messages
  };
  // Makes the sources, one after the other, the record input that null-stream reads
  // consume; an empty list leaves nothing to read. The files stay the caller's.
  static void set_record_input(const std::vector<Source>& sources);
  // Name of the source being read and the number of lines handed out from it so far.
  static const std::string& input_name();
  static long input_line();
};

}  // namespace tovr::cli

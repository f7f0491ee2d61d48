// Runs the built tovr program as a subprocess, the way a user or a script does, and hands
// back its exit status and what it wrote.
#pragma once

#include <string>
#include <vector>

namespace tovr::test {

struct CliResult {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs tovr with args; input is fed to its standard input. cwd, when not empty, is the
// working directory of the run.
CliResult run_cli(const std::vector<std::string>& args, const std::string& input = "",
                  const std::string& cwd = "");

// The bundled examples folder of the source tree.
std::string examples_dir();
std::string read_text(const std::string& path);
void write_text(const std::string& path, const std::string& text);
// The lines of a text, without their line ends.
std::vector<std::string> lines_of(const std::string& text);

}  // namespace tovr::test

#include "cli_runner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/test_support.h"

namespace tovr::test {
namespace {

std::string quoted(const std::string& arg) {
  std::string out = "'";
  for (char c : arg) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

}  // namespace

CliResult run_cli(const std::vector<std::string>& args, const std::string& input,
                  const std::string& cwd) {
  // Test programs run in parallel, each test in its own process: one folder per process.
  static const std::string dir = scratch_dir("cli_runs_" + std::to_string(getpid()));
  static int run_number = 0;
  std::string base = dir + "/run" + std::to_string(++run_number);
  write_text(base + ".in", input);
  std::string command;
  if (!cwd.empty()) command += "cd " + quoted(cwd) + " && ";
  command += quoted(TOVR_CLI);
  for (const std::string& a : args) command += " " + quoted(a);
  command +=
      " < " + quoted(base + ".in") + " > " + quoted(base + ".out") + " 2> " + quoted(base + ".err");
  int raw = std::system(command.c_str());
  CliResult result;
  if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  result.out = read_text(base + ".out");
  result.err = read_text(base + ".err");
  return result;
}

std::string examples_dir() { return TOVR_EXAMPLES_DIR; }

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_text(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace tovr::test

// The tool's command line: help texts, version, exit statuses of wrong usage.
#include <gtest/gtest.h>

#include "cli_runner.h"

namespace tovr::test {
namespace {

TEST(CliUsage, HelpListsEveryCommandAndExitsZero) {
  for (const char* help : {"--help", "-h", "help"}) {
    CliResult r = run_cli({help});
    EXPECT_EQ(r.status, 0) << help;
    for (const char* command : {"standardize", "index", "match", "geocode"}) {
      EXPECT_NE(r.out.find(command), std::string::npos) << help << " lacks " << command;
    }
    EXPECT_NE(r.out.find("Exit status"), std::string::npos);
  }
}

TEST(CliUsage, EachCommandHasItsOwnHelp) {
  struct Case {
    std::vector<std::string> args;
    const char* first_line;
  };
  const Case cases[] = {
      {{"standardize", "--help"}, "usage: tovr standardize SPEC"},
      {{"index", "--help"}, "usage: tovr index create FILE"},
      {{"match", "-h"}, "usage: tovr match --spec SPEC"},
      {{"geocode", "--help"}, "usage: tovr geocode --spec SPEC"},
      {{"help", "index"}, "usage: tovr index create FILE"},
  };
  for (const Case& c : cases) {
    CliResult r = run_cli(c.args);
    EXPECT_EQ(r.status, 0) << c.args[0];
    EXPECT_EQ(r.out.rfind(c.first_line, 0), 0u) << r.out;
  }
}

TEST(CliUsage, VersionNamesTheLibraryVersion) {
  CliResult r = run_cli({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "tovr 0.1.0\n");
}

TEST(CliUsage, WrongUsageExitsTwoWithAMessageOnStandardError) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{}, "usage: tovr <command>"},
      {{"frobnicate"}, "tovr: no command 'frobnicate'"},
      {{"standardize"}, "tovr: no specification given"},
      {{"standardize", "x.spc", "--format", "xml"}, "tovr: unknown format 'xml'"},
      {{"standardize", "x.spc", "--bogus"}, "tovr: unknown option '--bogus'"},
      {{"standardize", "x.spc", "--output"}, "tovr: option '--output' needs a value"},
      {{"index"}, "tovr: no index command given"},
      {{"index", "shuffle", "f.idx"}, "tovr: no index command 'shuffle'"},
      {{"index", "query", "f.idx"}, "tovr: index query takes 2 arguments"},
      {{"index", "load", "f.idx", "d.tsv"}, "tovr: load needs --column"},
      {{"index", "create", "f.idx", "--seq", "249"}, "option '--seq' needs a whole number"},
      {{"index", "create", "f.idx", "--name", "TOOLONGNAME"}, "an index name has 1 to 8"},
      {{"index", "create", "f.idx", "--coding", "sound", "--width", "32"}, "sound codes are 16"},
      {{"index", "query", "f.idx", "A", "--index", "B=0"}, "that sequence or name is open already"},
      {{"match", "--spec", "s.spc"}, "tovr: --spec, --rules and --candidates are required"},
      {{"match", "--spec", "s", "--rules", "r", "--candidates", "c", "--top", "0"},
       "option '--top' needs a whole number from 1 to 1000"},
      {{"geocode", "a.txt"}, "tovr: --spec, --rules and --reference are required"},
      {{"geocode", "--spec", "s", "--rules", "r", "--reference", "f", "--threshold", "901"},
       "option '--threshold' needs a number from 1 to 900"},
  };
  for (const Case& c : cases) {
    CliResult r = run_cli(c.args);
    EXPECT_EQ(r.status, 2) << (c.args.empty() ? "" : c.args[0]) << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST(CliUsage, MissingFilesExitOneNamingTheFile) {
  std::string missing = "/nonexistent/tovr/none.txt";
  CliResult describe = run_cli({"index", "describe", missing});
  EXPECT_EQ(describe.status, 1);
  EXPECT_NE(describe.err.find(missing), std::string::npos) << describe.err;

  CliResult query = run_cli({"index", "query", missing, "MAIN"});
  EXPECT_EQ(query.status, 1);
  EXPECT_NE(query.err.find(missing), std::string::npos) << query.err;

  std::string spec = examples_dir() + "/us-address/usaddr.spc";
  CliResult input = run_cli({"standardize", spec, missing});
  EXPECT_EQ(input.status, 1);
  EXPECT_NE(input.err.find(missing + ": cannot open"), std::string::npos) << input.err;
}

}  // namespace
}  // namespace tovr::test

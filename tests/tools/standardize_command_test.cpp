// tovr standardize: output formats, inputs, and how errors of the standardizer file, the
// pattern file and single records are reported.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli_runner.h"
#include "support/test_support.h"

namespace tovr::test {
namespace {

class StandardizeCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    spec_ = examples_dir() + "/us-address/usaddr.spc";
    dir_ =
        scratch_dir("standardize_" +
                    std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  }

  // A copy of the example in the scratch folder, with extra lines appended to one file.
  std::string copy_example(const std::string& file, const std::string& extra) {
    for (const char* name : {"usaddr.spc", "usaddr.cls", "usaddr.pat", "usaddr.dct"}) {
      std::filesystem::copy_file(examples_dir() + "/us-address/" + name, dir_ + "/" + name,
                                 std::filesystem::copy_options::overwrite_existing);
    }
    write_text(dir_ + "/" + file, read_text(dir_ + "/" + file) + extra);
    return dir_ + "/usaddr.spc";
  }

  std::string spec_;
  std::string dir_;
};

TEST_F(StandardizeCommand, FieldsFormatWritesTheFieldsThatAreNotBlank) {
  CliResult r = run_cli({"standardize", spec_}, "123 N MAIN ST APT 4\nPO BOX 77\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "HN=123; PD=N; SN=MAIN; ST=ST; UT=APT; UV=4\nBX=77\n");
}

TEST_F(StandardizeCommand, TsvFormatHasAHeaderAndEveryField) {
  CliResult r = run_cli({"standardize", spec_, "--format", "tsv", "--echo"}, "9 W 42ND ST\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "record\tHN\tHS\tPD\tPQ\tPT\tSN\tST\tSD\tUT\tUV\tRT\tRV\tBX\n"
            "9 W 42ND ST\t9\t\tW\t\t\t42ND\tST\t\t\t\t\t\t\n");
}

TEST_F(StandardizeCommand, KeysFormatWritesTheFixedWidthMatchKey) {
  CliResult r = run_cli({"standardize", spec_, "--format", "keys"}, "123 1ST AVE\n");
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 1u);
  // HN is numeric (right-justified in 10), SN a numeric name whose digits end in column 4.
  ASSERT_EQ(lines[0].size(), 87u) << "the sum of the dictionary's field lengths";
  EXPECT_EQ(lines[0].substr(0, 10), "       123");
  EXPECT_EQ(lines[0].substr(27, 10), "   1ST    ");
  EXPECT_EQ(lines[0].substr(55, 4), "AVE ");
}

TEST_F(StandardizeCommand, InputFilesAreReadOneAfterTheOther) {
  write_text(dir_ + "/a.txt", "1 OAK ST\n2 ELM ST\n");
  write_text(dir_ + "/b.txt", "3 PINE RD\n");
  CliResult r = run_cli(
      {"standardize", spec_, dir_ + "/a.txt", "-", dir_ + "/b.txt", "--output", dir_ + "/out.txt"},
      "RR 2 BOX 15\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(read_text(dir_ + "/out.txt"),
            "HN=1; SN=OAK; ST=ST\nHN=2; SN=ELM; ST=ST\nRT=RR; RV=2; BX=15\n"
            "HN=3; SN=PINE; ST=RD\n");
}

TEST_F(StandardizeCommand, AnInputFileOfTheStandardizerFileIsFoundBesideIt) {
  std::string spec = copy_example("usaddr.spc", "INFILE lines.txt\n");
  write_text(dir_ + "/lines.txt", "7 ELM ST\n");
  CliResult r = run_cli({"standardize", spec}, "", scratch_dir("standardize_elsewhere"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "HN=7; SN=ELM; ST=ST\n");
}

TEST_F(StandardizeCommand, ARejectedRecordNamesItsLineAndTheRunGoesOn) {
  std::string words;
  for (char c = 'A'; c <= 'Z'; ++c) words += std::string("ZZ") + c + " ";
  for (char c = 'A'; c <= 'F'; ++c) words += std::string("ZY") + c + " ";
  write_text(dir_ + "/in.txt", "1 OAK ST\n" + words + "\n2 ELM ST\n");
  CliResult r = run_cli({"standardize", spec_, dir_ + "/in.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "HN=1; SN=OAK; ST=ST\n\nHN=2; SN=ELM; ST=ST\n");
  EXPECT_NE(r.err.find(dir_ + "/in.txt:2: record not standardized"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("1 of 3 records not standardized"), std::string::npos) << r.err;
}

TEST_F(StandardizeCommand, StandardizerFileErrorsAreListedWithTheirLines) {
  std::string spec = copy_example("usaddr.spc", "TYPE EBCDIC\n");
  CliResult r = run_cli({"standardize", spec}, "1 OAK ST\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("*** LINE 7 ***"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("TYPE must be ASCII, UNIX or BINARY"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("tovr: " + spec + ": the specification did not compile"), std::string::npos)
      << r.err;
  EXPECT_EQ(r.out, "");
}

TEST_F(StandardizeCommand, PatternErrorsNameThePatternFileAndLine) {
  std::string spec = copy_example("usaddr.pat", "%0 ?        ; a position must not be 0\n");
  CliResult r = run_cli({"standardize", spec}, "1 OAK ST\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("fixed position arg must be non-zero"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("usaddr.pat"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("line number = "), std::string::npos) << r.err;
}

TEST_F(StandardizeCommand, AStandardizerFileThatCannotBeOpenedIsReported) {
  CliResult r = run_cli({"standardize", dir_ + "/none.spc"}, "1 OAK ST\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Standardizer Specifications File not found"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(dir_ + "/none.spc"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tovr::test

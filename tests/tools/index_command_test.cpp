// tovr index: creating, loading, querying and describing index files.
#include <gtest/gtest.h>

#include <string>

#include "cli_runner.h"
#include "support/test_support.h"

namespace tovr::test {
namespace {

class IndexCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        scratch_dir("index_command_" +
                    std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    index_ = dir_ + "/people.idx";
    data_ = dir_ + "/people.tsv";
    write_text(data_,
               "id\tname\tcity\n"
               "101\tSMITH\tBOSTON\n"
               "102\tSMYTH\tDENVER\n"
               "103\tJONES\tBOSTON\n"
               "104\tSMITH\tDENVER\n"
               "105\tBROWN\tAUSTIN\n"
               "106\t\tAUSTIN\n");
  }

  CliResult load(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"index", "load", index_, data_, "--column", "2", "--header"};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_cli(args);
  }

  CliResult query(const std::string& q, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"index", "query", index_, q};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_cli(args);
  }

  std::string dir_;
  std::string index_;
  std::string data_;
};

TEST_F(IndexCommand, CreateWritesTheLabelThatDescribeReports) {
  CliResult created = run_cli({"index", "create", index_, "--signature", "people", "--description",
                               "names of the people file"});
  ASSERT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(created.out, index_ + ": index file created, sequence 0\n");

  CliResult described = run_cli({"index", "describe", index_});
  ASSERT_EQ(described.status, 0) << described.err;
  EXPECT_NE(described.out.find("signature    people\n"), std::string::npos) << described.out;
  EXPECT_NE(described.out.find("description  names of the people file\n"), std::string::npos);
  EXPECT_NE(described.out.find("sequence 0   sound code, 16 bits, header page 1\n"),
            std::string::npos)
      << described.out;
  EXPECT_NE(described.out.find("keys       0, with 0 record numbers"), std::string::npos);
}

TEST_F(IndexCommand, CreatingAnExistingSequenceFailsButAnotherSequenceIsAdded) {
  ASSERT_EQ(run_cli({"index", "create", index_}).status, 0);
  CliResult again = run_cli({"index", "create", index_});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("sequence 0 exists already"), std::string::npos) << again.err;

  CliResult second =
      run_cli({"index", "create", index_, "--seq", "3", "--coding", "hash", "--width", "32"});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, index_ + ": index sequence created, sequence 3\n");
  CliResult described = run_cli({"index", "describe", index_});
  EXPECT_NE(described.out.find("sequences    2\n"), std::string::npos) << described.out;
  EXPECT_NE(described.out.find("sequence 3   hash, 32 bits"), std::string::npos);
}

TEST_F(IndexCommand, LoadFilesTheKeyColumnUnderRowNumbers) {
  CliResult loaded = load();
  ASSERT_EQ(loaded.status, 0) << loaded.err;
  // Six data rows; the empty name of row 6 is no key.
  EXPECT_EQ(loaded.out,
            data_ + ": 6 rows, 5 record numbers filed into " + index_ + " sequence 0\n");

  EXPECT_EQ(query("SMITH").out, "1\n4\n");
  EXPECT_EQ(query("smith").out, "1\n4\n") << "exact keys compare without regard to case";
  EXPECT_EQ(query("SMITH / JONES").out, "1\n3\n4\n");
  EXPECT_EQ(query("SMITH | BROWN").out, "1\n4\n5\n");
  EXPECT_EQ(query("NOBODY").out, "");
  EXPECT_EQ(query("SMITH", {"--count"}).out, "2\n");
}

TEST_F(IndexCommand, SimilarityTermsWidenToNamesThatSoundAndAreSpelledAlike) {
  ASSERT_EQ(load().status, 0);
  CliResult similar = query("SMITH?", {"--expansions"});
  ASSERT_EQ(similar.status, 0) << similar.err;
  EXPECT_EQ(similar.out, "1\n2\n4\n");
  EXPECT_NE(similar.err.find("SMYTH"), std::string::npos) << similar.err;

  CliResult strict = query("SMITH?", {"--threshold", "900"});
  EXPECT_EQ(strict.out, "1\n4\n");
}

TEST_F(IndexCommand, QueryWritesTheSelectedRowsOfTheDataFile) {
  ASSERT_EQ(load().status, 0);
  CliResult rows = query("JONES / BROWN", {"--data", data_, "--header"});
  ASSERT_EQ(rows.status, 0) << rows.err;
  EXPECT_EQ(rows.out, "3\t103\tJONES\tBOSTON\n5\t105\tBROWN\tAUSTIN\n");

  // A complement: every row whose name is not SMITH, limited to the rows of the data file.
  CliResult others = query("#SMITH", {"--data", data_, "--header", "--count"});
  EXPECT_EQ(others.out, "4\n") << others.err;
}

TEST_F(IndexCommand, ASelectorSearchesAnotherSequenceOfTheFile) {
  ASSERT_EQ(load().status, 0);
  ASSERT_EQ(
      run_cli({"index", "load", index_, data_, "--column", "3", "--header", "--seq", "1"}).status,
      0);
  CliResult both = query("SMITH & CITY=BOSTON", {"--index", "CITY=1"});
  ASSERT_EQ(both.status, 0) << both.err;
  EXPECT_EQ(both.out, "1\n");
  EXPECT_EQ(query("CITY=(BOSTON / AUSTIN)", {"--index", "CITY=1"}).out, "1\n3\n5\n6\n");
}

TEST_F(IndexCommand, AQueryErrorPointsAtItsPosition) {
  ASSERT_EQ(load().status, 0);
  CliResult bad = query("SMITH & & JONES");
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("tovr: query error at position"), std::string::npos) << bad.err;
  EXPECT_NE(bad.err.find("  SMITH & & JONES\n"), std::string::npos) << bad.err;
  EXPECT_NE(bad.err.find("^"), std::string::npos);
  EXPECT_EQ(bad.out, "");
}

TEST_F(IndexCommand, DescribeListsKeysWithTheirRecordCounts) {
  ASSERT_EQ(load().status, 0);
  CliResult described = run_cli({"index", "describe", index_, "--keys"});
  ASSERT_EQ(described.status, 0) << described.err;
  EXPECT_NE(described.out.find("keys       4, with 5 record numbers"), std::string::npos)
      << described.out;
  EXPECT_NE(described.out.find("    SMITH\t2\n"), std::string::npos) << described.out;
  EXPECT_NE(described.out.find("    SMYTH\t1\n"), std::string::npos);
}

TEST_F(IndexCommand, LoadingManyRecordsUnderOneKeyKeepsThemAll) {
  // Enough record numbers under one key to pass from a single number to a relation and on
  // to a bitmap.
  std::string text;
  for (int i = 1; i <= 3000; ++i) text += (i % 3 == 0 ? "ODD\n" : "COMMON\n");
  write_text(data_, text);
  CliResult loaded = run_cli({"index", "load", index_, data_, "--column", "1"});
  ASSERT_EQ(loaded.status, 0) << loaded.err;
  EXPECT_EQ(query("COMMON", {"--count"}).out, "2000\n");
  EXPECT_EQ(query("ODD", {"--count"}).out, "1000\n");
  CliResult described = run_cli({"index", "describe", index_, "--keys"});
  EXPECT_NE(described.out.find("    COMMON\t2000\n"), std::string::npos) << described.out;
  EXPECT_NE(described.out.find("    ODD\t1000\n"), std::string::npos) << described.out;
}

TEST_F(IndexCommand, BadRowsAndBadFilesAreReportedWithTheirPlace) {
  write_text(data_, "SMITH\n" + std::string(90, 'X') + "\nJONES\n");
  CliResult loaded = run_cli({"index", "load", index_, data_, "--column", "1"});
  EXPECT_EQ(loaded.status, 0);
  EXPECT_NE(loaded.err.find(data_ + ":2: key longer than 83 characters"), std::string::npos)
      << loaded.err;
  EXPECT_EQ(query("JONES").out, "3\n");

  CliResult not_index = run_cli({"index", "query", data_, "SMITH"});
  EXPECT_EQ(not_index.status, 1);
  EXPECT_NE(not_index.err.find(data_ + ": not an index file"), std::string::npos) << not_index.err;
  CliResult no_sequence = query("SMITH", {"--seq", "7"});
  EXPECT_EQ(no_sequence.status, 1);
  EXPECT_NE(no_sequence.err.find("holds no sequence 7"), std::string::npos) << no_sequence.err;
}

}  // namespace
}  // namespace tovr::test

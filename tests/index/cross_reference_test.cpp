#include <gtest/gtest.h>

#include <string>

#include "index/CrossReference.h"
#include "index/IndexMessages.h"
#include "index/IndexTables.h"
#include "index_test_util.h"
#include "support/test_support.h"

namespace tovr {
namespace {

using test::Statements;

class CrossReferenceTest : public ::testing::Test {
 protected:
  void TearDown() override { release_tables(); }
  int load(const Statements& s) { return load_cross_reference(s.get()); }
  const IndexTables& tables() { return index_tables(); }
  test::MemFs fs_;
};

TEST_F(CrossReferenceTest, BuildsEntriesInStatementOrder) {
  ASSERT_EQ(load(Statements{"FILE a.idx\nINDEX 0 CITY\r\nindex 5 Zip", "file  b dir/x.idx",
                            "Index 248 STREET", "comment lines are ignored", "", "END"}),
            kDbOk);
  ASSERT_EQ(tables().entry_count, 3);
  ASSERT_EQ(tables().file_count, 2);
  EXPECT_STREQ(tables().files[0].path, "a.idx");
  // Everything after the separator is the path, blanks included.
  EXPECT_STREQ(tables().files[1].path, " b dir/x.idx");
  EXPECT_STREQ(tables().entries[1].name, "Zip");
  EXPECT_EQ(tables().entries[1].seq, 5);
  EXPECT_EQ(tables().entries[1].fcb, &tables().files[0]);
  EXPECT_EQ(tables().entries[2].seq, 248);
  EXPECT_EQ(tables().entries[2].fcb, &tables().files[1]);
  EXPECT_TRUE(tables().loaded);
  EXPECT_EQ(find_entry("zip"), &tables().entries[1]);
  EXPECT_EQ(find_entry("ZI"), nullptr);
}

TEST_F(CrossReferenceTest, HostStatementsMustEndWithEnd) {
  EXPECT_EQ(load(Statements{"FILE a.idx", "INDEX 0 CITY"}), kDbXrefErrors);
  EXPECT_FALSE(tables().loaded);
  // Statements after END are not read.
  EXPECT_EQ(load(Statements{"FILE a.idx", "END", "INDEX -1 BAD"}), kDbOk);
  EXPECT_EQ(tables().entry_count, 0);
}

TEST_F(CrossReferenceTest, RefusesBrokenStatements) {
  const char* bad[] = {
      "INDEX 0 CITY\nFILE a\nEND",                // INDEX before any FILE
      "FILE a\nINDEX 249 CITY\nEND",              // sequence number too large
      "FILE a\nINDEX -1 CITY\nEND",               // negative
      "FILE a\nINDEX 70000 CITY\nEND",            // outside 16 bits
      "FILE a\nINDEX 1 NINECHARS\nEND",           // name too long
      "FILE a\nINDEX 1 CITY\nINDEX 2 city\nEND",  // names differ only in case
      "FILE a\nINDEX 1 CITY\nINDEX 1 ZIP\nEND",   // one number twice in a file
      "FILE a\nINDEX 1\nEND",                     // name missing
      "FILE a\nINDEX CITY\nEND",                  // number missing
      "FILE\nEND",                                // no path
      "FILE \nEND",                               // separator but no path
      "FILE a\nINCLUDE\nEND",                     // INCLUDE without a name
  };
  for (const char* text : bad) {
    EXPECT_EQ(load(Statements{text}), kDbXrefErrors) << text;
    EXPECT_FALSE(tables().loaded);
  }
}

TEST_F(CrossReferenceTest, AcceptsTheLimits) {
  EXPECT_EQ(load(Statements{"FILE a\nINDEX 248 CITY\nINDEX 0 EIGHTCHR\nFILE b\nINDEX 0 ZIP\nEND"}),
            kDbOk);
  EXPECT_EQ(tables().entry_count, 3);
}

TEST_F(CrossReferenceTest, SamePathTwiceSharesOneFile) {
  EXPECT_EQ(load(Statements{"FILE a\nINDEX 1 CITY\nFILE b\nINDEX 1 ZIP\nFILE a\nINDEX 2 X\nEND"}),
            kDbOk);
  EXPECT_EQ(tables().file_count, 2);
  EXPECT_EQ(tables().entries[2].fcb, tables().entries[0].fcb);
  EXPECT_EQ(load(Statements{"FILE a\nINDEX 1 CITY\nFILE a\nINDEX 1 X\nEND"}), kDbXrefErrors);
}

TEST_F(CrossReferenceTest, IncludeReadsAFileInPlace) {
  fs_.put("more.xrf", "INDEX 3 ZIP\nEND\nINCLUDE other.xrf\nFILE b\nINDEX 3 STREET\n");
  ASSERT_EQ(load(Statements{"FILE a\nINDEX 1 CITY\nINCLUDE more.xrf\nINDEX 4 LAST\nEND"}), kDbOk);
  ASSERT_EQ(tables().entry_count, 4);
  EXPECT_STREQ(tables().entries[1].name, "ZIP");
  EXPECT_STREQ(tables().files[0].path, "a");
  EXPECT_STREQ(tables().entries[2].name, "STREET");
  EXPECT_EQ(tables().entries[3].fcb, &tables().files[1]);
  EXPECT_EQ(load(Statements{"FILE a\nINCLUDE missing.xrf\nEND"}), kDbXrefMissing);
  EXPECT_EQ(fs_.open_streams(), 0);
}

TEST_F(CrossReferenceTest, NoHostStatementsReadsTheCrossReferenceFile) {
  EXPECT_EQ(load_cross_reference(nullptr), kDbXrefMissing);
  fs_.put("indxname.xrf", "FILE a.idx\r\nINDEX 1 CITY\r\nEND\nINCLUDE x\nINDEX 2 ZIP\n");
  ASSERT_EQ(load_cross_reference(nullptr), kDbOk);
  EXPECT_EQ(tables().entry_count, 2);
  EXPECT_STREQ(tables().files[0].path, "a.idx");
  release_tables();
  const char* empty[] = {"", nullptr};
  ASSERT_EQ(load_cross_reference(empty), kDbOk);
  EXPECT_EQ(tables().entry_count, 2);
  fs_.put("indxname.xrf", "FILE a.idx\nINDEX 1 CITY\nINDEX 1 ZIP\n");
  EXPECT_EQ(load_cross_reference(nullptr), kDbXrefErrors);
  EXPECT_EQ(fs_.open_streams(), 0);
}

TEST_F(CrossReferenceTest, SurvivesFailingReadsAndAllocations) {
  fs_.put("indxname.xrf", "FILE a.idx\nINDEX 1 CITY\nINDEX 2 ZIP\n");
  test::sweep_file_failures(test::FileFaults::Op::kRead, [&](test::FileFaults& faults) {
    // A statement file that cannot be read to its end counts as missing.
    const int status = load_cross_reference(nullptr);
    EXPECT_EQ(status, faults.injected() ? kDbXrefMissing : kDbOk);
    release_tables();
  });
  test::sweep_allocation_failures([&](test::AllocationFaults& faults) {
    const int status = load_cross_reference(nullptr);
    EXPECT_EQ(status, faults.injected() ? kDbNoSpace : kDbOk);
    release_tables();
  });
}

}  // namespace
}  // namespace tovr

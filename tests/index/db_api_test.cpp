#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "index/IndexTables.h"
#include "index_test_util.h"
#include "support/test_support.h"
#include "tovr.h"

namespace tovr {
namespace {

using test::Statements;

class DbApiTest : public ::testing::Test {
 protected:
  void TearDown() override {
    TOVR_dbSetNumRecords(nullptr, 3200);
    EXPECT_FALSE(index_tables().loaded);
  }
  TOVR_Db* open(const char* name, int* status, short write_flag = 1) {
    return TOVR_dbOpen(name, 'S', 'S', status, 6, 10, 10, statements_.get(), "SIG", write_flag);
  }
  test::MemFs fs_;
  Statements statements_{"FILE api.idx\nINDEX 1 NAMES\nINDEX 2 OTHER\nEND"};
};

TEST_F(DbApiTest, EveryHandleOperationChecksTheTag) {
  char junk[64] = "NOT A HANDLE";
  TOVR_Db* bad = reinterpret_cast<TOVR_Db*>(junk);
  char tail[90];
  const int group[] = {1, 0};
  for (TOVR_Db* h : {static_cast<TOVR_Db*>(nullptr), bad}) {
    EXPECT_EQ(TOVR_dbFlush(h), 13);
    EXPECT_EQ(TOVR_dbInsert(h, "K", 1, 0), 13);
    EXPECT_EQ(TOVR_dbInsert(h, "", 1, 0), 0);  // an empty key is ignored first
    EXPECT_EQ(TOVR_dbDelete(h, "K", 1), 13);
    EXPECT_EQ(TOVR_dbDeleteAll(h, "K"), 13);
    EXPECT_EQ(TOVR_dbFindMatch(h, "K"), 13);
    EXPECT_EQ(TOVR_dbNextMatch(h, tail), 13);
    EXPECT_EQ(TOVR_dbInsertGroup(h, "K", group), 13);
    EXPECT_EQ(TOVR_dbSetInsertCacheSize(h, 5), 13);
    EXPECT_EQ(TOVR_dbFlushInsertCache(h), 13);
    TOVR_Db* copy = h;
    EXPECT_EQ(TOVR_dbClose(&copy), 13);
    EXPECT_EQ(TOVR_dbRemove(&copy), 13);
  }
  EXPECT_EQ(TOVR_dbClose(nullptr), 13);
  EXPECT_EQ(TOVR_dbRemove(nullptr), 13);
}

TEST_F(DbApiTest, OpenInsertSearchAndCloseThroughTheInterface) {
  int status = -1;
  TOVR_Db* names = open("names", &status);
  ASSERT_NE(names, nullptr);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(std::memcmp(names, "ICB", 4), 0);
  TOVR_Db* other = open("OTHER", &status);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(open("NAMES", &status), names);
  EXPECT_EQ(status, 0);

  EXPECT_EQ(TOVR_dbInsert(names, "SMITH\\JOHN", 10, 0), 0);
  EXPECT_EQ(TOVR_dbInsert(names, "SMITH\\JANE", 11, 0), 0);
  EXPECT_EQ(TOVR_dbInsert(names, "SMITH\\JANE", 12, 1), 11);
  EXPECT_EQ(TOVR_dbInsert(names, "SMITH\\JANE", 11, 0), 12);
  char tail[90];
  EXPECT_EQ(TOVR_dbNextMatch(names, tail), 13);
  ASSERT_EQ(TOVR_dbFindMatch(names, "SMITH"), 0);
  ASSERT_EQ(TOVR_dbNextMatch(names, tail), 0);
  EXPECT_STREQ(tail, "JOHN");
  ASSERT_EQ(TOVR_dbNextMatch(names, tail), 0);
  EXPECT_STREQ(tail, "JANE");
  EXPECT_EQ(TOVR_dbNextMatch(names, tail), -1);
  EXPECT_EQ(TOVR_dbNextMatch(names, tail), 13);
  EXPECT_EQ(TOVR_dbFindMatch(names, "JONES"), 3);

  EXPECT_EQ(TOVR_dbDelete(names, "SMITH\\JOHN", 0), 7);
  EXPECT_EQ(TOVR_dbDelete(names, "SMITH\\JOHN", 99), 8);
  EXPECT_EQ(TOVR_dbDelete(names, "SMITH\\JOHN", 10), 0);
  EXPECT_EQ(TOVR_dbDelete(names, "SMITH\\JOHN", 10), 7);
  EXPECT_EQ(TOVR_dbDeleteAll(names, "SMITH\\JANE"), 0);

  const int group[] = {5, 6, 7, 0};
  EXPECT_EQ(TOVR_dbInsertGroup(other, "G", group), 0);
  EXPECT_EQ(TOVR_dbSetInsertCacheSize(other, 10), 0);
  EXPECT_EQ(TOVR_dbInsert(other, "H", 1, 0), 0);
  EXPECT_EQ(TOVR_dbFlushInsertCache(other), 0);
  EXPECT_EQ(TOVR_dbFlush(other), 0);

  EXPECT_EQ(TOVR_dbRemove(&other), 0);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(TOVR_dbClose(&names), 0);
  EXPECT_EQ(names, nullptr);
  EXPECT_EQ(fs_.open_streams(), 0);

  other = open("OTHER", &status);
  EXPECT_EQ(status, 2);  // removed, so created again
  EXPECT_EQ(TOVR_dbFindMatch(other, "G"), 3);
  EXPECT_EQ(TOVR_dbClose(&other), 0);
}

TEST_F(DbApiTest, StatusTextsAndRecordCount) {
  char text[64];
  TOVR_dbQueryCodeEnum(2, text);
  EXPECT_STREQ(text, "New index sequence created");
  TOVR_dbQueryCodeEnum(9, text);
  std::string nine = text;
  TOVR_dbQueryCodeEnum(10, text);
  EXPECT_EQ(nine, text);
  TOVR_dbQueryCodeEnum(19, text);
  EXPECT_STREQ(text, "Return code undefined");
  TOVR_dbQueryCodeEnum(-1, text);
  EXPECT_STREQ(text, "Return code undefined");
  TOVR_dbQueryCodeEnum(0, text);
  EXPECT_STREQ(text, "");
  TOVR_dbQueryCodeEnum(3, nullptr);
  EXPECT_EQ(TOVR_dbSetNumRecords(nullptr, 6400), 200);
  EXPECT_EQ(TOVR_dbSetNumRecords(nullptr, 31), 0);
}

}  // namespace
}  // namespace tovr

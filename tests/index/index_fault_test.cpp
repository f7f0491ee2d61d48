// Failing allocations, reads and writes during a run of insertions and deletions: every
// status is one the operation may give, nothing leaks, and the file stays consistent.
#include <gtest/gtest.h>

#include <string>

#include "index/DbStatus.h"
#include "index/InsertCache.h"
#include "index_fixture.h"

namespace tovr {
namespace {

using Op = test::FileFaults::Op;

class IndexFaultTest : public test::IndexFixture {
 protected:
  // Builds single pointers, relations and bitmaps, deletes some of each, and closes.
  // False when the file could not even be created.
  bool scenario(int buffers, bool cached, int operations = 400) {
    int status = -1;
    Icb* icb = open_index(test::request("CITY", statements_, 'R', 'S', buffers), &status);
    if (icb == nullptr) return false;
    index_tables().record_count = 6;
    if (cached) set_insert_cache_size(*icb, 40);
    for (int i = 0; i < operations; ++i) {
      const std::string key = "KEY" + std::to_string(i % 40);
      const int s = db_insert(*icb, key.c_str(), 1 + (i * 7919) % 9000, 0);
      EXPECT_TRUE(s == 0 || s == kDbNoSpace || s == kDbDuplicate || s == kDbBadHandle) << s;
    }
    for (int i = 0; i < operations; i += 3) {
      const std::string key = "KEY" + std::to_string(i % 40);
      const int s = delete_key(*icb, key.c_str(), 1 + (i * 7919) % 9000);
      EXPECT_TRUE(s == 0 || s == kDbNoSpace || s == kDbToRelation || s == kDbPointerNotFound ||
                  s == kDbKeyNotFound)
          << s;
    }
    close_index(icb);
    index_tables().record_count = 100;
    return true;
  }

  // Opens the file again without faults and walks it.
  void check_file() {
    if (!fs_.exists("t.idx")) return;
    test::WalkResult r = test::walk_index(fs_.get("t.idx"), {kSeq}, false);
    for (const std::string& e : r.errors) ADD_FAILURE() << e;
  }
};

TEST_F(IndexFaultTest, FailingAllocations) {
  for (bool cached : {false, true}) {
    test::sweep_allocation_failures([&](test::AllocationFaults&) {
      fs_.files().clear();
      scenario(5, cached);
      EXPECT_FALSE(index_tables().loaded);
    });
    check_file();
  }
}

TEST_F(IndexFaultTest, FailingWritesAreWrittenAgainByTheNextFlush) {
  test::ConsoleCapture console;
  const long runs = test::sweep_file_failures(Op::kWrite, [&](test::FileFaults&) {
    fs_.files().clear();
    if (scenario(500, false)) check_file();
  });
  EXPECT_GT(runs, 20);
}

TEST_F(IndexFaultTest, FailingReadsAndSeeks) {
  test::ConsoleCapture console;
  for (Op op : {Op::kRead, Op::kSeek}) {
    test::sweep_file_failures(op, [&](test::FileFaults&) {
      fs_.files().clear();
      if (scenario(5, false, 150)) check_file();
      EXPECT_FALSE(index_tables().loaded);
      EXPECT_EQ(fs_.open_streams(), 0);
    });
  }
}

}  // namespace
}  // namespace tovr

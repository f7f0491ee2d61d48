// A test fixture holding one open index sequence in an in-memory file system, with the
// consistency walk at hand.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "index/DbStatus.h"
#include "index/IndexHandle.h"
#include "index/KeyOps.h"
#include "index_test_util.h"
#include "index_walker.h"
#include "support/test_support.h"

namespace tovr::test {

class IndexFixture : public ::testing::Test {
 protected:
  static constexpr int kSeq = 3;

  void TearDown() override {
    if (icb_ != nullptr) close_index(icb_);
    icb_ = nullptr;
    index_tables().record_count = 100;
    EXPECT_FALSE(index_tables().loaded) << "a handle was left open";
    release_tables();
  }

  // Opens (creating when needed) the sequence CITY of file "t.idx".
  void open(char coding = 'R', char width = 'S', int buffers = 16) {
    coding_ = coding;
    width_ = width;
    buffers_ = buffers;
    int status = -1;
    icb_ = open_index(request("CITY", statements_, coding, width, buffers), &status);
    ASSERT_NE(icb_, nullptr) << "status " << status;
  }
  void reopen() {
    close_index(icb_);
    icb_ = nullptr;
    open(coding_, width_, buffers_);
  }
  Icb& icb() { return *icb_; }

  int insert(const std::string& key, int p, int flag = 0) {
    return db_insert(*icb_, key.c_str(), p, flag);
  }
  int remove(const std::string& key, int p) { return delete_key(*icb_, key.c_str(), p); }

  const std::string& file() {
    flush_index(*icb_);
    return fs_.get("t.idx");
  }
  // Flushes and walks the file; every structural error fails the test.
  WalkResult walk() {
    WalkResult r = walk_index(file(), {kSeq});
    for (const std::string& e : r.errors) ADD_FAILURE() << e;
    return r;
  }

  MemFs fs_;
  Statements statements_{"FILE t.idx\nINDEX 3 CITY\nEND"};
  Icb* icb_ = nullptr;
  char coding_ = 'R';
  char width_ = 'S';
  int buffers_ = 16;
};

}  // namespace tovr::test

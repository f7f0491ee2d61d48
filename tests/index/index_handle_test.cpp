#include <gtest/gtest.h>

#include <string>

#include "index/IndexHandle.h"
#include "index/IndexMessages.h"
#include "index/NodeStore.h"
#include "index_test_util.h"
#include "support/test_support.h"

namespace tovr {
namespace {

using test::page_of;
using test::Statements;
using test::u32_at;

const Statements kTwoSequences{"FILE seq.idx\nINDEX 4 CITY\nINDEX 9 ZIP\nFILE other.idx",
                               "INDEX 4 STREET\nEND"};

class IndexHandleTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_FALSE(index_tables().loaded) << "a test left a handle open";
    release_tables();
  }
  Icb* open(const char* name, int* status, int write_flag = 1, char coding = 'R',
            char width = 'S') {
    return open_index(test::request(name, kTwoSequences, coding, width, 8, write_flag), status);
  }
  test::MemFs fs_;
};

TEST_F(IndexHandleTest, FirstOpenCreatesTheFileThenFurtherSequences) {
  int status = -1;
  Icb* city = open("city", &status);
  ASSERT_NE(city, nullptr);
  EXPECT_EQ(status, kDbFileCreated);
  EXPECT_EQ(std::string(city->tag, 4), std::string("ICB\0", 4));
  EXPECT_EQ(city->seq, 4);
  EXPECT_EQ(city->header_page, 1u);
  Icb* zip = open("ZIP", &status, 1, 'S', 'S');
  ASSERT_NE(zip, nullptr);
  EXPECT_EQ(status, kDbSequenceCreated);
  EXPECT_EQ(zip->header_page, 2u);
  EXPECT_EQ(zip->coding.method, kSoundCodeMethod);
  // A new sequence reaches the disk at once.
  const std::string p0 = page_of(fs_.get("seq.idx"), 0);
  EXPECT_EQ(u32_at(p0, 16), 3u);
  EXPECT_EQ(test::u16_at(p0, 26), 2);
  EXPECT_EQ(u32_at(p0, 28 + 4 * 4), 1u);
  EXPECT_EQ(u32_at(p0, 28 + 4 * 9), 2u);
  EXPECT_EQ(page_of(fs_.get("seq.idx"), 2)[14], 9);

  EXPECT_EQ(open("City", &status), city);
  EXPECT_EQ(status, kDbOk);
  close_index(zip);
  EXPECT_TRUE(index_tables().loaded);
  close_index(city);
  EXPECT_FALSE(index_tables().loaded);
  EXPECT_EQ(fs_.open_streams(), 0);

  city = open("CITY", &status);
  ASSERT_NE(city, nullptr);
  EXPECT_EQ(status, kDbOk);
  EXPECT_EQ(city->coding.method, kPearsonMethod);
  close_index(city);
}

TEST_F(IndexHandleTest, BadRequestsGiveTheirStatus) {
  int status = -1;
  EXPECT_EQ(open("NOPE", &status), nullptr);
  EXPECT_EQ(status, kDbNotFound);
  EXPECT_EQ(open("CITY", &status, 1, 'S', 'L'), nullptr);
  EXPECT_EQ(status, kDbBadParameter);
  EXPECT_FALSE(fs_.exists("seq.idx"));
  OpenRequest r = test::request("CITY", kTwoSequences);
  r.buffers = 4;
  EXPECT_EQ(open_index(r, &status), nullptr);
  EXPECT_EQ(status, kDbBadParameter);
  const Statements no_end{"FILE x\nINDEX 0 CITY"};
  r = test::request("CITY", no_end);
  EXPECT_EQ(open_index(r, &status), nullptr);
  EXPECT_EQ(status, kDbXrefErrors);
  fs_.put("other.idx", std::string(3000, 'x'));
  EXPECT_EQ(open("STREET", &status), nullptr);
  EXPECT_EQ(status, kDbNotFound);
  EXPECT_EQ(fs_.open_streams(), 0);
}

TEST_F(IndexHandleTest, FailedOpenLetsTheNextOpenReadNewStatements) {
  int status = -1;
  EXPECT_EQ(open("NOPE", &status), nullptr);
  Icb* icb =
      open_index(test::request("NOPE", Statements{"FILE n.idx\nINDEX 0 NOPE\nEND"}), &status);
  ASSERT_NE(icb, nullptr);
  EXPECT_EQ(status, kDbFileCreated);
  close_index(icb);
}

TEST_F(IndexHandleTest, ReadOnlyCreationWarnsAndProceeds) {
  int status = -1;
  Icb* city = open("CITY", &status);
  close_index(city);
  test::ConsoleCapture console;
  Icb* zip = open("ZIP", &status, 0);
  ASSERT_NE(zip, nullptr);
  EXPECT_EQ(status, kDbSequenceCreated);
  EXPECT_EQ(console.text().substr(0, 60),
            std::string("Read/write access on index createIndex open for read/write (NewIndex)")
                .substr(0, 60));
  close_index(zip);
}

TEST_F(IndexHandleTest, RemoveFreesEveryPageOfTheSequence) {
  int status = -1;
  Icb* city = open("CITY", &status);
  Icb* zip = open("ZIP", &status);
  ASSERT_NE(zip, nullptr);
  for (int i = 0; i < 130; ++i) ASSERT_GE(FreeNode(*zip), 0);  // a node page for ZIP
  ASSERT_EQ(zip->node_page_count, 1);
  const uint32_t node_page = zip->node_pages[0];
  test::ConsoleCapture console;
  remove_index(zip);
  EXPECT_EQ(console.text(), "");
  const std::string p0 = page_of(fs_.get("seq.idx"), 0);
  flush_index(*city);
  const std::string after = page_of(fs_.get("seq.idx"), 0);
  EXPECT_EQ(u32_at(after, 28 + 4 * 9), 0u);
  EXPECT_EQ(test::u16_at(after, 26), 1);
  // Pages are returned in ascending order, so the highest one heads the free list.
  EXPECT_EQ(u32_at(after, 16), node_page);
  EXPECT_EQ(page_of(fs_.get("seq.idx"), 2)[15], 2);
  zip = open("ZIP", &status);
  EXPECT_EQ(status, kDbSequenceCreated);
  close_index(zip);
  close_index(city);
}

TEST_F(IndexHandleTest, NodesRunOutAfterOneHundredNodePages) {
  int status = -1;
  Icb* city = open("CITY", &status);
  ASSERT_NE(city, nullptr);
  for (uint32_t n = 4; n < 126; ++n) ASSERT_EQ(FreeNode(*city), static_cast<long>(n));
  for (uint32_t k = 1; k <= 100; ++k) {
    for (uint32_t j = 0; j < 126; ++j) ASSERT_EQ(FreeNode(*city), static_cast<long>(126 * k + j));
  }
  EXPECT_EQ(FreeNode(*city), -1);
  EXPECT_EQ(city->node_page_count, 100);
  const uint32_t first = city->node_pages[0];
  const uint32_t second = city->node_pages[1];
  close_index(city);

  const std::string f = fs_.get("seq.idx");
  EXPECT_EQ(u32_at(page_of(f, 1), 4), first);
  EXPECT_EQ(u32_at(page_of(f, first), 4), second);
  EXPECT_EQ(u32_at(page_of(f, first), 8), 1u);
  EXPECT_EQ(u32_at(page_of(f, second), 8), first);
  // Slot j of node page k chains to node 126k + j + 1.
  EXPECT_EQ(u32_at(page_of(f, second), 16 + 8 * 5 + 4), 126u * 2 + 6);

  city = open("CITY", &status);
  ASSERT_NE(city, nullptr);
  EXPECT_EQ(city->node_page_count, 100);
  EXPECT_EQ(city->node_pages[1], second);
  ASSERT_TRUE(release_node(*city, 300));
  EXPECT_EQ(FreeNode(*city), 300);
  close_index(city);
}

TEST_F(IndexHandleTest, OpenSurvivesFailingFileOperations) {
  using Op = test::FileFaults::Op;
  for (Op op : {Op::kOpen, Op::kRead, Op::kWrite, Op::kSeek}) {
    test::ConsoleCapture console;
    const long runs = test::sweep_file_failures(op, [&](test::FileFaults&) {
      fs_.files().clear();
      int status = -1;
      Icb* city = open("CITY", &status);
      if (city != nullptr) {
        Icb* zip = open("ZIP", &status);
        if (zip != nullptr) close_index(zip);
        close_index(city);
      }
      EXPECT_FALSE(index_tables().loaded);
      EXPECT_EQ(fs_.open_streams(), 0);
    });
    EXPECT_GT(runs, 1);
  }
}

}  // namespace
}  // namespace tovr

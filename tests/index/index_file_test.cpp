#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frame/strings.h"
#include "index/IndexFile.h"
#include "index/IndexMessages.h"
#include "index/Label.h"
#include "index_test_util.h"
#include "support/test_support.h"

namespace tovr {
namespace {

using test::page_of;
using test::u16_at;
using test::u32_at;

constexpr char kPath[] = "file.idx";

class IndexFileTest : public ::testing::Test {
 protected:
  void SetUp() override { copy_text(fcb_.path, sizeof fcb_.path, kPath); }
  void TearDown() override { close_file(fcb_); }

  CreateSettings settings(int initial = 10, int extension = 10) {
    return CreateSettings{initial, extension, 'R', 'S', "MY SIGNATURE"};
  }
  int open(int buffers = 5, int write_flag = 1) {
    return OpenFile(fcb_, 0, settings(), buffers, write_flag);
  }
  void flush() { flush_file(fcb_, nullptr, 0); }
  const std::string& file() { return fs_.get(kPath); }

  test::MemFs fs_;
  Fcb fcb_{};
};

TEST_F(IndexFileTest, NewFileWritesLabelHeaderAndFreeChain) {
  ASSERT_EQ(NewFile(kPath, 7, CreateSettings{10, 12, 'r', 's', "MY SIGNATURE"}), kDbOk);
  const std::string& f = file();
  ASSERT_EQ(f.size(), 11u * 1024);
  EXPECT_EQ(f.substr(0, 4), std::string("\x41\xCE\xAE\x19", 4));
  EXPECT_EQ(u32_at(f, 4), 1600u);
  EXPECT_EQ(f.substr(8, 12), "MY SIGNATURE");
  EXPECT_EQ(f.substr(20, 1024 - 20), std::string(1004, ' '));

  const std::string p0 = page_of(f, 0);
  EXPECT_EQ(u32_at(p0, 0), 0u);
  EXPECT_EQ(p0[15], 5);
  EXPECT_EQ(u32_at(p0, 16), 2u);
  EXPECT_EQ(u32_at(p0, 20), 9u);
  EXPECT_EQ(u16_at(p0, 24), 12);
  EXPECT_EQ(u16_at(p0, 26), 1);
  for (int k = 0; k < 249; ++k) EXPECT_EQ(u32_at(p0, 28 + 4 * k), k == 7 ? 1u : 0u) << k;

  const std::string p1 = page_of(f, 1);
  EXPECT_EQ(u32_at(p1, 0), 1u);
  EXPECT_EQ(u32_at(p1, 4), 0u);
  EXPECT_EQ(static_cast<int>(p1[14]), 7);
  EXPECT_EQ(p1[15], 1);
  EXPECT_EQ(u32_at(p1, 16), 2u);   // Pearson hash
  EXPECT_EQ(u32_at(p1, 20), 4u);   // first free node
  EXPECT_EQ(u32_at(p1, 24), 16u);  // width
  EXPECT_EQ(u32_at(p1, 40), 0u);   // empty root
  EXPECT_EQ(u32_at(p1, 44), 0u);
  for (int j = 4; j < 126; ++j) {
    EXPECT_EQ(u32_at(p1, 16 + 8 * j), 0xFFFFFFFFu);
    EXPECT_EQ(u32_at(p1, 20 + 8 * j), j == 125 ? 0u : static_cast<uint32_t>(j + 1));
  }

  for (uint32_t n = 2; n <= 9; ++n) {
    const std::string p = page_of(f, n);
    EXPECT_EQ(u32_at(p, 0), n);
    EXPECT_EQ(u32_at(p, 4), n == 9 ? 0u : n + 1);
    EXPECT_EQ(p[15], 2);
    EXPECT_EQ(p.substr(16), std::string(1008, '\0'));
  }
}

TEST_F(IndexFileTest, NewFileRefusesBadSettings) {
  EXPECT_EQ(NewFile(kPath, 0, CreateSettings{9, 10, 'R', 'S', ""}), kDbBadParameter);
  EXPECT_EQ(NewFile(kPath, 0, CreateSettings{10, 9, 'R', 'S', ""}), kDbBadParameter);
  EXPECT_EQ(NewFile(kPath, 0, CreateSettings{10, 10, 'X', 'S', ""}), kDbBadParameter);
  EXPECT_EQ(NewFile(kPath, 0, CreateSettings{10, 10, 'R', 'M', ""}), kDbBadParameter);
  // The sound code has no 32-bit form.
  EXPECT_EQ(NewFile(kPath, 0, CreateSettings{10, 10, 'S', 'L', ""}), kDbBadParameter);
  EXPECT_FALSE(fs_.exists(kPath));
  EXPECT_EQ(NewFile(kPath, 0, CreateSettings{10, 10, 'S', 'S', ""}), kDbOk);
  EXPECT_EQ(u32_at(page_of(file(), 1), 16), 1u);
}

TEST_F(IndexFileTest, NewFileReportsEveryFailedWrite) {
  test::sweep_file_failures(test::FileFaults::Op::kWrite, [&](test::FileFaults& faults) {
    const int status = NewFile(kPath, 0, settings());
    EXPECT_EQ(status, faults.injected() ? kDbNoSpace : kDbOk);
  });
  EXPECT_EQ(fs_.open_streams(), 0);
}

TEST_F(IndexFileTest, OpenFileCreatesOnceThenOpens) {
  EXPECT_EQ(open(4), kDbBadParameter);
  EXPECT_EQ(open(5), kDbFileCreated);
  close_file(fcb_);
  EXPECT_EQ(open(5), kDbOk);
  EXPECT_EQ(file_header(fcb_).highest(), 9u);
}

TEST_F(IndexFileTest, OpenFileRefusesBadLabelsAndTruncatedFiles) {
  ASSERT_EQ(NewFile(kPath, 0, settings()), kDbOk);
  const std::string good = file();

  std::string bad_magic = good;
  bad_magic[0] = 0x42;
  fs_.put(kPath, bad_magic);
  EXPECT_EQ(open(), kDbNotFound);

  std::string version = good;
  test::put_u32(version, 4, 1700);
  fs_.put(kPath, version);
  EXPECT_EQ(open(), kDbOk);
  close_file(fcb_);
  test::put_u32(version, 4, 1500);
  fs_.put(kPath, version);
  EXPECT_EQ(open(), kDbNotFound);

  fs_.put(kPath, good.substr(0, 1500));
  EXPECT_EQ(open(), kDbNotFound);

  std::string not_header = good;
  not_header[1024 + 15] = 1;
  fs_.put(kPath, not_header);
  EXPECT_EQ(open(), kDbNotFound);
  EXPECT_EQ(fs_.open_streams(), 0);
}

TEST_F(IndexFileTest, ExistingFileIsNeverCreatedOver) {
  ASSERT_EQ(NewFile(kPath, 0, settings()), kDbOk);
  const std::string before = file();
  test::FileFaults faults;
  faults.fail_at(test::FileFaults::Op::kOpen, 1);  // the update open fails
  EXPECT_EQ(open(), kDbNoSpace);
  EXPECT_EQ(file(), before);
}

TEST_F(IndexFileTest, FreePageTakesTheChainThenGrowsByTheExtension) {
  ASSERT_EQ(open(), kDbFileCreated);
  uint8_t* b = nullptr;
  for (uint32_t n = 2; n <= 9; ++n) {
    EXPECT_EQ(FreePage(fcb_, &b, kKeyPage, 0, "test"), n);
    EXPECT_EQ(PageRef(b).type(), kKeyPage);
  }
  EXPECT_EQ(file_header(fcb_).first_free(), 0u);
  EXPECT_EQ(FreePage(fcb_, &b, kBitmapPage, 3, "test"), 10u);
  EXPECT_EQ(PageRef(b).owner(), 3);
  EXPECT_EQ(file_header(fcb_).highest(), 19u);
  EXPECT_EQ(file_header(fcb_).first_free(), 11u);
  EXPECT_EQ(file().size(), 21u * 1024);
  const std::string p19 = page_of(file(), 19);
  EXPECT_EQ(u32_at(p19, 0), 19u);
  EXPECT_EQ(u32_at(p19, 4), 0u);
  EXPECT_EQ(p19[15], 2);
  EXPECT_EQ(u32_at(page_of(file(), 12), 4), 13u);
}

TEST_F(IndexFileTest, ReturnedPagesAreHandedOutFirst) {
  ASSERT_EQ(open(), kDbFileCreated);
  uint8_t* b = nullptr;
  const uint32_t a = FreePage(fcb_, &b, kRelationPage, 0, "test");
  const uint32_t c = FreePage(fcb_, &b, kKeyPage, 0, "test");
  ReturnPage(fcb_, ReadPage(fcb_, a, "test"), a, "test");
  ReturnPage(fcb_, ReadPage(fcb_, c, "test"), c, "test");
  EXPECT_EQ(file_header(fcb_).first_free(), c);
  EXPECT_EQ(FreePage(fcb_, &b, kKeyPage, 0, "test"), c);
  EXPECT_EQ(FreePage(fcb_, &b, kKeyPage, 0, "test"), a);
  EXPECT_EQ(FreePage(fcb_, &b, kKeyPage, 0, "test"), 4u);
}

TEST_F(IndexFileTest, FreshRelationPageChainsItsSlots) {
  ASSERT_EQ(open(), kDbFileCreated);
  uint8_t* b = nullptr;
  const uint32_t p = FreePage(fcb_, &b, kRelationPage, 0, "test");
  for (int s = 0; s < 22; ++s) {
    const uint8_t* slot = b + 16 + 44 * s;
    EXPECT_EQ(load_u32(slot), s == 21 ? 0u : p);
    EXPECT_EQ(slot[40], 5);
    EXPECT_EQ(slot[41], s == 21 ? 0 : s + 1);
  }
}

// A free list that leads to a page in use is dropped (its pages are lost) and the file
// grows instead; the page in use is left as it is.
TEST_F(IndexFileTest, FreePageNeverHandsOutAPageInUse) {
  ASSERT_EQ(open(), kDbFileCreated);
  uint8_t* b = nullptr;
  const uint32_t p = FreePage(fcb_, &b, kKeyPage, 0, "test");
  b[kPageHeader] = 'k';
  const uint32_t highest = file_header(fcb_).highest();
  file_header(fcb_).set_first_free(p);  // a broken free list
  test::ConsoleCapture console;
  EXPECT_EQ(FreePage(fcb_, &b, kKeyPage, 0, "SplitPage"), highest + 1);
  EXPECT_EQ(console.text(),
            "Page request is not free, FreePage 2, Caller = SplitPage.  Check for available "
            "disk space.");
  EXPECT_EQ(file_header(fcb_).first_free(), highest + 2);
  EXPECT_EQ(ReadPage(fcb_, p, "test")[kPageHeader], 'k');
}

TEST_F(IndexFileTest, LeastRecentlyUsedBufferIsEvictedAndWrittenBack) {
  ASSERT_EQ(open(5), kDbFileCreated);
  uint8_t* b = ReadPage(fcb_, 2, "test");
  ASSERT_NE(b, nullptr);
  b[100] = 'x';
  WritePage(fcb_, b, 2, "test");
  for (uint32_t n = 3; n <= 6; ++n) ASSERT_NE(ReadPage(fcb_, n, "test"), nullptr);
  EXPECT_GE(fcb_.pool.peek(2), 0);
  EXPECT_EQ(page_of(file(), 2)[100], '\0');
  ASSERT_NE(ReadPage(fcb_, 7, "test"), nullptr);
  EXPECT_LT(fcb_.pool.peek(2), 0);
  EXPECT_EQ(page_of(file(), 2)[100], 'x');
}

TEST_F(IndexFileTest, ReadOnlyFileDropsDirtyBuffers) {
  ASSERT_EQ(NewFile(kPath, 0, settings()), kDbOk);
  ASSERT_EQ(open(5, 2), kDbOk);  // opened for update but treated as read-only
  uint8_t* b = ReadPage(fcb_, 2, "test");
  b[100] = 'x';
  WritePage(fcb_, b, 2, "test");
  for (uint32_t n = 3; n <= 7; ++n) ReadPage(fcb_, n, "test");
  EXPECT_EQ(page_of(file(), 2)[100], '\0');
}

TEST_F(IndexFileTest, FlushWritesPageZeroFirstThenAscending) {
  ASSERT_EQ(open(8), kDbFileCreated);
  for (uint32_t n : {7u, 3u, 9u, 5u}) {
    uint8_t* b = ReadPage(fcb_, n, "test");
    WritePage(fcb_, b, n, "test");
  }
  fcb_.page0_dirty = true;
  test::WriteLog log;
  flush();
  EXPECT_EQ(log.pages(), (std::vector<long>{0, 3, 5, 7, 9}));
  log.clear();
  flush();
  EXPECT_TRUE(log.pages().empty());
}

TEST_F(IndexFileTest, PageWithWrongNumberIsReportedNotUsed) {
  ASSERT_EQ(NewFile(kPath, 0, settings()), kDbOk);
  std::string f = file();
  test::put_u32(f, 6 * 1024, 77);  // page 5 claims to be page 77
  fs_.put(kPath, f);
  ASSERT_EQ(open(), kDbOk);
  test::ConsoleCapture console;
  EXPECT_EQ(ReadPage(fcb_, 5, "FindEntry1"), nullptr);
  EXPECT_EQ(console.text(),
            "Page mismatch ReadPage from FindEntry1, req = 5, found = 77.  Check for available "
            "disk space");
}

TEST_F(IndexFileTest, FailedReadIsReportedAndRetriedLater) {
  ASSERT_EQ(open(), kDbFileCreated);
  test::ConsoleCapture console;
  {
    test::FileFaults faults;
    faults.fail_at(test::FileFaults::Op::kRead, 1);
    EXPECT_EQ(ReadPage(fcb_, 4, "GetNode"), nullptr);
  }
  EXPECT_EQ(console.text(),
            "Invalid read page 4 PhysIO.  Check for available disk space"
            "Page mismatch ReadPage from GetNode, req = 4, found = 0.  Check for available "
            "disk space");
  EXPECT_NE(ReadPage(fcb_, 4, "GetNode"), nullptr);
  console.clear();
  EXPECT_EQ(ReadPage(fcb_, 200, "GetNode"), nullptr);
  EXPECT_NE(console.text().find("Invalid read page 200 PhysIO"), std::string::npos);
}

TEST_F(IndexFileTest, FailedWriteBackIsReported) {
  ASSERT_EQ(open(5), kDbFileCreated);
  uint8_t* b = ReadPage(fcb_, 2, "test");
  WritePage(fcb_, b, 2, "test");
  for (uint32_t n = 3; n <= 6; ++n) ReadPage(fcb_, n, "test");
  test::ConsoleCapture console;
  test::FileFaults faults;
  faults.fail_at(test::FileFaults::Op::kWrite, 1);
  ASSERT_NE(ReadPage(fcb_, 7, "test"), nullptr);
  EXPECT_EQ(console.text(), "Invalid write, page 2, PhysIO.  Check for available disk space");
}

TEST_F(IndexFileTest, FailedGrowthLeavesTheHeaderAlone) {
  ASSERT_EQ(open(), kDbFileCreated);
  uint8_t* b = nullptr;
  for (int i = 0; i < 8; ++i) FreePage(fcb_, &b, kKeyPage, 0, "test");
  test::FileFaults faults;
  faults.fail_at(test::FileFaults::Op::kWrite, 3);
  EXPECT_EQ(FreePage(fcb_, &b, kKeyPage, 0, "test"), 0u);
  EXPECT_EQ(file_header(fcb_).highest(), 9u);
  EXPECT_EQ(file_header(fcb_).first_free(), 0u);
}

TEST_F(IndexFileTest, LabelOperationsOnClosedFiles) {
  ASSERT_EQ(NewFile(kPath, 0, settings()), kDbOk);
  EXPECT_EQ(is_valid_file(kPath, "MY SIGNATURE"), 1);
  EXPECT_EQ(is_valid_file(kPath, "my signature"), 0);
  EXPECT_EQ(is_valid_file(kPath, "MY SIGNATURE "), 0);
  EXPECT_EQ(is_valid_file("missing", "MY SIGNATURE"), 0);

  EXPECT_EQ(set_metadata(kPath, "Streets of 2024"), kDbOk);
  const std::string f = file();
  EXPECT_EQ(f.substr(8, 12), "MY SIGNATURE");
  EXPECT_EQ(f.substr(20, 244), std::string(244, ' '));
  EXPECT_EQ(f.substr(264, 15), "Streets of 2024");
  EXPECT_EQ(f.substr(279, 745), std::string(745, ' '));
  EXPECT_EQ(f.size(), 11u * 1024);

  char text[800];
  EXPECT_EQ(get_metadata(kPath, text, 7), kDbOk);
  EXPECT_STREQ(text, "Streets");
  EXPECT_EQ(get_metadata(kPath, text, 100), kDbOk);
  EXPECT_STREQ(text, "Streets of 2024");
  EXPECT_EQ(get_metadata(kPath, text, 15), kDbOk);
  EXPECT_STREQ(text, "Streets of 2024");
  EXPECT_EQ(get_metadata("missing", text, 10), kDbNotFound);

  EXPECT_EQ(set_metadata(kPath, std::string(900, 'd').c_str()), kDbOk);
  EXPECT_EQ(get_metadata(kPath, text, 799), kDbOk);
  EXPECT_EQ(std::string(text), std::string(759, 'd'));
  EXPECT_EQ(file()[1023], ' ');

  fs_.put("plain.txt", std::string(2048, 'x'));
  EXPECT_EQ(set_metadata("plain.txt", "x"), kDbNotFound);
  EXPECT_EQ(fs_.get("plain.txt"), std::string(2048, 'x'));
  EXPECT_EQ(fs_.open_streams(), 0);
}

}  // namespace
}  // namespace tovr

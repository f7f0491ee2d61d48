#include "frame/line_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tovr {
namespace {

using test::FileFaults;

// Every line a reader gives, until the end of the file or a failed read ("<error>").
std::vector<std::string> all_lines(Stream s, int size, LongLine mode) {
  std::vector<std::string> lines;
  std::vector<char> buffer(static_cast<std::size_t>(size));
  for (;;) {
    const ReadResult r = read_line(s, buffer.data(), size, mode);
    if (r == ReadResult::kEnd) return lines;
    if (r == ReadResult::kError) {
      lines.push_back("<error>");
      return lines;
    }
    lines.emplace_back(buffer.data());
  }
}

class LineReaderTest : public ::testing::Test {
 protected:
  std::vector<std::string> read_file(const std::string& bytes, int size, LongLine mode) {
    fs_.put("f.txt", bytes);
    StreamCloser s(stream_open("f.txt", "r"));
    return all_lines(s.get(), size, mode);
  }
  test::MemFs fs_;
};

TEST_F(LineReaderTest, SplitModeReadsTheRestOfALongLineAsALineOfItsOwn) {
  using V = std::vector<std::string>;
  EXPECT_EQ(read_file("ab\ncdefgh\nij", 5, LongLine::kSplit), (V{"ab\n", "cdef", "gh\n", "ij"}));
  EXPECT_EQ(read_file("", 5, LongLine::kSplit), V{});
  EXPECT_EQ(read_file("abcd\n", 5, LongLine::kSplit), (V{"abcd", "\n"}));
}

TEST_F(LineReaderTest, SkipModeDropsTheRestOfALongLine) {
  using V = std::vector<std::string>;
  EXPECT_EQ(read_file("ab\ncdefgh\nij", 5, LongLine::kSkipRest), (V{"ab\n", "cdef", "ij"}));
  // Exactly as long as the buffer: only the line feed is dropped.
  EXPECT_EQ(read_file("abcd\nef\n", 5, LongLine::kSkipRest), (V{"abcd", "ef\n"}));
  // The rest runs over several chunks of the skipping read, and to the end of the file.
  const std::string long_line(1000, 'x');
  EXPECT_EQ(read_file("a\n" + long_line + "\nb\n", 5, LongLine::kSkipRest),
            (V{"a\n", "xxxx", "b\n"}));
  EXPECT_EQ(read_file(long_line, 5, LongLine::kSkipRest), V{"xxxx"});
  // A NUL byte inside a long line does not hide its length.
  EXPECT_EQ(read_file(std::string("ab\0defgh\nij\n", 12), 5, LongLine::kSkipRest),
            (V{"ab", "ij\n"}));
}

TEST_F(LineReaderTest, EndOfFileLeavesTheLastLineInTheBuffer) {
  fs_.put("f.txt", "last\n");
  StreamCloser s(stream_open("f.txt", "r"));
  char buffer[16];
  ASSERT_EQ(read_line(s.get(), buffer, sizeof buffer), ReadResult::kLine);
  EXPECT_EQ(read_line(s.get(), buffer, sizeof buffer), ReadResult::kEnd);
  EXPECT_STREQ(buffer, "last\n");
}

TEST_F(LineReaderTest, FailedReadIsAnErrorNotTheEnd) {
  fs_.put("f.txt", "one\ntwo\n" + std::string(300, 'x') + "\nfour\n");
  for (LongLine mode : {LongLine::kSplit, LongLine::kSkipRest}) {
    std::vector<std::vector<std::string>> seen;
    for (long n = 1; n < 12; ++n) {
      StreamCloser s(stream_open("f.txt", "r"));
      FileFaults faults;
      faults.fail_at(FileFaults::Op::kRead, n);
      const auto lines = all_lines(s.get(), 64, mode);
      if (!faults.injected()) break;
      EXPECT_EQ(lines.back(), "<error>") << "read " << n;
      seen.push_back(lines);
    }
    // Every read of the file was failed once, the skipping reads included.
    EXPECT_EQ(seen.size(), mode == LongLine::kSplit ? 9u : 7u);
  }
}

TEST_F(LineReaderTest, SkipLineTellsTheEndFromAFailedRead) {
  fs_.put("f.txt", std::string(200, 'x') + "\nnext\n");
  StreamCloser s(stream_open("f.txt", "r"));
  char buffer[16];
  {
    FileFaults faults;
    faults.fail_at(FileFaults::Op::kRead, 2);
    EXPECT_EQ(skip_line(s.get()), ReadResult::kError);
  }
  stream_rewind(s.get());
  EXPECT_EQ(skip_line(s.get()), ReadResult::kLine);
  ASSERT_EQ(read_line(s.get(), buffer, sizeof buffer), ReadResult::kLine);
  EXPECT_STREQ(buffer, "next\n");
  EXPECT_EQ(skip_line(s.get()), ReadResult::kEnd);
}

TEST(LineReader, ANullStreamEndsWithoutAskingForItsEnd) { EXPECT_FALSE(read_failed(nullptr)); }

TEST(LineReader, ReadsARealFileThroughTheDefaultCallbacks) {
  const std::string path = test::scratch_dir("line_reader") + "/f.txt";
  std::ofstream(path, std::ios::binary) << "alpha\n" << std::string(40, 'y') << "\nomega";
  StreamCloser s(stream_open(path.c_str(), "r"));
  ASSERT_NE(s.get(), nullptr);
  using V = std::vector<std::string>;
  EXPECT_EQ(all_lines(s.get(), 16, LongLine::kSkipRest),
            (V{"alpha\n", std::string(15, 'y'), "omega"}));
}

}  // namespace
}  // namespace tovr

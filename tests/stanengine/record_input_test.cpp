// Reading records into the input area: lines, column pieces, several lines per record,
// delimiters, fixed-size and delimited binary records, clean-up, items, interactive mode,
// TEST, SKIP and the limits.
#include "stanengine/record_input.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "frame/stream.h"
#include "stancomp/input_area.h"
#include "stanengine/engine_status.h"
#include "stanengine/input_layout.h"
#include "support/test_support.h"

namespace tovr {
namespace {

namespace st = as_status;

class RecordInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stan_ = std::make_unique<Stan>();
    std::memset(stan_.get(), 0, sizeof(Stan));
    tables_.assign(kWorkBufferSize, '\0');
    stan_->work_buffers[kWorkBuffers - 1] = tables_.data();
    stan_->input_type = 'U';
    stan_->lines_per_record = 1;
    stan_->next_format_entry = 1;
    stan_->process_count = 1;
    for (short& f : stan_->first_format_entry) f = -1;
    stan_->first_format_entry[0] = 0;
    std::strcpy(stan_->input_file_name, "in.txt");
  }
  void TearDown() override {
    if (stan_->engine.input != nullptr) stream_close(stan_->engine.input);
  }

  Stan& stan() { return *stan_; }

  // Adds an entry to process p's chain, as the file reader builds them.
  void entry(int p, short line, short start, short length, const char* literal = "") {
    const short index = stan_->next_format_entry++;
    FormatEntry& e = stan_->format[index];
    e = FormatEntry{};
    e.first_line = e.last_line = line;
    e.start_column = start;
    e.length = literal[0] != '\0' ? static_cast<short>(std::strlen(literal)) : length;
    e.declared_length = literal[0] != '\0' ? 1 : length;
    std::strcpy(e.literal, literal);
    if (stan_->first_format_entry[p] <= 0) {
      stan_->first_format_entry[p] = index;
    } else {
      short last = stan_->first_format_entry[p];
      while (stan_->format[last].next != 0) last = stan_->format[last].next;
      stan_->format[last].next = index;
    }
  }
  void lay_out() {
    lay_out_input_area(*stan_);
    build_input_layout(*stan_, input_layout(*stan_));
  }

  int read() { return get_input(*stan_, area_, original_); }
  std::string area() const { return area_; }
  std::string original() const { return original_; }

  test::MemFs fs_;
  test::ConsoleCapture console_;
  std::unique_ptr<Stan> stan_;
  std::vector<char> tables_;
  char area_[kInputAreaMax + 1] = {};
  char original_[kInputAreaMax + 1] = {};
};

TEST_F(RecordInputTest, LinesGoWholeIntoTheAreaUntilTheInputEnds) {
  fs_.put("in.txt", "123 MAIN ST\r\nsecond line");
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "123 MAIN ST \n");  // the carriage return became a blank
  EXPECT_EQ(original(), "123 MAIN ST \n");
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "second line");  // a last line without its line feed is a record
  EXPECT_EQ(read(), st::kEofGets);
  EXPECT_EQ(area(), "");
  EXPECT_EQ(stan().engine.records_read, 2);
}

TEST_F(RecordInputTest, InputFileThatDoesNotOpenGivesTwo) {
  lay_out();
  EXPECT_EQ(read(), st::kOpenInput);
}

TEST_F(RecordInputTest, ColumnPiecesAndLiteralsTakeTheirPlacesInTheArea) {
  fs_.put("in.txt", "ABCDEFGHIJ\nAB\n");
  entry(0, 0, 1, 5);
  entry(0, 0, 0, 0, "XY");
  entry(0, 0, 8, 4);
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "ABCDE XY HIJ  ");  // the last piece runs past the line end: blanks
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "AB    XY      ");
}

TEST_F(RecordInputTest, LinesOfARecordFeedTheirEntriesOrGoWholeBehindThePieces) {
  fs_.put("in.txt", "JOHN SMITH\n12 MAIN ST\nSPRINGFIELD\n");
  stan().lines_per_record = 3;
  stan().process_count = 2;
  entry(0, 1, 1, 4);  // line 1, columns 1-4
  entry(1, 3, 1, 6);  // line 3, columns 1-6
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  // Line 2 feeds no entry and follows the laid-out pieces with its line end.
  EXPECT_EQ(area(), "JOHN SPRING 12 MAIN ST\n");
  EXPECT_EQ(original(), "JOHN SMITH\n12 MAIN ST\nSPRINGFIELD\n");
  EXPECT_EQ(stan().engine.records_read, 1);
}

TEST_F(RecordInputTest, AnEntryWithoutLineTakesTheLineOfTheEntryBeforeIt) {
  fs_.put("in.txt", "first\nABCDEFGH\n");
  stan().lines_per_record = 2;
  entry(0, 2, 1, 2);
  entry(0, 0, 5, 2);
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "AB EF first\n");
}

TEST_F(RecordInputTest, InputEndingInsideARecordLeavesTheLinesRead) {
  fs_.put("in.txt", "one\n");
  stan().lines_per_record = 2;
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "one\n");
  EXPECT_EQ(read(), st::kEofGets);
}

TEST_F(RecordInputTest, LineDelimiterSplitsOnePhysicalLineIntoTheRecordsLines) {
  fs_.put("in.txt", "A|B|C\nD\n");
  stan().line_delimiter = '|';
  stan().lines_per_record = 2;
  entry(0, 1, 1, 1);
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  // Line 1 feeds the entry; line 2 keeps every part that is left.
  EXPECT_EQ(area(), "A B\nC\n");
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "D ");
  EXPECT_EQ(read(), st::kEofGets);
}

TEST_F(RecordInputTest, RecordDelimiterEndsTheLine) {
  fs_.put("in.txt", "12 MAIN;rest\n");
  stan().record_delimiter = ';';
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "12 MAIN");
  EXPECT_EQ(original(), "12 MAIN;rest\n");
}

TEST_F(RecordInputTest, BinaryRecordsOfFixedSize) {
  fs_.put("in.txt", std::string("ABCDEFG\0IJKL", 12));
  stan().input_type = 'B';
  stan().record_size = 5;
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "ABCDE");
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "FG IJ");  // a NUL byte becomes a blank
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "KL");  // short at the end of the input: taken as it is
  EXPECT_EQ(read(), st::kEofRead);
}

TEST_F(RecordInputTest, BinaryRecordsUpToTheirDelimiter) {
  fs_.put("in.txt", "AB#CD#E" + std::string(1100, 'X'));
  stan().input_type = 'B';
  stan().record_delimiter = '#';
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "AB");
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "CD");
  EXPECT_EQ(read(), st::kTooLong);
  // The text read so far is shown, as far as one console message holds.
  EXPECT_EQ(console_.text(),
            ("Error: record exceeded max_size: E" + std::string(1021, 'X')).substr(0, 1023));
  fs_.put("empty.txt", "");
  stream_close(stan().engine.input);
  std::strcpy(stan().input_file_name, "empty.txt");
  stan().engine.input = nullptr;
  EXPECT_EQ(read(), st::kEofGetc);
}

TEST_F(RecordInputTest, CleanUpExpandsTabsAndBlanksControlCharacters) {
  fs_.put("in.txt",
          "AB\tC\x01"
          "D\n");
  stan().cleanup_input = 1;
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "AB      C D\n");
  EXPECT_EQ(original(),
            "AB\tC\x01"
            "D\n");
}

TEST_F(RecordInputTest, CleanUpThatWouldOverflowTheLineIsRefused) {
  fs_.put("in.txt", std::string(200, '\t') + "\n");
  stan().cleanup_input = 1;
  lay_out();
  EXPECT_EQ(read(), st::kTooLong);
  EXPECT_EQ(console_.text(), "Error: too many chars in input line\n");
}

TEST_F(RecordInputTest, ItemsOfALineFeedTheColumnEntriesInOrder) {
  fs_.put("in.txt", "12 MAIN ST\tSPRINGFIELD\tEXTRA\nONLY ONE\n");
  stan().item_delimiter = '\t';
  stan().cleanup_input = 1;  // a tab that delimits items is kept
  stan().process_count = 2;
  entry(0, 0, 1, 6);
  entry(1, 0, 1, 20);
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "12 MAI SPRINGFIELD          ");
  EXPECT_EQ(read(), st::kItemCount);
  EXPECT_EQ(console_.text(), "Error: bad ret code from procItems\n");
}

TEST_F(RecordInputTest, ItemsOfSeveralLinesFlowOverTheRecordsEntries) {
  fs_.put("in.txt", "A,B\nC\n");
  stan().item_delimiter = ',';
  stan().lines_per_record = 2;
  stan().multi_line_items = 1;
  entry(0, 0, 1, 1);
  entry(0, 0, 1, 1);
  entry(0, 0, 1, 1);
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "A B C ");
}

TEST_F(RecordInputTest, LineTakenWholeHasItsItemDelimitersBlanked) {
  fs_.put("in.txt", "12,MAIN,ST\n");
  stan().item_delimiter = ',';
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "12 MAIN ST\n");
}

TEST_F(RecordInputTest, InteractiveModeTakesTheHostsRecord) {
  stan().interactive = 1;
  stan().lines_per_record = 2;
  std::strcpy(original_, "12 MAIN ST\nSPRINGFIELD");
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "12 MAIN ST\nSPRINGFIELD");
  EXPECT_EQ(original(), "12 MAIN ST\nSPRINGFIELD");  // left as the host gave it
  original_[0] = '\0';
  EXPECT_EQ(read(), st::kEofGets);
  EXPECT_EQ(area(), "");
  EXPECT_FALSE(fs_.exists("in.txt"));
}

TEST_F(RecordInputTest, InteractiveBinaryBlocksAndLineDelimiter) {
  stan().interactive = 1;
  stan().input_type = 'B';
  stan().record_size = 4;
  stan().lines_per_record = 2;
  std::strcpy(original_, "ABCDEFGHIJ");
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "ABCDEFGH");
  stan().line_delimiter = '|';
  EXPECT_EQ(read(), st::kNotImplemented);
  EXPECT_EQ(console_.text(), "Interactive format for DelimiterLine not implemented\n");
}

TEST_F(RecordInputTest, TestCountStopsAndSkipDropsTheFirstRecords) {
  fs_.put("in.txt", "one\ntwo\nthree\nfour\n");
  stan().skip_count = 1;
  stan().test_count = 3;
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "two\n");
  EXPECT_EQ(original(), "two\n");
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), "three\n");
  EXPECT_EQ(read(), st::kTestReached);
  EXPECT_EQ(area(), "");
  // Skipping past the test count ends the input as well.
  stan().engine.records_read = 0;
  stream_rewind(stan().engine.input);
  stan().skip_count = 3;
  stan().test_count = 2;
  EXPECT_EQ(read(), st::kTestReached);
}

TEST_F(RecordInputTest, RecordSetOverTheLimitIsRefused) {
  fs_.put("in.txt", std::string(600, 'A') + "\n" + std::string(600, 'B') + "\n");
  stan().lines_per_record = 2;
  lay_out();
  EXPECT_EQ(read(), st::kTooLong);
  EXPECT_EQ(console_.text(), "Error: too many chars in input record set\n");
}

TEST_F(RecordInputTest, OverlongLineArrivesAsTwoRecordsWithoutOverflow) {
  fs_.put("in.txt", std::string(1500, 'A') + "\n");
  lay_out();
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), std::string(1024, 'A'));
  ASSERT_EQ(read(), st::kOk);
  EXPECT_EQ(area(), std::string(476, 'A') + "\n");
}

}  // namespace
}  // namespace tovr

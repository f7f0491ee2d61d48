// Output lines, keys in key order, the phonetic code.
#include "stanengine/record_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "frame/stream.h"
#include "stanengine/phonetic.h"
#include "support/test_support.h"

namespace tovr {
namespace {

class RecordOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fill_output_blanks();
    stan_ = std::make_unique<Stan>();
    std::memset(stan_.get(), 0, sizeof(Stan));
    line_.assign(kWorkBufferSize, '\0');
    stan_->work_buffers[0] = line_.data();
    stan_->output_file = stream_open("out.txt", "w");
  }
  void TearDown() override {
    if (stan_->output_file != nullptr) stream_close(stan_->output_file);
  }
  std::string written() {
    stream_flush(stan_->output_file);
    return fs_.get("out.txt");
  }

  test::MemFs fs_;
  std::unique_ptr<Stan> stan_;
  std::vector<char> line_;
};

TEST_F(RecordOutputTest, LineEndsInOneLineFeedAndIsPaddedToTheRecordLength) {
  write_output_line(*stan_, "KEY ", 4, "123 MAIN ST\n");
  write_output_line(*stan_, "KEY ", 4, "123 MAIN ST ");
  write_output_line(*stan_, "KEY ", 4, "TAB\t");  // a final control character is the line end
  EXPECT_EQ(written(), "KEY 123 MAIN ST\nKEY 123 MAIN ST \nKEY TAB\n");
}

TEST_F(RecordOutputTest, OutputRecordLengthPadsBeforeTheLineFeed) {
  stan_->output_record_length = 80;
  write_output_line(*stan_, "", 0, (std::string(50, 'A') + "\n").c_str());
  write_output_line(*stan_, "", 0, std::string(90, 'B').c_str());
  EXPECT_EQ(written(),
            std::string(50, 'A') + std::string(30, ' ') + "\n" + std::string(90, 'B') + "\n");
}

TEST_F(RecordOutputTest, LongLinesArriveWholeAndKeysStopAtTheirLength) {
  stan_->output_record_length = 3000;
  const std::string area(1000, 'Z');
  write_output_line(*stan_, "KEYKEY", 3, area.c_str());
  EXPECT_EQ(written(), "KEY" + area + std::string(1997, ' ') + "\n");
}

TEST_F(RecordOutputTest, NothingWithoutAnOutputFile) {
  stream_close(stan_->output_file);
  stan_->output_file = nullptr;
  write_output_line(*stan_, "KEY", 3, "AREA");
  EXPECT_EQ(fs_.get("out.txt"), "");
}

TEST_F(RecordOutputTest, KeysFollowTheKeyOrder) {
  Stan& s = *stan_;
  s.process_count = 2;
  std::strcpy(s.process_name[0], "A");
  std::strcpy(s.process_name[1], "B");
  char dict_a[] = "A.DCT";
  char dict_b[] = "B.DCT";
  s.dictionary_file[0] = dict_a;
  s.dictionary_file[1] = dict_b;
  char key_a[] = "aaa";
  char key_b[] = "bb";
  s.processMatchKeyContents[0] = key_a;
  s.processMatchKeyContents[1] = key_b;
  s.key_record_length[0] = 3;
  s.key_record_length[1] = 2;
  char name_b[] = "b";
  char name_x[] = "X";
  char name_a[] = "A";
  s.key_name[0] = name_b;
  s.key_name[1] = name_x;
  s.key_name[2] = name_a;
  s.key_length[1] = 4;
  s.key_count = 3;
  char keys[64] = "";
  build_output_keys(s, keys);
  EXPECT_STREQ(keys, "bb    aaa");
}

TEST(PhoneticCode, CodesLettersRepeatsAndDigits) {
  struct Case {
    const char* text;
    const char* code;
  } cases[] = {
      {"MARTIN", "M635"}, {"ASHCRAFT", "A226"}, {"123 MAIN", "123M"}, {"  LEE", "L000"},
      {"", "0000"},       {"    ", "0000"},     {"HTIMS", "H352"},    {"SMITH", "S530"},
      {"Martin", "M000"}, {"PFISTER", "P236"},  {"A1B2", "A1B2"},     {"TYMCZAK", "T522"},
  };
  for (const Case& c : cases) {
    char code[kPhoneticSize];
    phonetic_code(c.text, code);
    EXPECT_STREQ(code, c.code) << c.text;
  }
}

}  // namespace
}  // namespace tovr

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "matchkey/match_key.h"
#include "support/test_support.h"
#include "tovr.h"

namespace tovr {
namespace {

constexpr char kDictionary[] =
    "\\FORMAT\\ SORT=N\n"
    "C5 C 5 S\n"
    "N5 N 5 Z\n"
    "NS NS 5 Z\n"
    "M6 M 6 X\n"
    "MN MN 8 X\n"
    "M4 MN 4 X\n"
    "Z1 C 1 S\n";
constexpr int kRecordLength = 34;

class RecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(TOVR_mkInit(&mk_), 0);
    fs_.put("rec.dct", kDictionary);
    ASSERT_EQ(mkDictLoad(mk_, "rec", "rec.dct", "rec.dct"), 0);
  }
  void TearDown() override {
    EXPECT_EQ(TOVR_mkFree(mk_, "rec"), 0);
    TOVR_mkClose(mk_);
  }

  std::string record() {
    char buffer[kRecordLength + 2];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(TOVR_mkCopy(mk_, "rec", buffer), 0);
    EXPECT_EQ(buffer[kRecordLength], '\0');
    EXPECT_EQ(buffer[kRecordLength + 1], '#');
    return std::string(buffer, kRecordLength);
  }
  std::string get(const char* field) {
    char buffer[16];
    EXPECT_EQ(TOVR_mkGet(mk_, "rec", field, buffer), 0);
    return buffer;
  }
  // Fills every field with X, so that a write past a field's end shows.
  void fill() {
    for (const char* f : {"C5", "N5", "NS", "M6", "MN", "M4", "Z1"}) {
      char x[] = "XXXXXXXXXX";
      ASSERT_EQ(TOVR_mkSet(mk_, "rec", f, x), 0);
    }
    ASSERT_EQ(record(), std::string(kRecordLength, 'X'));
  }

  test::MemFs fs_;
  TOVR_Mk* mk_ = nullptr;
};

TEST_F(RecordTest, PlacementByTypeTouchesOnlyTheField) {
  const struct {
    const char* field;
    const char* value;
    const char* stored;
    const char* value_after;
  } cases[] = {
      {"C5", "AB", "AB   ", "AB"},
      {"C5", "ABCDE", "ABCDE", "ABCDE"},
      {"C5", "ABCDEFG", "ABCDE", "ABCDEFG"},
      {"C5", "", "     ", ""},
      {"N5", "42", "   42", "42"},
      {"N5", "1234567", "34567", "1234567"},
      {"N5", "00042", "00042", "00042"},
      {"NS", "00042", "   42", "42"},
      {"NS", "000", "    0", "0"},
      {"NS", "0012345", "12345", "12345"},
      {"NS", "0A", "    A", "A"},
      {"M6", "0012", "    12", "12"},
      {"M6", "12B", "12B   ", "12B"},
      {"M6", "0012B", "0012B ", "0012B"},
      {"M6", "1234567", "234567", "1234567"},
      {"M6", "ABCDEFGH", "ABCDEF", "ABCDEFGH"},
      {"MN", "1ST", "   1ST  ", "1ST"},
      {"MN", "22ND", "  22ND  ", "22ND"},
      {"MN", "101ST", " 101ST  ", "101ST"},
      {"MN", "101STREET", " 101STRE", "101STREET"},
      {"MN", "1234TH", "1234TH  ", "1234TH"},
      {"MN", "MAIN", "MAIN    ", "MAIN"},
      {"MN", "0007", "   7    ", "7"},
      {"MN", "07TH", "  07TH  ", "07TH"},
      {"M4", "7TH", "   7", "7TH"},
      {"M4", "22ND", "  22", "22ND"},
      {"Z1", "QRS", "Q", "QRS"},
  };
  for (const auto& c : cases) {
    fill();
    short offset, length;
    char type[2], missing;
    ASSERT_EQ(TOVR_mkAttrib(mk_, "rec", c.field, type, &offset, &length, &missing), 0);
    char value[32];
    std::strcpy(value, c.value);
    ASSERT_EQ(TOVR_mkSet(mk_, "rec", c.field, value), 0);
    EXPECT_STREQ(value, c.value_after) << c.field << " " << c.value;
    EXPECT_EQ(get(c.field), c.stored) << c.field << " " << c.value;
    std::string expected(kRecordLength, 'X');
    expected.replace(offset, length, c.stored);
    EXPECT_EQ(record(), expected) << c.field << " " << c.value;
  }
}

TEST_F(RecordTest, NumericNameWithTooManyDigitsIsReportedAndStored) {
  test::ConsoleCapture console;
  char value[] = "12345TH";
  ASSERT_EQ(TOVR_mkSet(mk_, "rec", "mn", value), 0);
  EXPECT_EQ(get("MN"), "12345TH ");
  EXPECT_EQ(console.text(), "Bad numeric name for input:  12345TH  - continuing\n");
  console.clear();
  char digits[] = "000123456789";
  ASSERT_EQ(TOVR_mkSet(mk_, "rec", "MN", digits), 0);
  EXPECT_EQ(get("MN"), "12345678");
  EXPECT_EQ(console.text(), "Bad numeric name for input:  123456789  - continuing\n");
  console.clear();
  char four[] = "1234";
  ASSERT_EQ(TOVR_mkSet(mk_, "rec", "MN", four), 0);
  EXPECT_EQ(console.text(), "");
}

TEST_F(RecordTest, ClearDescriptionsAndStatuses) {
  fill();
  ASSERT_EQ(TOVR_mkClear(mk_, "REC"), 0);
  EXPECT_EQ(record(), std::string(kRecordLength, ' '));

  char name[3], type[3];
  short offset = -1, length = -1;
  ASSERT_EQ(TOVR_mkGetFieldDef(mk_, "rec", 0, name, type, &offset, &length), 0);
  EXPECT_STREQ(name, "C5");
  EXPECT_EQ(std::string(type, 3), std::string("C\0\0", 3));
  ASSERT_EQ(TOVR_mkGetFieldDef(mk_, "rec", 5, name, type, &offset, &length), 0);
  EXPECT_STREQ(name, "MN");
  EXPECT_STREQ(type, "MN");
  EXPECT_EQ(offset, 21);
  EXPECT_EQ(length, 8);
  EXPECT_EQ(TOVR_mkGetFieldDef(mk_, "rec", 7, name, type, &offset, &length), 0);
  EXPECT_EQ(TOVR_mkGetFieldDef(mk_, "rec", 8, name, type, &offset, &length), 6);

  char attrib_type[3] = {'#', '#', '#'};
  char missing = 0;
  ASSERT_EQ(TOVR_mkAttrib(mk_, "rec", "ns", attrib_type, &offset, &length, &missing), 0);
  EXPECT_EQ(std::string(attrib_type, 3), "NS#");
  EXPECT_EQ(missing, 'Z');
  EXPECT_EQ(offset, 10);

  char value[] = "1";
  EXPECT_EQ(TOVR_mkSet(mk_, "rec", "QQ", value), 6);
  EXPECT_EQ(TOVR_mkSet(mk_, "rec", "C", value), 6);
  EXPECT_EQ(TOVR_mkSet(mk_, "none", "C5", value), 5);
  EXPECT_EQ(TOVR_mkSet(nullptr, "rec", "C5", value), 5);
  EXPECT_EQ(TOVR_mkSet(mk_, nullptr, "C5", value), 5);
  EXPECT_EQ(TOVR_mkAttrib(mk_, "rec", "QQ", attrib_type, &offset, &length, &missing), 6);
  char out[16];
  EXPECT_EQ(TOVR_mkGet(mk_, "rec", "QQ", out), 6);
}

TEST_F(RecordTest, SetAllocatesNothing) {
  test::AllocationFaults faults;
  char value[] = "0012";
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(TOVR_mkSet(mk_, "rec", i % 2 ? "M6" : "C5", value), 0);
  }
  EXPECT_EQ(faults.calls(), 0);
}

}  // namespace
}  // namespace tovr

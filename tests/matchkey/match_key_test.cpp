#include "matchkey/match_key.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"
#include "tovr.h"

namespace tovr {
namespace {

class MatchKeyTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TOVR_mkInit(&mk_), 0); }
  void TearDown() override { TOVR_mkClose(mk_); }

  int load(const std::string& name, const std::string& text) {
    const std::string file = name + ".dct";
    fs_.put(file, text);
    return mkDictLoad(mk_, name.c_str(), file.c_str(), file.c_str());
  }
  short length_of(const std::string& name, int expected = 0) {
    short length = -1;
    EXPECT_EQ(TOVR_mkGetLen(mk_, name.c_str(), &length), expected) << name;
    return length;
  }
  // True when the registry holds no table any more.
  bool registry_empty() {
    const Table* t = nullptr;
    fs_.put("probe.tbl", "x\n");
    if (tblFind(mk_tables(mk_), "probe", &t) != kTblOk) return false;
    const bool alone = table_data(*t).next == nullptr;
    return tblRemove(mk_tables(mk_), "probe") == kTblOk && alone;
  }

  test::MemFs fs_;
  TOVR_Mk* mk_ = nullptr;
};

TEST_F(MatchKeyTest, LoadBuildsLayoutInEntryOrder) {
  // Without a header the table service sorts the entries by name.
  ASSERT_EQ(load("addr", "SN C 20 s\nHN N 6 z\nZP nS 5 9\nST mn 8 X\n"), 0);
  short count = 0;
  ASSERT_EQ(TOVR_mkGetNumFields(mk_, "ADDR", &count), 0);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(length_of("addr"), 39);
  const char* names[] = {"HN", "SN", "ST", "ZP"};
  const short offsets[] = {0, 6, 26, 34};
  const char* types[] = {"N", "C", "MN", "NS"};
  const char missing[] = {'Z', 'S', 'X', '9'};
  for (short i = 1; i <= 4; ++i) {
    char name[3], type[3], attrib_type[2], miss = 0;
    short offset = -1, length = -1;
    ASSERT_EQ(TOVR_mkGetFieldDef(mk_, "addr", i, name, type, &offset, &length), 0);
    EXPECT_STREQ(name, names[i - 1]);
    EXPECT_STREQ(type, types[i - 1]);
    EXPECT_EQ(offset, offsets[i - 1]);
    ASSERT_EQ(TOVR_mkAttrib(mk_, "addr", name, attrib_type, &offset, &length, &miss), 0);
    EXPECT_EQ(miss, missing[i - 1]);
  }
  char record[64];
  ASSERT_EQ(TOVR_mkCopy(mk_, "addr", record), 0);
  EXPECT_EQ(std::string(record), std::string(39, ' '));
  EXPECT_TRUE(registry_empty());

  // With SORT=N the file's order stands.
  ASSERT_EQ(load("plain", "\\FORMAT\\ SORT=N\nSN C 20 S\nHN N 6 Z\n"), 0);
  char name[3], type[3];
  short offset, length;
  ASSERT_EQ(TOVR_mkGetFieldDef(mk_, "plain", 2, name, type, &offset, &length), 0);
  EXPECT_STREQ(name, "HN");
  EXPECT_EQ(offset, 20);
}

TEST_F(MatchKeyTest, MalformedDictionariesLeaveNoLayoutAndNoTable) {
  const struct {
    const char* text;
    int status;
  } cases[] = {
      {"A CN 5 S\n", 4},   {"A X 5 S\n", 4},           {"A CNS 5 S\n", 4},
      {"A C 0 S\n", 4},    {"A C 257 S\n", 4},         {"A C 5x S\n", 4},
      {"ABC C 5 S\n", 4},  {"A C 5 Q\n", 4},           {"A C 5 SS\n", 4},
      {"A C 5\n", 4},      {"A MN 3 S\n", 8},          {"\\FORMAT\\ FOO=1\nA C 5 S\n", 4},
      {"A C 5\"x S\n", 4}, {"A C 5 S\nB MN 3 Q\n", 8},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(load("bad", c.text), c.status) << c.text;
    length_of("bad", 5);
    EXPECT_TRUE(registry_empty()) << c.text;
  }
  std::string sum;
  for (int f = 0; f < 127; ++f) sum += "F" + std::to_string(f % 10) + " C 256 S\n";
  EXPECT_EQ(load("over", sum + "G C 256 S\n"), 4);
  EXPECT_EQ(load("exact", sum + "G C 255 S\n"), 0);
  EXPECT_EQ(length_of("exact"), 32767);
  EXPECT_EQ(load("wide", "A C 256 S\nB MN 4 s\n"), 0);
  EXPECT_EQ(mkDictLoad(mk_, "nofile", "nofile.dct", "nofile.dct"), 2);
  length_of("nofile", 5);
}

TEST_F(MatchKeyTest, NamesAndArguments) {
  const std::string dict = "A C 1 S\n";
  EXPECT_EQ(load(std::string(41, 'K'), dict), 5);
  EXPECT_EQ(load(std::string(40, 'K'), dict), 0);
  EXPECT_EQ(load("", dict), 5);
  ASSERT_EQ(load("Name", dict), 0);
  EXPECT_EQ(load("NAME", dict), 3);
  EXPECT_EQ(mkDictLoad(nullptr, "x", "x.dct", "x.dct"), 5);

  short n;
  char buffer[8];
  EXPECT_EQ(TOVR_mkGetLen(nullptr, "Name", &n), 5);
  EXPECT_EQ(TOVR_mkGetLen(mk_, nullptr, &n), 5);
  EXPECT_EQ(TOVR_mkGetLen(mk_, "", &n), 5);
  EXPECT_EQ(TOVR_mkClear(nullptr, "Name"), 5);
  EXPECT_EQ(TOVR_mkCopy(mk_, "Name", nullptr), 5);
  EXPECT_EQ(TOVR_mkGet(mk_, "Name", nullptr, buffer), 6);
  EXPECT_EQ(TOVR_mkFree(nullptr, "Name"), 5);
  EXPECT_EQ(TOVR_mkInit(nullptr), 5);
  TOVR_mkClose(nullptr);
}

TEST_F(MatchKeyTest, LookupCacheFollowsFree) {
  ASSERT_EQ(load("one", "A C 1 S\n"), 0);
  ASSERT_EQ(load("two", "A C 2 S\n"), 0);
  ASSERT_EQ(load("three", "A C 3 S\n"), 0);
  EXPECT_EQ(length_of("TWO"), 2);  // now cached
  ASSERT_EQ(TOVR_mkFree(mk_, "two"), 0);
  length_of("two", 5);
  EXPECT_EQ(TOVR_mkFree(mk_, "two"), 5);
  EXPECT_EQ(length_of("one"), 1);
  EXPECT_EQ(length_of("three"), 3);
  ASSERT_EQ(load("TWO", "A C 7 S\n"), 0);
  EXPECT_EQ(length_of("two"), 7);
  ASSERT_EQ(TOVR_mkFree(mk_, "three"), 0);  // the oldest and newest stay linked
  EXPECT_EQ(length_of("one"), 1);
  EXPECT_EQ(length_of("Two"), 7);
}

TEST(MatchKeyCodes, Texts) {
  const char* texts[] = {"",
                         "No memory for loading match key",
                         "Match key dictionary file not found",
                         "Match key name already used",
                         "Match key dictionary entry invalid",
                         " Match key name invalid or not found",
                         "Match key field name not found",
                         " TOVR_mkSet found numeric name with too many digits",
                         " mkDictLoad: numeric name field too short - must be > 2"};
  char text[57];
  for (int code = 0; code <= 8; ++code) {
    TOVR_mkQueryCodeEnum(code, text);
    EXPECT_STREQ(text, texts[code]);
  }
  for (int code : {-1, 9, 99}) {
    TOVR_mkQueryCodeEnum(code, text);
    EXPECT_STREQ(text, "Return code undefined");
  }
}

TEST(MatchKeyFaults, FailedAllocationsGiveNoMemoryAndLeakNothing) {
  test::MemFs fs;
  fs.put("d.dct", "\\FORMAT\\ SORT=Y\nSN C 20 S\nHN N 6 Z\nST MN 8 X\n");
  const long runs = test::sweep_allocation_failures([&](test::AllocationFaults& faults) {
    TOVR_Mk* mk = nullptr;
    const int init = TOVR_mkInit(&mk);
    if (init != 0) {
      EXPECT_EQ(init, 1);
      EXPECT_EQ(mk, nullptr);
      return;
    }
    const int rc = mkDictLoad(mk, "d", "d.dct", "d.dct");
    short length = 0;
    if (faults.injected()) {
      EXPECT_EQ(rc, 1);
      EXPECT_EQ(TOVR_mkGetLen(mk, "d", &length), 5);
      EXPECT_EQ(tblRemove(mk_tables(mk), "d.dct"), kTblCannotOpen);
    } else {
      EXPECT_EQ(rc, 0);
      EXPECT_EQ(TOVR_mkGetLen(mk, "d", &length), 0);
      EXPECT_EQ(TOVR_mkFree(mk, "d"), 0);
    }
    TOVR_mkClose(mk);
  });
  EXPECT_GT(runs, 6);
}

}  // namespace
}  // namespace tovr

// A match key service with one layout served from memory, and a match control block on it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "matcher/rules_types.h"
#include "matchkey/match_key.h"
#include "support/test_support.h"
#include "tovr.h"

namespace tovr::test {

// Layout KEY: NM name (C 10 S), ST number (N 5 Z), DT date (N 8 S), HN house number (N 5 S),
// LO and HI a range (N 5 X), X1 Y1 a point (N 4 S), KD three items of 3 (C 9 S).
inline constexpr char kKeyDictionary[] =
    "\\FORMAT\\ SORT=N\n"
    "NM C 10 S\n"
    "ST N 5 Z\n"
    "DT N 8 S\n"
    "HN N 5 S\n"
    "LO N 5 X\n"
    "HI N 5 X\n"
    "X1 N 4 S\n"
    "Y1 N 4 S\n"
    "KD C 9 S\n";
inline constexpr int kKeyLength = 10 + 5 + 8 + 5 + 5 + 5 + 4 + 4 + 9;

class MatcherFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(TOVR_mkInit(&mk_), 0);
    fs_.put("key.dct", kKeyDictionary);
    ASSERT_EQ(mkDictLoad(mk_, "KEY", "key.dct", "key.dct"), 0);
    ASSERT_EQ(TOVR_mtInit(&mt_, mk_), 0);
  }
  void TearDown() override {
    if (rules_ != nullptr) {
      EXPECT_EQ(TOVR_mtFreeRules(&rules_), 0);
    }
    if (mt_ != nullptr) {
      EXPECT_EQ(TOVR_mtClose(mt_), 0);
    }
    TOVR_mkFree(mk_, "KEY");
    TOVR_mkClose(mk_);
  }

  int load(const std::string& text, const char* message_file = nullptr) {
    fs_.put("rules.txt", text);
    if (rules_ != nullptr) TOVR_mtFreeRules(&rules_);
    return TOVR_mtLoad(mt_, "rules.txt", "KEY", message_file, &rules_);
  }
  Rules& rules() { return *reinterpret_cast<Rules*>(rules_); }

  void set(const char* field, const char* value) {
    std::string v = value;
    ASSERT_EQ(TOVR_mkSet(mk_, "KEY", field, v.data()), 0) << field;
  }

  MemFs fs_;
  TOVR_Mk* mk_ = nullptr;
  TOVR_Mt* mt_ = nullptr;
  TOVR_Rules* rules_ = nullptr;
};

// The listing of one diagnostic for a line as read.
inline std::string listed(int line_number, const std::string& message, const std::string& line) {
  return "*** ERROR *** *** LINE " + std::to_string(line_number) + " *** " + message + "\n    " +
         line + "\n";
}

}  // namespace tovr::test

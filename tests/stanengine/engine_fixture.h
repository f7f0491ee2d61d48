// End-to-end standardizing: a standardizer file, its tables, dictionary and pattern file in an
// in-memory file system, compiled through the public interface and run record by record.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/test_support.h"
#include "tovr.h"

namespace tovr::test {

// Every field is a character field, so values read back as written.
inline const char kAddrDictionary[] =
    "\\FORMAT\\ SORT=N\n"
    "HN C 6 S\nPD C 2 S\nSN C 20 S\nST C 4 S\nUT C 4 S\nUV C 6 S\nSX C 4 S\nXX C 12 S\n";

inline const char kAddrClasses[] =
    "NORTH N D\nN N D\nSOUTH S D\nS S D\nEAST E D\nE E D\nWEST W D\nW W D\n"
    "STREET ST T\nST ST T\nAVENUE AVE T\nAVE AVE T\nROAD RD T\nRD RD T\n"
    "APARTMENT APT U\nAPT APT U\nUNIT UNIT U\nSUITE STE U\n";

inline const char kAddrStandardizer[] =
    "STANDARDIZE ADDR\nRECORD 80\nINFILE in.txt\nOUTFILE out.txt\n";

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(TOVR_mkInit(&mk_), 0);
    fs_.put("ADDR.DCT", kAddrDictionary);
    fs_.put("ADDR.CLS", kAddrClasses);
  }
  void TearDown() override {
    close();
    TOVR_mkClose(mk_);
  }

  // Compiles stan_file (as "std.stn") with the pattern file of process ADDR; fails the test when
  // the compile fails.
  void compile(const std::string& patterns, const std::string& stan_file = kAddrStandardizer) {
    close();
    fs_.put("ADDR.PAT", patterns);
    fs_.put("std.stn", stan_file);
    short total = 0;
    ASSERT_EQ(TOVR_asStanComp("std.stn", &handle_, mk_, &total), 0) << console_.text();
    ASSERT_EQ(TOVR_asSetNewFormats(handle_), 0);
    first_ = 1;
    console_.clear();
  }

  void close() {
    if (handle_ != nullptr) {
      EXPECT_EQ(TOVR_asCloseStan(handle_), 0);
    }
    handle_ = nullptr;
  }

  // Standardizes the next record; area, keys, aux and original hold what the call returned.
  int next() {
    area_[0] = keys_[0] = aux_[0] = '\0';
    if (!interactive_) original_[0] = '\0';
    return TOVR_asProcStan(handle_, area_, keys_, aux_, &first_, original_);
  }

  // Runs one record of input text through a one-process standardizer of pattern lines.
  int run(const std::string& patterns, const std::string& input) {
    fs_.put("in.txt", input);
    compile(patterns);
    return next();
  }

  std::string field(const char* name, const char* layout = "ADDR") {
    char value[300] = {};
    if (TOVR_mkGet(mk_, layout, name, value) != 0) return "<error>";
    std::string s(value);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  }

  // The file messages written so far (output lines and trace lines).
  std::string output() const { return console_.file_text(); }

  MemFs fs_;
  ConsoleCapture console_;
  TOVR_Mk* mk_ = nullptr;
  TOVR_Stan* handle_ = nullptr;
  short first_ = 1;
  bool interactive_ = false;
  char area_[1025] = {};
  char keys_[2048] = {};
  char aux_[2048] = {};
  char original_[1025] = {};
};

}  // namespace tovr::test

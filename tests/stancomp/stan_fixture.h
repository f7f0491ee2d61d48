// A match key control block, an in-memory file system holding the classification tables and
// dictionaries of a few processes, and a console capture, for compiling standardizer files.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "stancomp/stan.h"
#include "stancomp/stan_compile.h"
#include "support/test_support.h"
#include "tovr.h"

namespace tovr::test {

// A dictionary whose rows keep their order (SORT=N): HN 6, SN 20, ST 4.
inline const char kAddrDictionary[] = "\\FORMAT\\ SORT=N\nHN N 6 S\nSN C 20 S\nST C 4 S\n";
// Without a header the rows are sorted by name: CT 15, ZP 5.
inline const char kAreaDictionary[] = "; city and zip\nCT C 15 S\nZP N 5 S\n";
inline const char kSmallDictionary[] = "AA C 3 S\n";
inline const char kClassTable[] = "STREET ST T\nAVENUE AVE T\n";
// One pattern that copies the house number.
inline const char kPatternFile[] = "^ | ? | T\nCOPY [1] {HN}\n";
inline const char kAreaPatternFile[] = "? | ^\nCOPY [2] {ZP}\n";
inline const char kSmallPatternFile[] = "?\nCOPY [1] {AA}\n";

// Listing form of an error on line `line` whose text (with its line end) is `text`.
inline std::string listing(int line, const std::string& message, const std::string& text) {
  return "*** ERROR *** *** LINE " + std::to_string(line) + " *** " + message + "\n    " + text +
         "\n";
}

inline std::string terminated(int line, const std::string& text) {
  return listing(line, "**** Compilation terminated due to errors ****", text);
}

class StanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(TOVR_mkInit(&mk_), 0);
    put_process("ADDR", ".CLS", ".DCT", ".PAT", kAddrDictionary, kPatternFile);
    put_process("area", ".cls", ".dct", ".pat", kAreaDictionary, kAreaPatternFile);
    for (const char* name : {"A", "B", "C", "D"}) {
      put_process(name, ".CLS", ".DCT", ".PAT", kSmallDictionary, kSmallPatternFile);
    }
  }

  void TearDown() override {
    close();
    TOVR_mkClose(mk_);
  }

  void put_process(const std::string& name, const char* cls, const char* dct, const char* pat,
                   const char* dictionary, const char* patterns) {
    fs_.put(name + cls, kClassTable);
    fs_.put(name + dct, dictionary);
    fs_.put(name + pat, patterns);
  }

  // Compiles text as the file "std.stn"; the pattern files are left out unless asked for.
  short compile(const std::string& text, bool patterns = false) {
    close();
    console_.clear();
    fs_.put("std.stn", text);
    return compile_stan("std.stn", &handle_, mk_, &total_, CompileOptions{patterns});
  }

  void close() {
    if (handle_ != nullptr) {
      EXPECT_EQ(TOVR_asCloseStan(handle_), 0);
    }
    handle_ = nullptr;
    total_ = 0;
  }

  Stan& stan() { return *as_stan(handle_); }
  short layout_length(const char* name) {
    short length = -1;
    return TOVR_mkGetLen(mk_, name, &length) == 0 ? length : -1;
  }

  MemFs fs_;
  ConsoleCapture console_;
  TOVR_Mk* mk_ = nullptr;
  TOVR_Stan* handle_ = nullptr;
  short total_ = 0;
};

}  // namespace tovr::test

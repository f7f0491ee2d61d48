// A compile of small pattern files served from memory, with a match key service that knows a
// few layouts and conversion tables.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "stancomp/pattern_program.h"
#include "support/test_support.h"

namespace tovr::test {

class PatternFixture : public ::testing::Test {
 protected:
  void TearDown() override {
    release_pattern_programs(out_, &sc_);
    EXPECT_EQ(fs_.open_streams(), 0) << "a user file was left open";
    EXPECT_EQ(out_.user_files.count, 0);
  }

  // Compiles text as the pattern file of process ADDR (and of NAME when a second file is
  // given). Returns BuildPatternsActions's result.
  int compile(const std::string& text, const std::string& second = "") {
    fs_.put("p.pat", text);
    PatternSources src{};
    src.process_count = 1;
    src.process[0] = {"ADDR", "p.pat", "ADDR"};
    if (!second.empty()) {
      fs_.put("q.pat", second);
      src.process_count = 2;
      src.process[1] = {"NAME", "q.pat", "NAME"};
    }
    src.services = {this, &field_status, &load_table};
    return BuildPatternsActions(src, out_, sc_);
  }

  // The message as the compiler prints a line error.
  static std::string line_error(const std::string& message, const std::string& line,
                                int number = 1, const std::string& file = "p.pat") {
    return message + " " + line + "\nline number = " + std::to_string(number) + "\nfile " +
           file + "\n";
  }

  bool printed(const std::string& text) const {
    return console_.text().find(text) != std::string::npos;
  }

  const ProcessProgram& program(int p = 0) const { return out_.process[p]; }
  const Pattern& pattern(int i, int p = 0) const { return *out_.process[p].patterns[i]; }
  const PatternAction& action(int pattern_index, int n = 0, int p = 0) const {
    const PatternAction* a = out_.process[p].patternActions[pattern_index];
    for (int i = 0; i < n && a != nullptr; ++i) a = a->next;
    return *a;
  }
  std::vector<short> code(int p = 0) const {
    return {sc_.instructionArray[p], sc_.instructionArray[p] + sc_.instructionCount[p]};
  }

  static int field_status(void* user, const char* mk, const char* field) {
    auto* self = static_cast<PatternFixture*>(user);
    auto it = self->fields_.find(mk);
    if (it == self->fields_.end()) return 3;
    return it->second.count(field) != 0 ? 0 : 6;
  }
  static ConvertTableStatus load_table(void* user, const char* name) {
    auto* self = static_cast<PatternFixture*>(user);
    auto it = self->tables_.find(name);
    return it == self->tables_.end() ? kConvertTableNotFound : it->second;
  }

  std::map<std::string, std::set<std::string>> fields_ = {
      {"ADDR", {"HN", "SN", "ST", "ZP", "SX"}}, {"NAME", {"FN", "LN"}}};
  std::map<std::string, ConvertTableStatus> tables_ = {{"STREETS", kConvertTableOk},
                                                       {"BADW", kConvertTableBadWeight}};
  MemFs fs_;
  ConsoleCapture console_;
  StanPatterns out_{};
  Sc sc_{};
};

}  // namespace tovr::test

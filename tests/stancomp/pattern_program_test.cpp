// The generated program, file reading, the cipher, and allocation failures during a compile.
#include <string>
#include <vector>

#include "pattern_fixture.h"
#include "stancomp/encdec.h"

namespace tovr::test {
namespace {

using PatternProgram = PatternFixture;

constexpr int kNone = -1;

struct Instr {
  short code;
  int fail;
};

class ProgramChecks : public PatternFixture {
 protected:
  void expect_program(const std::vector<Instr>& want, int p = 0) {
    ASSERT_EQ(sc_.instructionCount[p], static_cast<int>(want.size())) << dump(p);
    for (std::size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(sc_.instructionArray[p][i], want[i].code) << "at " << i << "\n" << dump(p);
      EXPECT_EQ(sc_.failAddressArray[p][i], want[i].fail) << "at " << i << "\n" << dump(p);
    }
  }

  // Every program: fail addresses are resolved, pattern starts carry their pattern in order,
  // and the main section ends with 300.
  void expect_well_formed(int p = 0) {
    const int n = sc_.instructionCount[p];
    ASSERT_GT(n, 0);
    int next_pattern = 0;
    bool saw_end_of_main = false;
    for (int i = 0; i < n; ++i) {
      const int f = sc_.failAddressArray[p][i];
      EXPECT_TRUE(f == kNone || (f >= 0 && f < n)) << "fail address " << f << " at " << i;
      const short c = sc_.instructionArray[p][i];
      if (c == 100 || c == 101) {
        EXPECT_EQ(c == 100, next_pattern == 0);
        EXPECT_EQ(sc_.operandArray[p][i], next_pattern++);
      }
      if (c == 300) saw_end_of_main = true;
    }
    EXPECT_EQ(next_pattern, program(p).pattern_count);
    EXPECT_TRUE(saw_end_of_main);
  }

  std::string dump(int p) const {
    std::string s;
    for (int i = 0; i < sc_.instructionCount[p]; ++i) {
      s += std::to_string(i) + ":" + std::to_string(sc_.instructionArray[p][i]) + "/" +
           std::to_string(sc_.failAddressArray[p][i]) + " ";
    }
    return s;
  }
};

TEST_F(ProgramChecks, AnchoredPatternsFailToTheNextPatternAndTheEnd) {
  ASSERT_EQ(compile("A | B\nCOPY [1] {SN}\nS\nEXIT\n"), 0);
  expect_well_formed();
  expect_program({{100, 11}, {114, 11}, {160, 11}, {170, 11}, {120, 11}, {160, 11}, {170, 11},
                  {120, 11}, {200, kNone}, {239, kNone}, {220, kNone},
                  {101, 18}, {114, 18}, {160, 18}, {170, 18}, {120, 18}, {200, kNone},
                  {2, kNone}, {300, kNone}});
  EXPECT_EQ(sc_.operandArray[0][7], 1);
  EXPECT_EQ(sc_.operandArray[0][10], 0);
  // One zeroed slot more than there are patterns, linked in order, with no field operands.
  ASSERT_EQ(program().slot_count, 3);
  EXPECT_EQ(pattern(0).next, &pattern(1));
  EXPECT_EQ(pattern(1).next, &pattern(2));
  EXPECT_EQ(pattern(2).next, nullptr);
  EXPECT_EQ(pattern(2).line, nullptr);
  EXPECT_EQ(pattern(2).field_process[7], -1);
}

TEST_F(ProgramChecks, FloatsAndUniversalClassFailBackToTheirSearch) {
  ASSERT_EQ(compile("*A | B | $\n** | S\n"), 0);
  expect_well_formed();
  expect_program({{100, 12}, {112, 12}, {161, 12}, {160, 2}, {120, 2}, {160, 2}, {170, 2},
                  {120, 2}, {160, 2}, {170, 11}, {133, 2}, {200, kNone},
                  {101, 20}, {114, 20}, {160, 20}, {180, 20}, {170, 20}, {127, 20}, {120, 17},
                  {200, kNone}, {300, kNone}});
}

TEST_F(ProgramChecks, LaterFloatedOperandIsASearchPoint) {
  ASSERT_EQ(compile("A | *^(1:2)=1 | C [ LEN > 2 ]\n"), 0);
  expect_well_formed();
  expect_program({{100, 15}, {114, 15}, {160, 15}, {170, 15}, {120, 15}, {160, 15},
                  {121, 15}, {150, 6}, {152, 6}, {129, 6}, {160, 6}, {170, 6}, {120, 6},
                  {130, 6}, {200, kNone}, {300, kNone}});
}

TEST_F(ProgramChecks, SubroutineCallsReachTheirSection) {
  ASSERT_EQ(compile("A\nCALL X\nEXIT\n\\SUB X\nB\nRETURN\n\\END_SUB\n"), 0);
  expect_well_formed();
  expect_program({{100, 8}, {114, 8}, {160, 8}, {170, 8}, {120, 8}, {200, kNone}, {195, kNone},
                  {2, kNone}, {300, kNone},
                  {101, 16}, {114, 16}, {160, 16}, {170, 16}, {120, 16}, {200, kNone},
                  {196, kNone}, {196, kNone}});
  const SubRoutineCall& call = program().subRoutineCalls[0];
  EXPECT_EQ(call.call_instruction, 6);
  EXPECT_EQ(call.target_instruction, 9);
  EXPECT_EQ(call.first_pattern, 1);
  EXPECT_EQ(call.followed_by_exit, 1);
  EXPECT_EQ(program().subRoutines[1].start_instruction, 9);
  EXPECT_EQ(program().subRoutines[0].start_instruction, 0);
}

TEST_F(ProgramChecks, ActionInstructionsBySourceAndTarget) {
  ASSERT_EQ(compile("A | B\n"
                    "COPY_S [1](-n) V\nCONCAT V {SN}\nPREFIX \"X\" {SN}\nCOPY {HN} V\n"
                    "CONCAT_A [2] {SN}\nCOPY_C [1] V\nCOPY {NAME} V\nRETYPE [1] C \"Q\" V\n"
                    "CONVERT [1] \"STREETS\" TKN\n3*A\nRETYPE [1] B \"V\" V(1:2)\n",
                    "A\nEXIT\n"),
            0);
  ASSERT_EQ(out_.pattern_error, 0) << console_.text();
  expect_well_formed();
  const std::vector<short> want = {
      100, 114, 160, 170, 120, 160, 170, 120, 200,
      233, 243,            // COPY_S operand (-n) into a variable
      252, 253, 220, 255,  // CONCAT variable into a field
      263, 220,            // PREFIX literal into a field
      266, 243,            // COPY own field into a variable
      214, 221, 220,       // CONCAT_A operand into a field
      210, 211,            // COPY_C into a variable
      265, 243,            // formatted field of another process
      273,                 // RETYPE literal value, variable abbreviation
      12,                  // CONVERT
      101, 200, 284,       // multi-retype: matched at once; abbreviation variable with range
      300};
  EXPECT_EQ(code(), want) << dump(0);
}

TEST_F(ProgramChecks, FixedNewlineAndRightAnchors) {
  ASSERT_EQ(compile("%-2 A\n%2n | A\n%1n %2 A\n#S | $\n"), 0);
  expect_well_formed();
  const std::vector<short> want = {100, 111, 160, 170, 120, 200,
                                   101, 115, 160, 170, 120, 200,
                                   101, 115, 110, 160, 170, 120, 200,
                                   101, 113, 162, 160, 120, 160, 170, 133, 200,
                                   300};
  EXPECT_EQ(code(), want) << dump(0);
}

TEST_F(ProgramChecks, FileWithErrorsGetsNoProgram) {
  ASSERT_EQ(compile("A\nCOPY [1] {SN}\nAB\n", "B\n"), 0);
  EXPECT_EQ(out_.pattern_error, 1);
  EXPECT_EQ(sc_.instructionArray[0], nullptr);
  EXPECT_NE(sc_.instructionArray[1], nullptr);
}

TEST_F(PatternProgram, MissingFileEndsTheCompile) {
  PatternSources src{};
  src.process_count = 1;
  src.process[0] = {"ADDR", "none.pat", "ADDR"};
  EXPECT_EQ(BuildPatternsActions(src, out_, sc_), 1);
  EXPECT_EQ(console_.text(), "error opening processPatternFile:\n none.pat\n");
}

TEST_F(PatternProgram, PlainAndEnciphered) {
  const std::string plain =
      "; addresses\r\n^ | ? | T\r\nCOPY [1] {HN}\r\n  \tCOPY [2] {SN}\r\n*? [ LEN > 1 ]\r\nEXIT";
  ASSERT_EQ(compile(plain), 0);
  EXPECT_EQ(console_.text(), "Loading non-encrypted pattern file.");
  const std::vector<short> plain_code = code();
  EXPECT_STREQ(pattern(1).line, "*? [ LEN > 1 ]");
  release_pattern_programs(out_, &sc_);

  ASSERT_EQ(encipher_pattern_file("p.pat", "e.pat"), 0);
  const std::string enc = fs_.get("e.pat");
  ASSERT_FALSE(enc.empty());
  EXPECT_EQ(static_cast<unsigned char>(enc[0]), kEncipheredMarker);
  EXPECT_EQ(enc.find("COPY"), std::string::npos);
  console_.clear();
  ASSERT_EQ(compile(enc), 0);
  EXPECT_EQ(console_.text(), "");
  EXPECT_EQ(code(), plain_code);
  EXPECT_STREQ(pattern(1).line, "*? [ LEN > 1 ]");
}

TEST_F(PatternProgram, CipherRoundTripsEveryType) {
  const std::string text = "^ | ? | T ; \"quoted\" ~!@#$%^&*()_+{}|:<>?\t\xe9";
  for (int type = 1; type <= 3; ++type) {
    std::string s = text;
    ASSERT_EQ(encipher_line(type, s.data(), static_cast<int>(s.size())), 0);
    EXPECT_NE(s, text);
    EXPECT_EQ(s.find('\n'), std::string::npos);
    ASSERT_EQ(encdec(type, s.data(), static_cast<int>(s.size())), 0);
    EXPECT_EQ(s, text);
  }
  std::string s = text;
  EXPECT_EQ(encdec(4, s.data(), static_cast<int>(s.size())), -1);
  EXPECT_EQ(s, text);
  EXPECT_EQ(console_.text(), "Invalid enctyp, encdec.");
}

// A compile that touches every kind of allocation: line buffers, tables, patterns, value
// lists and their texts, conditions, actions with names and texts, calls, sections, the post
// section and the instruction arrays. Whatever allocation fails, the compile ends with a
// message and everything it built is released.
TEST_F(PatternProgram, AllocationFailuresAtEveryPointLeaveNothingBehind) {
  fs_.put("v.txt", "MAIN\n");
  fs_.put("c.tbl", "ST STREET\n");
  const std::string text =
      "\\POST_START\nSOUNDEX {SN} {SX}\n\\POST_END\n"
      "^ | ? = \"A\",\"B\" | T = @v.txt [ LEN > 2 & {} != \"X\" ]\n"
      "COPY [1] {HN}\nCOPY [2] V\nCONVERT [3] @c.tbl TKN\nRETYPE [3] T \"ST\" \"S\"\n"
      "CALL Sub\nEXIT\n"
      "\\SUB Sub\n3*T\nRETYPE [1] S V\nRETURN\n\\END_SUB\n";
  fs_.put("p.pat", text);
  long runs = sweep_allocation_failures([&](AllocationFaults& faults) {
    console_.clear();
    PatternSources src{};
    src.process_count = 1;
    src.process[0] = {"ADDR", "p.pat", "ADDR"};
    src.services = {this, &field_status, &load_table};
    StanPatterns out{};
    Sc sc{};
    const int result = BuildPatternsActions(src, out, sc);
    if (faults.injected()) {
      EXPECT_EQ(result, 1);
      EXPECT_NE(console_.text().find("TOVRCB_Malloc"), std::string::npos) << console_.text();
    } else {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(out.pattern_error, 0) << console_.text();
      EXPECT_GT(sc.instructionCount[0], 0);
    }
    release_pattern_programs(out, &sc);
    EXPECT_EQ(fs_.open_streams(), 0);
    EXPECT_EQ(out.user_files.count, 0);
  });
  EXPECT_GT(runs, 30);
}

}  // namespace
}  // namespace tovr::test

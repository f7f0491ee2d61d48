// The steps after the last line (classification tables, dictionaries, keys, MOVE fields,
// output files), the release of the block, and allocation failures at every point.
#include <string>

#include "matchkey/match_key.h"
#include "stan_fixture.h"
#include "stancomp/stan.h"

namespace tovr::test {
namespace {

using StanCompileTest = StanTest;

const char kTwoProcesses[] =
    "; addresses and areas\n"
    "STANDARDIZE ADDR (1-30)\n"
    "STANDARDIZE area (31 20)\n"
    "RECORD 50\n"
    "OUTFILE out.txt\n";

TEST_F(StanCompileTest, TwoProcessesLoadTheirTablesDictionariesAndKeys) {
  ASSERT_EQ(compile(kTwoProcesses), 0) << console_.text();
  EXPECT_EQ(console_.text(), "");
  const Stan& s = stan();
  EXPECT_EQ(s.process_count, 2);
  EXPECT_STREQ(s.process_name[0], "ADDR");
  EXPECT_STREQ(s.process_name[1], "area");
  EXPECT_STREQ(s.class_table_name[0], "ClsTbl0");
  EXPECT_STREQ(s.class_table_name[1], "ClsTbl1");
  EXPECT_EQ(s.input_number[1], 1);
  EXPECT_EQ(s.first_format_entry[1], 2);
  EXPECT_EQ(s.first_format_entry[2], -1);

  EXPECT_STREQ(s.processMatchKey[0], "ADDR");
  EXPECT_STREQ(s.processMatchKey[1], "area");
  EXPECT_STREQ(s.processMatchKeyFields[0], "HNSNST");
  EXPECT_STREQ(s.processMatchKeyFields[1], "CTZP");
  EXPECT_EQ(s.key_record_length[0], 30);
  EXPECT_EQ(s.key_record_length[1], 20);
  EXPECT_EQ(total_, 50);
  EXPECT_EQ(layout_length("ADDR"), 30);
  EXPECT_EQ(layout_length("area"), 20);
  EXPECT_NE(s.processMatchKeyContents[0], nullptr);
  EXPECT_NE(s.FormattedField[1], nullptr);
  EXPECT_EQ(s.FormattedField[2], nullptr);

  EXPECT_EQ(s.key_count, 2);
  EXPECT_STREQ(s.key_name[0], "ADDR");
  EXPECT_STREQ(s.key_name[1], "area");
  EXPECT_EQ(s.key_dictionary_file[0], nullptr);

  EXPECT_NE(s.output_file, nullptr);
  EXPECT_TRUE(fs_.exists("out.txt"));
  EXPECT_EQ(s.aux_output_file, nullptr);
  EXPECT_EQ(fs_.open_streams(), 1);
}

TEST_F(StanCompileTest, PublicCallCompilesThePatternFilesToo) {
  fs_.put("std.stn", kTwoProcesses);
  ASSERT_EQ(TOVR_asStanComp("std.stn", &handle_, mk_, &total_), 0) << console_.text();
  EXPECT_EQ(total_, 50);
  for (int p = 0; p < 2; ++p) {
    SCOPED_TRACE(p);
    EXPECT_EQ(stan().patterns.process[p].slot_count, 2);
    EXPECT_NE(stan().patterns.process[p].patterns, nullptr);
    EXPECT_NE(stan().sc->instructionArray[p], nullptr);
  }
  EXPECT_EQ(stan().patterns.pattern_error, 0);

  // A pattern line in error fails the compile once every file has been read.
  fs_.put("area.pat", "? | ^\nCOPY [2] {QQ}\n");
  EXPECT_EQ(compile(kTwoProcesses, true), 1);
  EXPECT_EQ(stan().patterns.pattern_error, 1);
  EXPECT_NE(stan().sc->instructionArray[0], nullptr);
}

TEST_F(StanCompileTest, CloseReleasesLayoutsAndFilesAndChecksTheTag) {
  ASSERT_EQ(compile(kTwoProcesses), 0);
  close();
  EXPECT_EQ(layout_length("ADDR"), -1);
  EXPECT_EQ(layout_length("area"), -1);
  EXPECT_EQ(fs_.open_streams(), 0);

  EXPECT_EQ(TOVR_asCloseStan(nullptr), 1);
  char not_a_block[64] = "STAX";
  EXPECT_EQ(TOVR_asCloseStan(reinterpret_cast<TOVR_Stan*>(not_a_block)), 1);
}

TEST_F(StanCompileTest, TwoProcessesOfOneDictionaryShareItsLayout) {
  put_process("ADDR2", ".CLS", ".DCT", ".PAT", kSmallDictionary, kPatternFile);
  ASSERT_EQ(compile("STANDARDIZE ADDR (1-30)\nSTANDARDIZE ADDR2 (1-30)\n"
                    "PROCESSFILE ADDR2 ADDR2 ADDR\nRECORD 30\n"),
            0)
      << console_.text();
  const Stan& s = stan();
  EXPECT_STREQ(s.dictionary_file[1], "ADDR.DCT");
  EXPECT_EQ(s.processMatchKey[1], s.processMatchKey[0]);
  EXPECT_EQ(s.processMatchKeyContents[1], s.processMatchKeyContents[0]);
  EXPECT_EQ(s.key_record_length[1], 30);
  EXPECT_EQ(total_, 30);
  EXPECT_EQ(s.key_count, 1);
  EXPECT_STREQ(s.key_name[0], "ADDR");
  EXPECT_EQ(s.input_number[1], 0);
  EXPECT_EQ(s.first_format_entry[1], 1);
  EXPECT_EQ(s.format_entry_count, 1);
  close();
  EXPECT_EQ(layout_length("ADDR"), -1);
}

TEST_F(StanCompileTest, KeyOrderKeysOfNoProcessAreMeasuredFromTheirDictionaries) {
  // Only lines that begin with a backslash are passed over, so the comment counts its 12.
  fs_.put("EXTRA.DCT", "\\FORMAT\\ SORT=N\nXX C 7 S\n; note 12\nYY C 3 S\n");
  ASSERT_EQ(compile("STANDARDIZE ADDR (1-30)\nRECORD 30\nKEYORDER EXTRA ADDRESS ADDR\n"), 0)
      << console_.text();
  const Stan& s = stan();
  EXPECT_EQ(s.key_count, 3);
  EXPECT_STREQ(s.key_name[0], "EXTRA");
  EXPECT_STREQ(s.key_dictionary_file[0], "EXTRA.DCT");
  EXPECT_EQ(s.key_length[0], 22);
  // ADDRESS begins with the match key name ADDR, so it belongs to that process.
  EXPECT_EQ(s.key_length[1], 0);
  EXPECT_EQ(s.key_length[2], 0);
  EXPECT_EQ(total_, 52);

  EXPECT_EQ(compile("STANDARDIZE ADDR (1-30)\nRECORD 30\nKEYORDER nope\n"), 1);
  EXPECT_EQ(console_.text(), " error opening dictionary file:\n nope.dct\n");
}

TEST_F(StanCompileTest, TotalKeyLengthIsAddedToAndNotReset) {
  total_ = 5;
  fs_.put("std.stn", kTwoProcesses);
  ASSERT_EQ(compile_stan("std.stn", &handle_, mk_, &total_, CompileOptions{false}), 0);
  EXPECT_EQ(total_, 55);
}

TEST_F(StanCompileTest, ClassificationTableFailuresNameTheFile) {
  fs_.remove("A.CLS");
  EXPECT_EQ(compile("STANDARDIZE A\nRECORD 10\n"), 1);
  EXPECT_EQ(console_.text(), "Token classification table not found  file: A.CLS\n");

  fs_.put("B.CLS", "STREET ST TT\n");
  EXPECT_EQ(compile("STANDARDIZE B\nRECORD 10\n"), 1);
  EXPECT_EQ(console_.text(), "Invalid entry in token classification table  file: B.CLS\n");
}

TEST_F(StanCompileTest, DictionaryFailuresEndTheCompile) {
  fs_.remove("A.DCT");
  EXPECT_EQ(compile("STANDARDIZE A\nRECORD 10\n"), 1);
  EXPECT_EQ(console_.text(), "Match key dictionary file not found  file: A.DCT\n");

  // The loader takes a 200-long field; this reader refuses it.
  fs_.put("B.DCT", "AA C 3 S\nBB C 200 S\n");
  EXPECT_EQ(compile("STANDARDIZE B\nRECORD 10\n"), 1);
  EXPECT_EQ(console_.text(), "Error: matchKey field len > 199\n");
  close();
  EXPECT_EQ(layout_length("B"), -1);

  // A process's key is the layout the match key service loaded: a line that the table
  // service takes for a comment is no field, and a ";" line under another comment character
  // is one.
  fs_.put("C.DCT", "\\FORMAT\\ COMMENT=#\nAA C 3 S\n#  1234\n; C 5 S\n");
  EXPECT_EQ(compile("STANDARDIZE C\nRECORD 10\n"), 0) << console_.text();
  EXPECT_EQ(stan().key_record_length[0], 8);
  EXPECT_STREQ(stan().processMatchKeyFields[0], "; AA");  // the layout's (sorted) order

  // A KEYORDER dictionary of no process is only measured, by its lines.
  fs_.put("D.DCT", "DD C 1234 S\n");
  EXPECT_EQ(compile("STANDARDIZE C\nRECORD 10\nKEYORDER C D\n"), 1);
  EXPECT_EQ(console_.text(), "error in dictionary file:\n");
}

TEST_F(StanCompileTest, LayoutOfTheSameNameIsNotTheBlocksToRemove) {
  ASSERT_EQ(mkDictLoad(mk_, "A", "A", "A.DCT"), kMkOk);
  EXPECT_EQ(compile("STANDARDIZE A\nRECORD 10\n"), 1);
  EXPECT_EQ(console_.text(), "Match key name already used  file: A.DCT\n");
  close();
  EXPECT_EQ(layout_length("A"), 3);
  EXPECT_EQ(TOVR_mkFree(mk_, "A"), 0);
}

TEST_F(StanCompileTest, MoveFieldsGoToTheFirstProcessWhoseKeyHasThem) {
  ASSERT_EQ(compile(std::string(kTwoProcesses) + "AUXOUTFILE aux.txt\nMOVE {zp}\n"), 0)
      << console_.text();
  EXPECT_EQ(stan().aux->entry.kind, AuxKind::kField);
  EXPECT_STREQ(stan().aux->entry.field, "zp");
  EXPECT_EQ(stan().aux->entry.process, 1);
  EXPECT_NE(stan().aux_output_file, nullptr);

  EXPECT_EQ(compile(std::string(kTwoProcesses) + "AUXOUTFILE aux.txt\nMOVE {QQ}\n"), 1);
  EXPECT_EQ(console_.text(),
            "TOVR_mkGet err in TOVR_StanComp: bad matchKey name in MOVE statement\n");
}

TEST_F(StanCompileTest, OutputFilesThatDoNotOpenFailTheCompileUnlessInteractive) {
  const std::string outputs = std::string(kTwoProcesses) + "AUXOUTFILE aux.txt\n";
  long opens = 0;
  // The classification tables stay loaded in the registry after the first compile, so the
  // files a compile opens are counted on the second.
  ASSERT_EQ(compile(outputs), 0);
  {
    FileFaults counting;
    ASSERT_EQ(compile(outputs), 0);
    opens = counting.calls(FileFaults::Op::kOpen);
  }
  {
    FileFaults faults;
    faults.fail_at(FileFaults::Op::kOpen, opens - 1);
    EXPECT_EQ(compile(outputs), 1);
    EXPECT_EQ(console_.text(), "output file not specified or error opening it\n");
    EXPECT_EQ(stan().output_file, nullptr);
  }
  {
    FileFaults faults;
    faults.fail_at(FileFaults::Op::kOpen, opens);
    EXPECT_EQ(compile(outputs), 1);
    EXPECT_EQ(console_.text(), "Return code undefined\n");
    EXPECT_NE(stan().output_file, nullptr);
  }
  {
    FileFaults faults;
    faults.fail_at(FileFaults::Op::kOpen, opens - 1);
    EXPECT_EQ(compile(outputs + "INTERACTIVE\n"), 0);
    EXPECT_EQ(console_.text(), "");
    EXPECT_EQ(stan().output_file, nullptr);
    EXPECT_NE(stan().aux_output_file, nullptr);
  }
  close();
  EXPECT_EQ(fs_.open_streams(), 0);
}

TEST_F(StanCompileTest, NullArgumentsAreRefused) {
  EXPECT_EQ(TOVR_asStanComp("std.stn", nullptr, mk_, &total_), 1);
  EXPECT_EQ(console_.text(), "TOVRCB_Malloc failed for Control Block\n");
  console_.clear();
  EXPECT_EQ(TOVR_asStanComp("std.stn", &handle_, nullptr, &total_), 1);
  EXPECT_EQ(handle_, nullptr);
}

// Every allocation of a compile that uses every step fails in turn: the compile gives 1, and
// closing the block it leaves releases everything.
TEST_F(StanCompileTest, AllocationFailureAtAnyPointLeavesAClosableBlock) {
  fs_.put("EXTRA.DCT", "XX C 7 S\n");
  put_process("Std", ".CLS", ".DCT", ".PAT", kSmallDictionary, kSmallPatternFile);
  fs_.put("std.stn", std::string(kTwoProcesses) +
                         "STANDARDIZE road (1-30)\nPROCESSFILE road Std\n"
                         "AUXOUTFILE aux.txt\nMOVE {ST}\nKEYORDER EXTRA area ADDR\n");
  TOVR_mkClose(mk_);
  mk_ = nullptr;
  long run = 0;
  const long runs = sweep_allocation_failures([&](AllocationFaults& faults) {
    ++run;
    faults.fail_at(0);
    TOVR_Mk* mk = nullptr;
    ASSERT_EQ(TOVR_mkInit(&mk), 0);
    faults.fail_at(run);
    TOVR_Stan* handle = nullptr;
    short total = 0;
    const short result = compile_stan("std.stn", &handle, mk, &total, CompileOptions{true});
    EXPECT_EQ(result, faults.injected() ? 1 : 0) << "allocation " << run << console_.text();
    console_.clear();
    if (handle != nullptr) {
      EXPECT_EQ(TOVR_asCloseStan(handle), 0);
    }
    TOVR_mkClose(mk);
    EXPECT_EQ(fs_.open_streams(), 0);
  });
  EXPECT_GT(runs, 20);
  ASSERT_EQ(TOVR_mkInit(&mk_), 0);
}

}  // namespace
}  // namespace tovr::test

// The reading of a standardizer file: commands, operands, format items and their errors.
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "stan_fixture.h"
#include "stancomp/stan.h"

namespace tovr::test {
namespace {

using StanReaderTest = StanTest;

struct ListedCase {
  std::string line;
  std::string message;
};

// Each line follows "RECORD 50" and "AUXOUTFILE aux.txt", so it is line 3.
TEST_F(StanReaderTest, ListsEachErrorWithItsLineAndFailsAtTheEnd) {
  // 200 characters in words short enough for the line splitting.
  std::string literal200;
  for (int i = 0; i < 6; ++i) literal200 += std::string(32, 'x') + " ";
  literal200 += "xx";
  const std::vector<ListedCase> cases = {
      {"RECORD 50 60", "Invalid Command, only one operand permitted"},
      {"INFILE", "Invalid Command, only one operand permitted"},
      {"TYPE EBCDIC", "TYPE must be ASCII, UNIX or BINARY"},
      {"PROCESSORDER", "Invalid PROCESSORDER command"},
      {"PROCESSORDER A B C D", "Invalid PROCESSORDER command"},
      {"KEYORDER A B C D", "KEYORDER: num key names too large"},
      {"PROCESSFILE NOPE base", "Process name not found following PROCESSFILE statement"},
      {"OUTRECORD 8O", "Non-negative numeric operand expected"},
      {"STANDARDIZE P LINE", "LINE requires at least one numeric operand"},
      {"STANDARDIZE P LINE 2-", "LINE with a hyphen requires two numbers"},
      {"STANDARDIZE P LINE x", "Non-negative numeric operand expected"},
      {"STANDARDIZE P LINE 2-y", "Non-negative numeric operand expected"},
      {"STANDARDIZE P \" (1 2)",
       "illegal char (e.g. space) following opening quote in user literal in FORMAT spec"},
      {"STANDARDIZE P \"ab",
       "missing closing quote for user literal (or illegal preceding char) in FORMAT spec"},
      {"STANDARDIZE P \"" + std::string(41, 'x') + "\"",
       "user literal in FORMAT item longer than 40 chars"},
      {"STANDARDIZE P (5)", "Each field specification must have form (n m) or (n-m)"},
      {"STANDARDIZE P (5-)", "Each field specification must have form (n m) or (n-m)"},
      {"STANDARDIZE P (9-3)", "Each field specification must have form (n m) or (n-m)"},
      {"STANDARDIZE P (1000 30)", "Each field specification must have form (n m) or (n-m)"},
      {"STANDARDIZE P (5-x)", "Non-negative numeric operand expected"},
      {"STANDARDIZE P abc", "Non-negative numeric operand expected"},
      {"STANDARDIZE", "STANDARDIZE requires a process name"},
      {"STANDARDIZE 123 (1 2)", "process name must contain a letter"},
      {"SEPLIST \" \"", "SEPLIST must follow a STANDARDIZE command"},
      {"STRIPLIST \" \"", "STRIPLIST must follow a STANDARDIZE command"},
      {"MOVE \"abc", "Literal following MOVE missing end quotes"},
      {"MOVE \"" + literal200 + "\"", "Literal following MOVE missing end quotes"},
      {"MOVE {ABC}", "Match key name following MOVE has more than 2 chars"},
      {"MOVE NEWLINES", "Unrecognized command following MOVE"},
      {"MOVE original", "Unrecognized command following MOVE"},
      {"MOVE xyz", "Unrecognized arg for MOVE in getMoveArgs"},
      {"MOVE {}", "Unrecognized arg for MOVE in getMoveArgs"},
      {"MOVE NEWLINE \"a\"", "Too many total MOVE args in getMoveArgs"},
      {"KEYORDER K1 K2 K3 K4 K5 K6 K7 K8 K9 K10 K11 K12 K13 K14 K15 K16 K17 K18 K19 K20",
       "Maximum number of operands exceeded"},
      {"INFILE " + std::string(62, 'f'), "Operand too large"},
  };
  for (const ListedCase& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(compile("RECORD 50\nAUXOUTFILE aux.txt\n" + c.line + "\n"), 1);
    EXPECT_EQ(console_.text(), listing(3, c.message, c.line + "\n") + terminated(3, c.line + "\n"));
  }
}

TEST_F(StanReaderTest, ReadingGoesOnAfterListedErrors) {
  EXPECT_EQ(compile("TYPE X\nRECORD 50\nMOVE \"a\"\nSKIP 1"), 1);
  EXPECT_EQ(console_.text(),
            listing(1, "TYPE must be ASCII, UNIX or BINARY", "TYPE X\n") +
                listing(3, "MOVE commands must follow AUXOUTFILE command", "MOVE \"a\"\n") +
                terminated(4, "SKIP 1"));
}

TEST_F(StanReaderTest, CommentsOnlyFailForTheMissingRecordCommand) {
  EXPECT_EQ(compile("; nothing here\n\n  ; more\n"), 1);
  EXPECT_EQ(console_.text(),
            listing(3, "RECORD command missing", "  ; more\n") + terminated(3, "  ; more\n"));
}

TEST_F(StanReaderTest, TenthFormatEntryStopsTheReading) {
  const std::string line2 = "STANDARDIZE B (6 1) (7 1) (8 1) (9 1) (10 1)\n";
  EXPECT_EQ(compile("STANDARDIZE A (1 1) (2 1) (3 1) (4 1) (5 1)\n" + line2 + "TYPE EBCDIC\n"), 1);
  EXPECT_EQ(console_.text(), listing(2, "Maximum number of formats exceeded", line2) +
                                 listing(2, "RECORD command missing", line2) +
                                 terminated(2, line2));
}

struct ImmediateCase {
  std::string text;
  std::string console;
};

TEST_F(StanReaderTest, ImmediateErrorsEndTheCompileAtOnce) {
  const std::string twenty(20, 'x');
  const std::vector<ImmediateCase> cases = {
      {"RECORD 50\nFROB 1\nTYPE X\n", "unrecognized command\n"},
      {"STANDARDIZE A\nPROCESSORDER A\nSTANDARDIZE B\nTYPE X\n",
       "PROCESSORDER must follow all STANDARDIZE commands\n"},
      {"STANDARDIZE A\nKEYORDER A\nSTANDARDIZE B\n",
       "KEYORDER must follow all STANDARDIZE commands\n"},
      {"STANDARDIZE A\nSTANDARDIZE B\nSTANDARDIZE C\nSTANDARDIZE D\n",
       "number of processes exceeds MAX_PROCESSES\n"},
      {"STANDARDIZE A\nSEPLIST abc\n", "Arg to SEPLIST must be a quoted string"},
      {"STANDARDIZE A\nSTRIPLIST ( \"x\"\n", "Arg to SEPLIST must be a quoted string"},
      {"STANDARDIZE A\nSEPLIST \"" + twenty + "\"\n", "Too many chars in SEPLIST string"},
      {"STANDARDIZE A\nSTRIPLIST \"" + twenty + "\"\n", "Too many chars in STRIPLIST string"},
      {"RECORD 1025\n", "specified record size is too large\n"},
      {"RECORD 99999\n", "specified record size is too large\n"},
      {"RECORD 50\nDELIMITER LINE TAB\nDELIMITER RECORD COMMA\n",
       "cannot have both DELIMITER LINE and DELIMITER RECORD\n"},
  };
  for (const ImmediateCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(compile(c.text), 1);
    EXPECT_EQ(console_.text(), c.console);
  }
  close();
  console_.clear();
  EXPECT_EQ(compile_stan("missing.stn", &handle_, mk_, &total_, CompileOptions{false}), 1);
  EXPECT_EQ(console_.text(), "**** Standardizer Specifications File not found ****\n");
  EXPECT_NE(handle_, nullptr);
}

TEST_F(StanReaderTest, RecordSizeUpTo1024Passes) {
  EXPECT_EQ(compile("RECORD 1024\n"), 0);
  EXPECT_EQ(stan().record_size, 1024);
  EXPECT_EQ(console_.text(), "");
}

TEST_F(StanReaderTest, NewBlockHoldsItsDefaults) {
  ASSERT_EQ(compile("RECORD 10\n"), 0);
  const Stan& s = stan();
  EXPECT_EQ(std::string(s.tag, 4), "STAN");
  EXPECT_EQ(s.process_count, 0);
  EXPECT_EQ(s.lines_per_record, 1);
  EXPECT_EQ(s.input_type, 'U');
  EXPECT_EQ(s.next_format_entry, 1);
  EXPECT_EQ(s.format_entry_count, 0);
  for (int p = 0; p < kMaxProcesses; ++p) {
    EXPECT_EQ(s.process_order[p], p);
    EXPECT_EQ(s.first_format_entry[p], -1);
    EXPECT_STREQ(s.separator_list[p], " ()-/,#&;:");
    EXPECT_STREQ(s.strip_list[p], " ,.'`;:");
  }
  EXPECT_EQ(s.skip_count, 0);
  EXPECT_EQ(s.test_count, 0);
  EXPECT_EQ(s.output_file, nullptr);
  EXPECT_EQ(s.item_delimiter, 0);
  EXPECT_EQ(std::string(output_blanks()), std::string(1024, ' '));
}

TEST_F(StanReaderTest, CommandsSetTheirValuesWhateverTheCaseOfTheKeyword) {
  ASSERT_EQ(compile("standardize A\nRecord 80\noutrecord 100\nTYPE binary\nLINESINREC 3\n"
                    "SKIP 2\nTEST 7\nDEBUG\nINTERACTIVE yes\nCLEANUPINPUT\nINFILE In.Txt\n"
                    "DELIMITER ITEM ;\nDELIMITER RECORD TAB\nDELIMITER other X\n"),
            0);
  const Stan& s = stan();
  EXPECT_EQ(s.record_size, 80);
  EXPECT_EQ(s.output_record_length, 100);
  EXPECT_EQ(s.input_type, 'B');
  EXPECT_EQ(s.lines_per_record, 3);
  EXPECT_EQ(s.skip_count, 2);
  EXPECT_EQ(s.test_count, 7);
  EXPECT_EQ(s.debug, 1);
  EXPECT_EQ(s.interactive, 1);
  EXPECT_EQ(s.cleanup_input, 1);
  EXPECT_STREQ(s.input_file_name, "In.Txt");
  EXPECT_EQ(s.item_delimiter, ';');
  EXPECT_EQ(s.record_delimiter, '\t');
  EXPECT_EQ(s.line_delimiter, 0);
  // An item delimiter on records of several lines whose first piece names no line.
  EXPECT_EQ(s.multi_line_items, 1);
}

TEST_F(StanReaderTest, DelimiterValues) {
  const std::vector<std::pair<std::string, char>> cases = {
      {"COMMA", ','}, {"space", ' '}, {"TAB", '\t'}, {"NEWLINE", '\n'}, {"|x", '|'}, {"q", 'Q'}};
  for (const auto& [word, value] : cases) {
    SCOPED_TRACE(word);
    ASSERT_EQ(compile("RECORD 10\nDELIMITER LINE " + word + "\n"), 0);
    EXPECT_EQ(stan().line_delimiter, value);
  }
  ASSERT_EQ(compile("RECORD 10\nLINESINREC 2\nDELIMITER ITEM COMMA\nDELIMITER LINE TAB\n"), 0);
  EXPECT_EQ(stan().multi_line_items, 0);
}

TEST_F(StanReaderTest, NumbersOfSkipAndTestMustBeDigitsAndLinesInRecIsTakenAsItStands) {
  ASSERT_EQ(compile("RECORD 10\nSKIP 5\nSKIP x5\nTEST 3\nTEST 3x\nLINESINREC 4lines\n"), 0);
  EXPECT_EQ(stan().skip_count, 5);
  EXPECT_EQ(stan().test_count, 3);
  EXPECT_EQ(stan().lines_per_record, 4);
}

TEST_F(StanReaderTest, FileNameExtensionsFollowTheCaseOfTheLastLetter) {
  put_process("road", ".cls", ".dct", ".pat", kSmallDictionary, kSmallPatternFile);
  put_process("Addr1", ".cls", ".dct", ".pat", kSmallDictionary, kSmallPatternFile);
  put_process("Std", ".CLS", ".DCT", ".PAT", kSmallDictionary, kSmallPatternFile);
  fs_.put("std2.DCT", kSmallDictionary);
  ASSERT_EQ(compile("STANDARDIZE ADDR\nSTANDARDIZE road\nSTANDARDIZE Addr1\n"
                    "PROCESSFILE ROAD Std std2\nRECORD 10\n"),
            0)
      << console_.text();
  const Stan& s = stan();
  EXPECT_STREQ(s.class_file[0], "ADDR.CLS");
  EXPECT_STREQ(s.pattern_file[0], "ADDR.PAT");
  EXPECT_STREQ(s.dictionary_file[0], "ADDR.DCT");
  EXPECT_STREQ(s.class_file[1], "Std.CLS");
  EXPECT_STREQ(s.pattern_file[1], "Std.PAT");
  // PROCESSFILE reads its operands upper-cased for the case of the extensions.
  EXPECT_STREQ(s.dictionary_file[1], "std2.DCT");
  EXPECT_STREQ(s.class_file[2], "Addr1.cls");
  EXPECT_STREQ(s.dictionary_file[2], "Addr1.dct");
  EXPECT_STREQ(s.process_name[1], "road");
  EXPECT_STREQ(s.processMatchKey[1], "std2");
}

TEST_F(StanReaderTest, FormatItemsBecomeChainedEntriesAndTheInputArea) {
  ASSERT_EQ(compile("STANDARDIZE A LINE 2-3 (1-30) NEWLINE \"ab\" LINE 4 LINE 5 (3 2) newline\n"
                    "RECORD 50\n"),
            0)
      << console_.text();
  const Stan& s = stan();
  EXPECT_EQ(s.first_format_entry[0], 1);
  EXPECT_EQ(s.format_entry_count, 6);
  struct Expected {
    short first_line, last_line, start, length, declared, offset, next;
    const char* literal;
  };
  const Expected expected[] = {
      {2, 3, 1, 31, 30, 1, 2, ""}, {0, 0, 0, 2, 1, 32, 3, "\n"}, {0, 0, 0, 3, 1, 34, 4, "ab"},
      {4, 4, 0, 0, 0, 37, 5, ""},  {5, 5, 3, 3, 2, 37, 6, ""},   {0, 0, 0, 2, 1, 40, 0, "\n"},
  };
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i + 1);
    const FormatEntry& e = s.format[i + 1];
    EXPECT_EQ(e.first_line, expected[i].first_line);
    EXPECT_EQ(e.last_line, expected[i].last_line);
    EXPECT_EQ(e.start_column, expected[i].start);
    EXPECT_EQ(e.length, expected[i].length);
    EXPECT_EQ(e.area_length, expected[i].length);
    EXPECT_EQ(e.declared_length, expected[i].declared);
    EXPECT_EQ(e.offset, expected[i].offset);
    EXPECT_EQ(e.next, expected[i].next);
    EXPECT_STREQ(e.literal, expected[i].literal);
  }
}

TEST_F(StanReaderTest, ProcessesThatRepeatTheirPredecessorsPiecesShareItsInput) {
  ASSERT_EQ(compile("STANDARDIZE A (1-30) (31 10)\nSTANDARDIZE B (1-30)(31 10)\n"
                    "STANDARDIZE C (31 10)\nRECORD 40\n"),
            0);
  EXPECT_EQ(stan().input_number[0], 0);
  EXPECT_EQ(stan().input_number[1], 0);
  EXPECT_EQ(stan().input_number[2], 1);
  // B's repeated pieces are read once: its chain is A's.
  EXPECT_EQ(stan().first_format_entry[1], 1);
  EXPECT_EQ(stan().first_format_entry[2], 3);
  EXPECT_EQ(stan().format_entry_count, 3);
  EXPECT_EQ(stan().format[3].start_column, 31);
  EXPECT_EQ(stan().format[3].offset, 43);

  // Only the process just before counts; merging still finds the earlier equal chain.
  ASSERT_EQ(compile("STANDARDIZE A (1-30)\nSTANDARDIZE B (31 10)\nSTANDARDIZE C (1-30)\n"
                    "RECORD 40\n"),
            0);
  EXPECT_EQ(stan().input_number[2], 2);
  EXPECT_EQ(stan().first_format_entry[2], 1);
  EXPECT_EQ(stan().format_entry_count, 2);

  ASSERT_EQ(compile("STANDARDIZE A\nSTANDARDIZE B (1 5)\nSTANDARDIZE C\nRECORD 40\n"), 0);
  EXPECT_EQ(stan().first_format_entry[0], 0);
  EXPECT_EQ(stan().input_number[0], 0);
  EXPECT_EQ(stan().input_number[1], 1);
  EXPECT_EQ(stan().input_number[2], 2);

  ASSERT_EQ(compile("STANDARDIZE A\nSTANDARDIZE B\nRECORD 40\n"), 0);
  EXPECT_EQ(stan().input_number[1], 0);
  EXPECT_EQ(stan().first_format_entry[1], 0);
}

TEST_F(StanReaderTest, SeparatorAndStripListsComeFromTheRawLine) {
  ASSERT_EQ(compile("STANDARDIZE A\nSEPLIST  \t\" ,-\\\"x\" ; rest\nSTANDARDIZE B\n"
                    "STRIPLIST \".;\"\nSEPLIST \"1234567890123456789\"\nRECORD 10\n"),
            0)
      << console_.text();
  EXPECT_STREQ(stan().separator_list[0], " ,-\\\"x");
  EXPECT_STREQ(stan().strip_list[0], " ,.'`;:");
  EXPECT_STREQ(stan().strip_list[1], ".;");
  EXPECT_STREQ(stan().separator_list[1], "1234567890123456789");

  const std::string line = "SEPLIST \" ,-";
  EXPECT_EQ(compile("STANDARDIZE A\n" + line + "\nRECORD 10\n"), 1);
  EXPECT_EQ(console_.text(), listing(2, "missing closing quote in SEPLIST string", line + "\n") +
                                 terminated(3, "RECORD 10\n"));
}

TEST_F(StanReaderTest, ProcessOrderNamesProcessesAndWarnsOfUnknownOnes) {
  ASSERT_EQ(compile("STANDARDIZE A\nSTANDARDIZE B\nPROCESSORDER b X\nRECORD 10\n"), 0);
  EXPECT_EQ(console_.text(),
            "Warning: PROCESSORDER: following Process_Name is not a current process:\n X\n");
  EXPECT_EQ(stan().process_order[0], 1);
  EXPECT_EQ(stan().process_order[1], -1);
  EXPECT_EQ(stan().process_order[2], -1);
  EXPECT_EQ(stan().process_order_seen, 1);
}

TEST_F(StanReaderTest, MoveItemsFillAux) {
  const std::vector<std::tuple<std::string, AuxKind, std::string>> cases = {
      {"MOVE \"hello world\"", AuxKind::kLiteral, "hello world"},
      {"MOVE\tnewline", AuxKind::kNewline, "\n"},
      {"MOVE ORIGINAL_RECORD  ", AuxKind::kOriginalRecord, "ORIGINAL_RECORD"},
  };
  for (const auto& [line, kind, text] : cases) {
    SCOPED_TRACE(line);
    ASSERT_EQ(compile("RECORD 10\nAUXOUTFILE aux.txt\n" + line + "\n"), 0) << console_.text();
    EXPECT_EQ(stan().aux->count, 1);
    EXPECT_EQ(stan().move_count, 1);
    EXPECT_EQ(stan().aux->entry.kind, kind);
    EXPECT_EQ(std::string(stan().aux->entry.text), text);
  }
}

}  // namespace
}  // namespace tovr::test

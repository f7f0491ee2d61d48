// Internals of the pattern-action compiler: the state of one file's compile and the steps
// that the passes share.
#pragma once

#include "frame/line_reader.h"
#include "frame/stream.h"
#include "stancomp/pattern_program.h"

namespace tovr {

// Outcome of one compile step. kError: a message was printed and the line is abandoned;
// kFatal: a message was printed and the whole compile ends (no memory).
enum class Step { kOk, kError, kFatal };

// A line buffer: 253 characters are kept, the rest of a longer line is skipped.
inline constexpr int kLineKeep = 253;
inline constexpr int kLineBufferSize = 256;
inline constexpr int kScratchSize = 256;  // literals and names up to 199 characters + room

// Longest quoted text or range a pattern line may hold.
inline constexpr int kMaxLiteral = 199;

// Kinds of lines, as both passes see them.
enum class LineKind {
  kSkip,        // comment or empty
  kAction,      // begins with one of the action keys
  kPostKey,     // begins with "SOUN" or "RSOU"
  kSubStart,    // "\SUB"
  kSubEnd,      // "\END_SUB"
  kPostStart,   // "\POST_START"
  kPostEnd,     // "\POST_END"
  kPattern,
};

// One line as read: the buffer holds the line with leading blanks skipped and the line end
// removed; had_line_end tells whether a line feed or carriage return ended it.
struct ReadLine {
  char buffer[kLineBufferSize];
  char* text;
  int length;
  bool had_line_end;
};

// Reads the next line of a pattern file (deciphering it when the file is enciphered):
// kLine, kEnd at the end of the file, or kError when the read failed.
ReadResult read_pattern_line(Stream stream, bool enciphered, ReadLine& line);

// Reads the first line (into line's buffer) and tells whether it is the marker of an
// enciphered file. When it is not, the stream is rewound so that the first line is read
// again as program text. kError when the read failed.
ReadResult detect_enciphered(Stream stream, ReadLine& line, bool* enciphered);

LineKind classify_line(const ReadLine& line);

// The compile of one process's pattern file.
struct PatternFileState {
  const PatternSources* sources;
  StanPatterns* out;
  Sc* sc;
  int process;
  const char* file_name;
  Stream stream;
  bool enciphered;
  bool has_post_section;
  long line_number;
  const char* line;       // the line being compiled, for messages
  bool file_error;        // a line of this file had an error
  char* temp;             // scratch buffer of kScratchSize bytes

  // Compiling pass.
  int pattern_index;      // the pattern whose actions follow, -1 before the first
  int section;            // current section, 0 = main
  int sections_entered;   // subroutine sections seen so far
  int calls_entered;
  PatternAction* chain_tail;
  PatternAction* post_tail;
};

ProcessProgram& program_of(PatternFileState& st);

// Messages. line_error prints the message and the trailers (the line, its number, the file)
// and marks the file as failed; no_memory prints a plain message and returns kFatal.
Step line_error(PatternFileState& st, const char* message);
Step line_error2(PatternFileState& st, const char* first, const char* second);
Step line_warning(PatternFileState& st, const char* message);
// The message and the line only.
Step line_error_short(PatternFileState& st, const char* message);
Step invalid_condition_char(PatternFileState& st, char c);
Step no_memory(const char* message);
Step no_memory_in_file(const char* message, const char* file_name);

// Character tests on raw bytes.
bool is_blank(char c);
bool is_name_char(char c);        // letters, digits, "_"
bool is_file_name_char(char c);   // letters, digits, "_", "\", "/", ":", "."
int skip_blanks(const char* s, int i);

// The range routine: s[i] is "("; reads (a:b) or (a) and leaves i after ")".
Step read_range(PatternFileState& st, const char* s, int& i, int range[2]);

// User files shared by value lists and convert tables.
Step open_user_file(PatternFileState& st, const char* name, const char* open_error, short& slot);
void drop_user_file(UserFileTable& table, short slot);

// User variables: index of a name (without regard to case), or -1.
int find_user_var(const UserVariableTable& vars, const char* name);
bool is_reserved_word(const char* name);

// Finds the first process whose match key holds the field; -1 when none does.
int find_field_process(const PatternFileState& st, const char* field);

// Pattern lines, value lists, conditions.
Step compile_pattern_line(PatternFileState& st, Pattern& p, const char* line);
Step parse_value_list(PatternFileState& st, const char* s, int& i, Pattern& p, int k);
Step parse_condition(PatternFileState& st, const char* s, int& i, Pattern& p, int k);
void set_class_flags(const Pattern& p, std::uint32_t flags[2]);

// Action lines.
PatternAction* new_action();
Step compile_action_line(PatternFileState& st, const char* line);
Step compile_post_action(PatternFileState& st, const char* line, PatternAction*& action);
void release_action(PatternAction* a, UserFileTable& files);
// The name of a \SUB line; false when it breaks the name rules.
bool subroutine_name(const char* line, int& start, int& length);

// Instruction count and generation; returns kFatal after a message.
Step generate_instructions(PatternFileState& st);

// Releases of single compiled parts.
void release_pattern(Pattern* p, UserFileTable& files);

}  // namespace tovr

// Messages of the pattern compiler and the character tests its parsers share.
#include <cctype>

#include "frame/messages.h"
#include "frame/strings.h"
#include "stancomp/pattern_compiler.h"
#include "stancomp/pattern_messages.h"

namespace tovr {
namespace {

void print_trailers(const PatternFileState& st) {
  console_message(patmsg::kLineTrailer, st.line != nullptr ? st.line : "");
  console_message(patmsg::kLineNumberTrailer, st.line_number);
  console_message(patmsg::kFileTrailer, st.file_name);
}

Step fail_line(PatternFileState& st) {
  st.file_error = true;
  st.out->pattern_error = 1;
  return Step::kError;
}

}  // namespace

ProcessProgram& program_of(PatternFileState& st) { return st.out->process[st.process]; }

Step line_error(PatternFileState& st, const char* message) {
  console_message("%s", message);
  print_trailers(st);
  return fail_line(st);
}

Step line_error2(PatternFileState& st, const char* first, const char* second) {
  console_message("%s", first);
  console_message("%s", second);
  print_trailers(st);
  return fail_line(st);
}

Step line_error_short(PatternFileState& st, const char* message) {
  console_message("%s", message);
  console_message(patmsg::kLineTrailer, st.line != nullptr ? st.line : "");
  return fail_line(st);
}

Step line_warning(PatternFileState& st, const char* message) {
  console_message("%s", message);
  print_trailers(st);
  return Step::kOk;
}

Step invalid_condition_char(PatternFileState& st, char c) {
  console_message(patmsg::kInvalidCondChar, c, st.line);
  print_trailers(st);
  return fail_line(st);
}

Step no_memory(const char* message) {
  console_message("%s", message);
  return Step::kFatal;
}

Step no_memory_in_file(const char* message, const char* file_name) {
  console_message("%s", message);
  console_message(patmsg::kLineTrailer, file_name);
  return Step::kFatal;
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

bool is_name_char(char c) {
  return is_letter(static_cast<unsigned char>(c)) ||
         std::isdigit(static_cast<unsigned char>(c)) || c == '_';
}

bool is_file_name_char(char c) {
  return is_name_char(c) || c == '\\' || c == '/' || c == ':' || c == '.';
}

int skip_blanks(const char* s, int i) {
  while (is_blank(s[i])) ++i;
  return i;
}

}  // namespace tovr

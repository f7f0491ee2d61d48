// The line-by-line reader of a standardizer file: splits each line, runs its command and
// keeps the error state of the whole file.
#pragma once

#include <cstddef>

#include "stancomp/stan.h"
#include "stancomp/token_area.h"

namespace tovr {

// kFail ends the compile at once (result 1); everything else keeps reading.
enum class Outcome { kContinue, kFail };

class StanReader {
 public:
  // upper and kept are the two TokenAreas of the compile: the line upper-cased, and the
  // same line with its case kept for commands that store names.
  StanReader(Stan& stan, TokenArea& upper, TokenArea& kept)
      : stan_(stan), upper_(upper), kept_(kept) {}

  // Runs the line now in stan.current_line.
  Outcome run_line();

  // 0 none, 1 an error was listed, 2 reading must stop.
  short error() const { return error_; }

  // Prints message in listing form with the current line.
  void list(const char* message) const;
  // Lists message and marks the file as failed; reading goes on.
  void list_error(const char* message);
  // Lists message and stops the reading.
  void list_stop(const char* message);

 private:
  Outcome dispatch(int command);
  Outcome standardize();
  Outcome seplist(bool strip);
  Outcome process_misc(int command);
  Outcome misc_command(int command, TokenArea& kept);
  Outcome move();
  Outcome move_item(const char*& p);
  Outcome process_file(TokenArea& kept);
  Outcome process_order(TokenArea& kept);
  Outcome key_order(TokenArea& kept);
  void type();
  void delimiter();

  // Format items of a STANDARDIZE command, from token `first` of the kept area. Returns the
  // index of the process's first entry, or 0 when none was made.
  short format_items(int first);
  short input_number(int process) const;

  Stan& stan_;
  TokenArea& upper_;
  TokenArea& kept_;
  short error_ = 0;
  bool key_order_seen_ = false;
};

// File names: base followed by extension (given in lower case, such as ".cls"), the
// extension upper-cased when asked. name_size counts the terminator; write_name fills a
// block of that size.
std::size_t name_size(const char* base, const char* extension);
void write_name(char* name, const char* base, const char* extension, bool upper);
// The extension-case rule: upper case when the last letter of name is upper case; lower
// case when name has no letter.
bool extension_upper(const char* name);
// A heap copy of base and extension by the extension-case rule; null when memory runs out.
char* name_with_extension(const char* base, const char* extension);
// A heap copy of name; null when memory runs out.
char* heap_copy(const char* name);

// True when every character of text is a decimal digit (and there is one). The value is
// clamped at limit.
bool read_number(const char* text, int limit, int* value);

// Index of the process with this name (without regard to case), or -1.
int find_process(const Stan& stan, const char* name);

}  // namespace tovr

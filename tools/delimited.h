// Delimited text rows: fields separated by one character; a field that begins with a double
// quote runs to the closing quote, and two quotes inside it stand for one.
#pragma once

#include <string>
#include <vector>

namespace tovr::cli {

std::vector<std::string> split_delimited(const std::string& line, char delimiter);

// Reads a delimiter option: one character, or the words tab, comma, space, semicolon, pipe,
// or the escape \t. False for anything else.
bool parse_delimiter(const std::string& text, char* delimiter);

}  // namespace tovr::cli

// Small text helpers shared by the subcommands.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tovr::cli {

// Removes blanks, tabs and line ends at both ends.
std::string trim(std::string_view text);
// Removes blanks, tabs and line ends at the end only.
std::string trim_end(std::string_view text);
std::string to_upper(std::string_view text);
bool iequals(std::string_view a, std::string_view b);
// Splits at runs of blanks and tabs; empty words never appear.
std::vector<std::string> split_words(std::string_view text);
// Replaces every run of blanks and tabs by one blank and trims the ends.
std::string collapse_blanks(std::string_view text);
std::string join(const std::vector<std::string>& parts, std::string_view separator);
// Reads a whole decimal integer (optional sign); false for anything else or out of range.
bool parse_long(std::string_view text, long* value);
bool parse_double(std::string_view text, double* value);
// Pads with blanks or cuts to exactly width characters.
std::string fit(std::string_view text, size_t width);
// The directory part of a path ("" for a bare name), without a trailing slash.
std::string directory_of(const std::string& path);

}  // namespace tovr::cli

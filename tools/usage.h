// Usage texts of the tool and its subcommands, and the error reporting shared by them.
#pragma once

#include <string>

namespace tovr::cli {

extern const char* const kMainUsage;
extern const char* const kStandardizeUsage;
extern const char* const kIndexUsage;
extern const char* const kMatchUsage;
extern const char* const kGeocodeUsage;

// Writes "tovr: message" to standard error.
void report_error(const std::string& message);
// Writes "tovr: message" and a pointer to the command's help; returns the usage status.
int usage_error(const std::string& command, const std::string& message);
// Writes the usage text to standard output; returns 0.
int show_usage(const char* text);

}  // namespace tovr::cli

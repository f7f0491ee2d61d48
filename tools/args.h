// Command-line options of one subcommand: "--name value", "--name=value", flags, and
// positional arguments; "--" ends the options.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tovr::cli {

struct OptionSpec {
  std::string name;  // without the leading dashes
  bool takes_value;
};

class Args {
 public:
  // Parses argv[first..argc). Returns false and sets *error for an unknown option or a
  // missing value. "-h" is read as "--help".
  bool parse(int argc, char** argv, int first, const std::vector<OptionSpec>& specs,
             std::string* error);

  bool has(const std::string& name) const { return values_.count(name) != 0; }
  // The last value given for the option, or fallback.
  std::string value(const std::string& name, const std::string& fallback = "") const;
  // Every value given for a repeatable option, in order.
  std::vector<std::string> values(const std::string& name) const;
  const std::vector<std::string>& positionals() const { return positionals_; }

  // Reads an integer option within [min, max]; absent gives fallback. False and *error for
  // a value that is not a number in range.
  bool integer(const std::string& name, long min, long max, long fallback, long* out,
               std::string* error) const;
  bool number(const std::string& name, double min, double max, double fallback, double* out,
              std::string* error) const;

 private:
  std::map<std::string, std::vector<std::string>> values_;
  std::vector<std::string> positionals_;
};

}  // namespace tovr::cli

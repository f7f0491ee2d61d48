// An outline of a matcher rules file, read by the tool beside the library's own load: the
// candidate variables with their columns, and each comparison with the match key fields
// and variables it names. The tool uses it to show values when it explains a score, to
// build rules files that hold only some of the comparisons (the library reports only
// total weights, so field weights are the differences between such partial runs), and to
// find the columns of the street name and the address ranges of a reference file.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tovr::cli {

struct RulesVariable {
  std::string name;
  int start = -1;  // 0-based column; -1 when not known (arrays placed item by item)
  int length = 0;
};

struct RulesComparison {
  std::string statement;  // the line as written, comment removed
  std::string type;       // the comparison type, as the library reads it (CHAR, D_INT, ...)
  bool reverse = false;   // RMATCH
  std::vector<std::string> key_fields;
  std::vector<std::string> variables;
  size_t order = 0;  // number of the first variable: comparisons run in variable order
};

class RulesOutline {
 public:
  // Reads the statements; false with *error when the file cannot be read. Statements the
  // outline does not understand are kept as they are (the library judges them).
  bool read(const std::string& path, std::string* error);

  const std::vector<RulesVariable>& variables() const { return variables_; }
  // In the order the matcher visits them.
  const std::vector<RulesComparison>& comparisons() const { return comparisons_; }
  std::optional<double> cutoff() const { return cutoff_; }
  const RulesVariable* variable(const std::string& name) const;
  // The first comparison of that type whose first match key field is field, or null.
  const RulesComparison* comparison(const std::string& type, const std::string& field) const;

  // A rules file with every variable and only the first n comparisons.
  std::string partial_rules(size_t n) const;

 private:
  std::vector<RulesVariable> variables_;
  std::vector<RulesComparison> comparisons_;
  std::vector<std::string> other_statements_;
  std::optional<double> cutoff_;
};

}  // namespace tovr::cli

#include "rules_outline.h"

#include <algorithm>
#include <fstream>

#include "text.h"

namespace tovr::cli {
namespace {

// How the operands of each comparison type are laid out after the type operand: the
// number of match key fields, then the number of candidate variables. Types are told by
// their leading characters, tried in this order.
struct TypeShape {
  const char* prefix;
  int key_fields;
  int variables;
};

const TypeShape kShapes[] = {
    {"CHAR", 1, 1},         {"LR_CHAR", 1, 2},  {"UNCERT", 1, 1}, {"LR_UNCERT", 1, 2},
    {"DATE8", 1, 1},        {"DATE6", 1, 1},    {"NUM", 1, 1},    {"PRORAT", 1, 1},
    {"TIME", 1, 1},         {"DELTA", 1, 1},    {"ABS", 1, 1},    {"INTERVAL_NO", 1, 2},
    {"INTERVAL_PAR", 1, 2}, {"D_INT", 1, 4},    {"DOUBLE", 1, 4}, {"ARRAY", 1, 1},
    {"CNT", 1, 1},          {"DISTANCE", 2, 2}, {"PREFIX", 1, 1}, {"INT_TO_INT", 2, 2}};

const TypeShape* shape_of(const std::string& type) {
  for (const TypeShape& shape : kShapes) {
    if (type.rfind(shape.prefix, 0) == 0) return &shape;
  }
  return nullptr;
}

std::vector<std::string> statement_words(std::string line) {
  size_t comment = line.find(';');
  if (comment != std::string::npos) line.resize(comment);
  return split_words(line);
}

}  // namespace

bool RulesOutline::read(const std::string& path, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot open";
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> words = statement_words(line);
    if (words.empty()) continue;
    std::string keyword = to_upper(words[0]);
    std::string statement = join(words, " ");
    long number = 0;
    if (keyword == "VAR" && words.size() >= 4) {
      RulesVariable v{words[1], -1, 0};
      if (parse_long(words[2], &number)) v.start = static_cast<int>(number) - 1;
      if (parse_long(words[3], &number)) v.length = static_cast<int>(number);
      variables_.push_back(v);
    } else if ((keyword == "ARRAY_SEP" || keyword == "ARRAY_ADJ") && words.size() >= 2) {
      variables_.push_back({words[1], -1, 0});
    } else if (keyword == "CUTOFF" && words.size() >= 2) {
      double weight = 0;
      if (parse_double(words[1], &weight)) cutoff_ = weight;
    }
    if (keyword == "VARTYPE") continue;  // frequency options change no weight
    if ((keyword != "MATCH" && keyword != "RMATCH") || words.size() < 2) {
      other_statements_.push_back(statement);
      continue;
    }
    RulesComparison c;
    c.statement = statement;
    c.reverse = keyword == "RMATCH";
    const TypeShape* shape = shape_of(words[1]);
    c.type = shape != nullptr ? shape->prefix : words[1];
    // ARRAY names its element type first and its item count after the field.
    bool array = c.type == "ARRAY";
    size_t pos = array ? 3 : 2;
    int key_fields = shape != nullptr ? shape->key_fields : 1;
    int vars = shape != nullptr ? shape->variables : 1;
    for (int i = 0; i < key_fields && pos < words.size(); ++i) c.key_fields.push_back(words[pos++]);
    if (array) ++pos;
    for (int i = 0; i < vars && pos < words.size(); ++i) c.variables.push_back(words[pos++]);
    c.order = variables_.size();
    for (size_t v = 0; !c.variables.empty() && v < variables_.size(); ++v) {
      if (iequals(variables_[v].name, c.variables[0])) c.order = v;
    }
    comparisons_.push_back(c);
  }
  std::stable_sort(
      comparisons_.begin(), comparisons_.end(),
      [](const RulesComparison& a, const RulesComparison& b) { return a.order < b.order; });
  return true;
}

const RulesVariable* RulesOutline::variable(const std::string& name) const {
  for (const RulesVariable& v : variables_) {
    if (iequals(v.name, name)) return &v;
  }
  return nullptr;
}

const RulesComparison* RulesOutline::comparison(const std::string& type,
                                                const std::string& field) const {
  for (const RulesComparison& c : comparisons_) {
    if (c.type == type && !c.key_fields.empty() && iequals(c.key_fields[0], field)) return &c;
  }
  return nullptr;
}

std::string RulesOutline::partial_rules(size_t n) const {
  std::string text;
  for (const std::string& s : other_statements_) text += s + "\n";
  for (size_t i = 0; i < n && i < comparisons_.size(); ++i) {
    text += comparisons_[i].statement + "\n";
  }
  return text;
}

}  // namespace tovr::cli

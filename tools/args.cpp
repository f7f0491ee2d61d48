#include "args.h"

#include <cstdio>

#include "text.h"

namespace tovr::cli {
namespace {

const OptionSpec* find_spec(const std::vector<OptionSpec>& specs, const std::string& name) {
  for (const OptionSpec& spec : specs) {
    if (spec.name == name) return &spec;
  }
  return nullptr;
}

}  // namespace

bool Args::parse(int argc, char** argv, int first, const std::vector<OptionSpec>& specs,
                 std::string* error) {
  bool options_done = false;
  for (int i = first; i < argc; ++i) {
    std::string arg = argv[i];
    if (options_done || arg.size() < 2 || arg[0] != '-') {
      positionals_.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    if (arg == "-h") arg = "--help";
    if (arg.rfind("--", 0) != 0) {
      *error = "unknown option '" + arg + "'";
      return false;
    }
    std::string name = arg.substr(2);
    std::string inline_value;
    bool has_inline = false;
    size_t eq = name.find('=');
    if (eq != std::string::npos) {
      inline_value = name.substr(eq + 1);
      name = name.substr(0, eq);
      has_inline = true;
    }
    const OptionSpec* spec = find_spec(specs, name);
    if (spec == nullptr && name != "help") {
      *error = "unknown option '--" + name + "'";
      return false;
    }
    if (spec == nullptr || !spec->takes_value) {
      if (has_inline) {
        *error = "option '--" + name + "' takes no value";
        return false;
      }
      values_[name].push_back("");
      continue;
    }
    if (has_inline) {
      values_[name].push_back(inline_value);
    } else if (i + 1 < argc) {
      values_[name].push_back(argv[++i]);
    } else {
      *error = "option '--" + name + "' needs a value";
      return false;
    }
  }
  return true;
}

std::string Args::value(const std::string& name, const std::string& fallback) const {
  auto it = values_.find(name);
  if (it == values_.end() || it->second.empty()) return fallback;
  return it->second.back();
}

std::vector<std::string> Args::values(const std::string& name) const {
  auto it = values_.find(name);
  if (it == values_.end()) return {};
  return it->second;
}

bool Args::integer(const std::string& name, long min, long max, long fallback, long* out,
                   std::string* error) const {
  if (!has(name)) {
    *out = fallback;
    return true;
  }
  long parsed = 0;
  if (!parse_long(value(name), &parsed) || parsed < min || parsed > max) {
    *error = "option '--" + name + "' needs a whole number from " + std::to_string(min) + " to " +
             std::to_string(max);
    return false;
  }
  *out = parsed;
  return true;
}

bool Args::number(const std::string& name, double min, double max, double fallback, double* out,
                  std::string* error) const {
  if (!has(name)) {
    *out = fallback;
    return true;
  }
  double parsed = 0;
  if (!parse_double(value(name), &parsed) || parsed < min || parsed > max) {
    char range[80];
    std::snprintf(range, sizeof range, " from %g to %g", min, max);
    *error = "option '--" + name + "' needs a number" + range;
    return false;
  }
  *out = parsed;
  return true;
}

}  // namespace tovr::cli

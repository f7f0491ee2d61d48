#include "text.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace tovr::cli {
namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

std::string trim(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && is_space(text[begin])) ++begin;
  while (end > begin && is_space(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

std::string trim_end(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && is_space(text[end - 1])) --end;
  return std::string(text.substr(0, end));
}

std::string to_upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::vector<std::string> split_words(std::string_view text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && is_space(text[i])) ++i;
    size_t start = i;
    while (i < text.size() && !is_space(text[i])) ++i;
    if (i > start) words.emplace_back(text.substr(start, i - start));
  }
  return words;
}

std::string collapse_blanks(std::string_view text) { return join(split_words(text), " "); }

std::string join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += separator;
    out += parts[i];
  }
  return out;
}

bool parse_long(std::string_view text, long* value) {
  std::string copy(text);
  if (copy.empty() || is_space(copy.front())) return false;
  errno = 0;
  char* end = nullptr;
  long parsed = std::strtol(copy.c_str(), &end, 10);
  if (errno != 0 || end == copy.c_str() || *end != '\0') return false;
  *value = parsed;
  return true;
}

bool parse_double(std::string_view text, double* value) {
  std::string copy(text);
  if (copy.empty() || is_space(copy.front())) return false;
  errno = 0;
  char* end = nullptr;
  double parsed = std::strtod(copy.c_str(), &end);
  if (errno != 0 || end == copy.c_str() || *end != '\0') return false;
  *value = parsed;
  return true;
}

std::string fit(std::string_view text, size_t width) {
  std::string out(text.substr(0, width));
  out.resize(width, ' ');
  return out;
}

std::string directory_of(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace tovr::cli

#include "standardizer_layouts.h"

#include <fstream>

#include "text.h"

namespace tovr::cli {
namespace {

// Words of a standardizer file line: blanks, tabs and parentheses separate; ";" starts a comment.
std::vector<std::string> spec_words(std::string line) {
  size_t comment = line.find(';');
  if (comment != std::string::npos) line.resize(comment);
  for (char& c : line) {
    if (c == '(' || c == ')') c = ' ';
  }
  return split_words(line);
}

struct Process {
  std::string name;
  std::string dictionary;  // base name without extension
};

}  // namespace

bool standardizer_layouts(const std::string& spec_path, std::vector<std::string>* layouts) {
  std::ifstream in(spec_path);
  if (!in) return false;
  std::vector<Process> processes;
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> words = spec_words(line);
    if (words.size() >= 2 && iequals(words[0], "STANDARDIZE")) {
      processes.push_back({words[1], words[1]});
    } else if (words.size() >= 3 && iequals(words[0], "PROCESSFILE")) {
      for (Process& p : processes) {
        if (p.name == words[1]) p.dictionary = words.size() >= 4 ? words[3] : words[2];
      }
    }
  }
  layouts->clear();
  for (const Process& p : processes) {
    bool seen = false;
    for (const std::string& l : *layouts) seen = seen || iequals(l, p.dictionary);
    if (!seen) layouts->push_back(p.dictionary);
  }
  return true;
}

}  // namespace tovr::cli

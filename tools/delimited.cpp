#include "delimited.h"

namespace tovr::cli {

std::vector<std::string> split_delimited(const std::string& line, char delimiter) {
  std::vector<std::string> fields;
  std::string field;
  size_t i = 0;
  size_t end = line.size();
  while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r')) --end;
  bool at_field_start = true;
  while (i < end) {
    char c = line[i];
    if (at_field_start && c == '"') {
      ++i;
      while (i < end) {
        if (line[i] == '"' && i + 1 < end && line[i + 1] == '"') {
          field += '"';
          i += 2;
        } else if (line[i] == '"') {
          ++i;
          break;
        } else {
          field += line[i++];
        }
      }
      at_field_start = false;
      continue;
    }
    if (c == delimiter) {
      fields.push_back(field);
      field.clear();
      at_field_start = true;
    } else {
      field += c;
      at_field_start = false;
    }
    ++i;
  }
  fields.push_back(field);
  return fields;
}

bool parse_delimiter(const std::string& text, char* delimiter) {
  if (text == "tab" || text == "\\t") {
    *delimiter = '\t';
  } else if (text == "comma") {
    *delimiter = ',';
  } else if (text == "space") {
    *delimiter = ' ';
  } else if (text == "semicolon") {
    *delimiter = ';';
  } else if (text == "pipe") {
    *delimiter = '|';
  } else if (text.size() == 1 && text[0] != '"' && text[0] != '\n') {
    *delimiter = text[0];
  } else {
    return false;
  }
  return true;
}

}  // namespace tovr::cli

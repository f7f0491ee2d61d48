#include "index_session.h"

#include "text.h"

namespace tovr::cli {

bool IndexSession::open(const IndexSettings& s, int* open_status, std::string* error) {
  std::vector<std::string> lines;
  lines.push_back("FILE " + s.file);
  lines.push_back("INDEX " + std::to_string(s.sequence) + " " + s.name);
  for (const auto& [name, seq] : s.others) {
    lines.push_back("INDEX " + std::to_string(seq) + " " + name);
  }
  lines.push_back("END");
  std::vector<const char*> statements;
  for (const std::string& l : lines) statements.push_back(l.c_str());
  statements.push_back(nullptr);

  std::vector<std::string> names{s.name};
  for (const auto& other : s.others) names.push_back(other.first);
  for (size_t i = 0; i < names.size(); ++i) {
    int status = 0;
    TOVR_Db* h =
        TOVR_dbOpen(names[i].c_str(), s.coding, s.width, &status, static_cast<short>(s.buffers),
                    static_cast<short>(s.pages), static_cast<short>(s.extension), statements.data(),
                    s.signature.c_str(), s.write ? 1 : 0);
    if (h == nullptr) {
      *error = s.file + ": cannot open index " + names[i] + ": " + status_text(status);
      close();
      return false;
    }
    // Opening a sequence twice gives the same handle, which is closed once.
    bool seen = false;
    for (TOVR_Db* open : handles_) seen = seen || open == h;
    if (!seen) handles_.push_back(h);
    if (i == 0) *open_status = status;
  }
  return true;
}

bool IndexSession::close() {
  bool ok = true;
  while (!handles_.empty()) {
    TOVR_Db* h = handles_.back();
    handles_.pop_back();
    ok = TOVR_dbClose(&h) == 0 && ok;
  }
  return ok;
}

std::string IndexSession::status_text(int code) {
  // The library asks for at least 60 characters.
  char text[128] = {};
  TOVR_dbQueryCodeEnum(code, text);
  return std::string(text) + " (status " + std::to_string(code) + ")";
}

bool IndexSession::valid_name(const std::string& name) {
  if (name.empty() || name.size() > 8) return false;
  for (char c : name) {
    if (c == ' ' || c == '\t' || c == '=' || c == '\\' || c == '"') return false;
  }
  return true;
}

}  // namespace tovr::cli

// Cross-reference statements: the input is a list of statements as a host passes them (the
// strings are the parts of the input between NUL bytes) and, the second time, the same
// bytes as the file "indxname.xrf". Every index name the statements define is opened (files
// are created in memory), takes an insert and a search, and is closed; a refused list gives
// an error status and leaves no table loaded.
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "index/IndexTables.h"
#include "support/test_support.h"
#include "tovr.h"

namespace {

using tovr::fuzz::require;

// The names of INDEX lines, as a host would know them (at most a few, to keep runs short).
std::vector<std::string> index_names(const std::string& text) {
  std::vector<std::string> names;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line, '\n') && names.size() < 6) {
    std::istringstream words(line);
    std::string keyword, number, name;
    if (words >> keyword >> number >> name && keyword.size() == 5 &&
        strncasecmp(keyword.c_str(), "INDEX", 5) == 0) {
      names.push_back(name);
    }
  }
  names.push_back("CITY");
  return names;
}

void open_each(const std::vector<std::string>& names, const char* const* statements) {
  std::set<TOVR_Db*> open;
  for (const std::string& name : names) {
    int status = -1;
    TOVR_Db* db = TOVR_dbOpen(name.c_str(), 'R', 'S', &status, 6, 10, 10, statements, "", 1);
    if (db == nullptr) {
      require(status >= 3 && status <= 9, "a refused open gives an error status");
      continue;
    }
    require(status >= 0 && status <= 2, "an open gives 0, 1 or 2");
    open.insert(db);
    TOVR_dbInsert(db, "KEY", 1, 0);
    TOVR_dbFindMatch(db, "KEY");
  }
  for (TOVR_Db* db : open) require(TOVR_dbClose(&db) == 0, "close");
  require(!tovr::index_tables().loaded, "the tables go with the last handle");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tovr::fuzz::init_library();
  tovr::test::MemFs fs;
  const std::string input(reinterpret_cast<const char*>(data), size);
  fs.put("inc.xrf", "FILE inc.idx\nINDEX 4 INC\n");
  fs.put("indxname.xrf", input);

  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= input.size() && parts.size() < 16) {
    const std::size_t end = input.find('\0', start);
    parts.push_back(
        input.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  std::vector<const char*> statements;
  for (const std::string& p : parts) statements.push_back(p.c_str());
  statements.push_back(nullptr);

  const auto names = index_names(input);
  open_each(names, statements.data());
  open_each(names, nullptr);
  require(fs.open_streams() == 0, "no stream left open");
  return 0;
}

// Table files: the input is the file. A table that loads must answer every question about
// itself: each key is found by a scan (and by binary search when the rows are in order),
// every cell reads, proximity results come best first within 0 to 900, and it unloads.
#include <algorithm>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "matchkey/tables/table_registry.h"
#include "support/test_support.h"

namespace {

using tovr::fuzz::require;

// Rows examined per input, so that large tables keep the run fast.
constexpr int kRowsChecked = 40;

bool keys_in_order(const tovr::Table& t) {
  for (int r = 1; r < t.rows(); ++r) {
    if (std::strcmp(t.key(r - 1), t.key(r)) > 0) return false;
  }
  return true;
}

void check_lookups(tovr::TableRegistry* reg, const tovr::Table& t) {
  static char row[tovr::kTblMaxFields * (tovr::kTblMaxCell + 1) + 1];
  char cell[tovr::kTblMaxCell + 1];
  const bool binary_ok = t.sorted() && keys_in_order(t);
  for (int r = 0; r < std::min(t.rows(), kRowsChecked); ++r) {
    const std::string key = t.key(r);
    const int scan = tovr::tblLookup(reg, "t", 0, key.c_str(), row, sizeof row, tovr::kTblScan);
    require(scan == (key.empty() ? tovr::kTblBadArgument : tovr::kTblOk), "scan finds each key");
    const int binary = tovr::tblLookup(reg, "t", 1, key.c_str(), cell, sizeof cell, 0);
    if (binary_ok && !key.empty()) require(binary == tovr::kTblOk, "binary search finds each key");
    for (int c = 0; c <= t.columns(); ++c) {
      require(tovr::tblGetCell(reg, "t", r + 1, c, row, sizeof row) == tovr::kTblOk,
              "every cell of a row reads");
    }
  }
  require(tovr::tblGetCell(reg, "t", t.rows() + 1, 1, cell, sizeof cell) == tovr::kTblBadArgument,
          "a row past the end is refused");
}

void check_proximity(tovr::TableRegistry* reg, const tovr::Table& t, const char* key) {
  static const int prefixes[] = {0, 1, 3, -6};
  for (int match_type = 0; match_type <= 2; ++match_type) {
    for (int prefix : prefixes) {
      const int rc = tovr::tblProx(reg, "t", key, 0, prefix, match_type);
      if (rc != tovr::kTblOk) {
        require(rc == tovr::kTblBadArgument || rc == tovr::kTblTooLarge, "proximity status");
        continue;
      }
      char found[tovr::kTblMaxCell + 1];
      float score = 0;
      float previous = 901;
      int row = -1;
      int handed = 0;
      while (tovr::tblProxNext(reg, "t", found, sizeof found, &score, &row) == tovr::kTblOk) {
        require(score >= 700 && score <= 900 && score <= previous, "results best first");
        require(row >= 0 && row < t.rows(), "result row inside the table");
        previous = score;
        require(++handed <= tovr::kTblMaxResults, "at most 200 results");
      }
    }
  }
  (void)t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tovr::fuzz::init_library();
  tovr::test::MemFs fs;
  fs.put("t.tbl", std::string(reinterpret_cast<const char*>(data), size));
  static const char modes[] = {'I', 'U', 'C', 'O', '\0'};

  tovr::TableRegistry* reg = nullptr;
  require(tovr::tblInit(&reg) == tovr::kTblOk, "registry");
  const int rc = tovr::tblLoad(reg, "t", "t.tbl", modes[size % 5]);
  require(fs.open_streams() == 0, "the file is closed after a load");
  const tovr::Table* t = nullptr;
  if (rc == tovr::kTblOk) {
    require(tovr::tblFind(reg, "t", &t) == tovr::kTblOk && t != nullptr, "a loaded table is found");
    require(t->rows() > 0 && t->columns() > 0, "a loaded table has rows and columns");
    check_lookups(reg, *t);
    check_proximity(reg, *t, t->key(0));
    check_proximity(reg, *t, t->key(t->rows() / 2));
    const std::string mixed = std::string(t->key(t->rows() - 1)) + "x";
    check_proximity(reg, *t, mixed.c_str());
    require(tovr::tblRemove(reg, "t") == tovr::kTblOk, "a loaded table unloads");
  } else {
    require(rc == tovr::kTblHeaderError || rc == tovr::kTblTooLarge || rc == tovr::kTblBadContent,
            "a failed load gives a content status");
    fs.remove("t.tbl");
    require(tovr::tblFind(reg, "t", &t) == tovr::kTblCannotOpen, "a failed load adds no table");
  }
  tovr::tblClose(reg);
  return 0;
}

// Query texts: the input is a query, compiled with TOVR_dbParse over a small index held in
// memory (two sequences of one file: names with tails, single pointers, relations, bitmaps
// and pointers in far segments), then read both ways: segment by segment (TOVR_dbList and
// TOVR_dbGetNext) and as a result set. The same text is also looked up as a key with
// TOVR_dbFind. Optional sections after the query:
//   %%% threshold   a number: the similarity threshold (else 0, which means 700)
//   %%% drop        present: the spelling callback clears every other candidate
// Any text may be refused by position, but nothing may crash, leak or run without end, and
// every reading must hand out record numbers in ascending order.
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "index/IndexTables.h"
#include "support/test_support.h"
#include "tovr.h"

namespace {

using tovr::fuzz::require;

const char* const kStatements[] = {"FILE q.idx\nINDEX 3 CITY\nINDEX 7 ZIP\nEND", nullptr};

// The highest record number in the index; a complement reaches to the end of its segment.
constexpr int kHighestPointer = 3 * 8064 + 77;
constexpr long kMostRecords = 8064L * (kHighestPointer / 8064 + 2);

const char* const kNames[] = {"SMITH",  "SMYTH",  "SMITHE", "JONES", "JOHNSON", "JOHNSTON",
                              "MARTHA", "MARHTA", "MAIN",   "MAINE", "OAK",     "OAKS"};
const char* const kTails[] = {"JOHN", "JANE", "JON", "MARY", "ST", "AVE", ""};

// Fills CITY (Pearson hash) and ZIP (sound code) with pairs of every set form.
void fill(TOVR_Db* city, TOVR_Db* zip) {
  int p = 1;
  for (const char* name : kNames) {
    for (const char* tail : kTails) {
      std::string key = name;
      if (tail[0] != '\0') key += std::string("\\") + tail;
      for (int k = 0; k <= (p % 4); ++k) TOVR_dbInsert(city, key.c_str(), p + 11 * k, 0);
      TOVR_dbInsert(zip, key.c_str(), p * 3, 0);
      ++p;
    }
  }
  for (int q = 1; q <= 120; ++q) TOVR_dbInsert(city, "MANY", q * 5, 0);
  for (int q = 0; q < 40; ++q) TOVR_dbInsert(city, "FAR", 8064 * (q % 4) + 7 * q + 1, 0);
  TOVR_dbInsert(city, "FAR", kHighestPointer, 0);
  for (int q = 1; q <= 90; ++q) TOVR_dbInsert(zip, "MANY", q * 7, 0);
}

// The file image, built once and copied into a fresh in-memory file for every input.
const std::string& index_image() {
  static const std::string image = [] {
    tovr::test::MemFs fs;
    TOVR_dbSetNumRecords(nullptr, 640);
    int status = -1;
    TOVR_Db* city = TOVR_dbOpen("CITY", 'R', 'S', &status, 16, 10, 10, kStatements, "Q", 1);
    TOVR_Db* zip = TOVR_dbOpen("ZIP", 'S', 'S', &status, 16, 10, 10, kStatements, "Q", 1);
    require(city != nullptr && zip != nullptr, "the query index is built");
    fill(city, zip);
    TOVR_dbClose(&zip);
    TOVR_dbClose(&city);
    TOVR_dbSetNumRecords(nullptr, 3200);
    return fs.get("q.idx");
  }();
  return image;
}

bool g_drop = false;

int spell(int count, char** keys, float* scores, const char* term) {
  require(count >= 0 && count <= 100, "at most 100 candidates");
  require(term != nullptr, "the callback sees the term");
  for (int i = 0; i < count; ++i) {
    require(keys[i] != nullptr, "every candidate has a key");
    require(scores[i] >= 0.0f && scores[i] <= 900.0f, "scores lie in 0..900");
    require(i == 0 || scores[i] <= scores[i - 1], "candidates come best first");
    if (g_drop && i % 2 == 1) keys[i] = nullptr;
  }
  return 0;
}

// Reads the pointers of the current find or list: ascending, positive, within the index.
void read_segments(TOVR_Db* db) {
  long last = 0;
  int p = 0;
  for (long n = 0; (p = TOVR_dbGetNext(db)) > 0; ++n) {
    require(p > last, "TOVR_dbGetNext hands out ascending record numbers");
    require(p < kMostRecords && n < kMostRecords, "TOVR_dbGetNext stays within the index");
    last = p;
  }
  require(p == -1 || p == -2, "TOVR_dbGetNext ends with -1 or -2");
  if (p == -1) require(TOVR_dbGetNext(db) == -2, "after -1 comes -2");
}

void read_result(TOVR_Db* db) {
  TOVR_QueryResult* r = TOVR_dbReturnQueryResult(db);
  if (r == nullptr) return;
  long last = 0;
  int p = 0;
  for (long n = 0; (p = TOVR_dbGetNextQueryResult(r)) > 0; ++n) {
    require(p > last, "a result set hands out ascending record numbers");
    require(n < kMostRecords, "a result set ends");
    last = p;
  }
  require(p == 0 || (p == -1 && last == 0), "a result set ends with 0, or is the universe");
  TOVR_dbDeleteQueryResult(r);
}

void run_query(TOVR_Db* db, const std::string& query, float threshold) {
  const unsigned short rc = TOVR_dbParse(db, query.c_str(), threshold, &spell);
  require(rc != 0xFFFF, "an open handle is valid");
  if (rc != 0) return;
  const int listed = TOVR_dbList(db);
  require(listed == 0 || listed == -2, "TOVR_dbList gives 0 or -2");
  if (listed == 0) read_segments(db);
  read_result(db);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tovr::fuzz::init_library();
  const std::string& image = index_image();
  const auto sections = tovr::fuzz::split_sections(data, size, "query");
  std::string query = tovr::fuzz::c_text(sections.front().bytes);
  if (!query.empty() && query.back() == '\n') query.pop_back();
  float threshold = 0.0f;
  if (const auto* t = tovr::fuzz::find_section(sections, "threshold")) {
    threshold = std::strtof(tovr::fuzz::c_text(t->bytes).c_str(), nullptr);
  }
  g_drop = tovr::fuzz::find_section(sections, "drop") != nullptr;

  tovr::test::MemFs fs;
  fs.put("q.idx", image);
  int status = -1;
  TOVR_Db* city = TOVR_dbOpen("CITY", 'R', 'S', &status, 8, 10, 10, kStatements, "Q", 0);
  TOVR_Db* zip = TOVR_dbOpen("ZIP", 'S', 'S', &status, 8, 10, 10, kStatements, "Q", 0);
  require(city != nullptr && zip != nullptr, "the query index opens");

  run_query(city, query, threshold);
  run_query(zip, query, threshold);
  const int found = TOVR_dbFind(city, query.c_str());
  require(found == 0 || found == 7, "TOVR_dbFind gives 0 or 7");
  read_segments(city);
  // A program left from a failed parse or a find must read back alike.
  read_result(city);

  require(TOVR_dbClose(&zip) == 0 && TOVR_dbClose(&city) == 0, "close");
  require(!tovr::index_tables().loaded, "every handle closed");
  require(fs.open_streams() == 0, "no stream left open");
  return 0;
}

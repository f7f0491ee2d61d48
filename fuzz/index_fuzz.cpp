// Index files: the input is an index file (the seeds are files the library wrote). It is
// opened as two sequences of the file, searched by head, queried (a few fixed queries read
// segment by segment and as result sets, and finds), changed by inserts and deletes,
// closed, opened again and searched and queried again. A damaged file may give any status and any
// consistency message, but no operation may crash, leak, or run without end.
#include <cstdio>
#include <string>

#include "frame/callbacks.h"
#include "fuzz_support.h"
#include "index/IndexTables.h"
#include "support/test_support.h"
#include "tovr.h"

namespace {

using tovr::fuzz::require;

const char* const kStatements[] = {"FILE t.idx\nINDEX 3 CITY\nINDEX 7 ZIP\nEND", nullptr};

// A damaged header may place pages gigabytes away; the in-memory file refuses to grow past
// this, as a full disk would.
constexpr long kLargestOffset = 16L << 20;
TOVR_Callback g_inner_seek = nullptr;

int bounded_seek(void* stream, long offset, int origin) {
  if (origin == SEEK_SET && offset > kLargestOffset) return -1;
  return reinterpret_cast<TOVRCB_FseekFn>(g_inner_seek)(stream, offset, origin);
}

// Matches are bounded by the keys a file of this size can hold; more means a loop.
constexpr int kMostMatches = 200000;

void search(TOVR_Db* db, const char* head) {
  if (TOVR_dbFindMatch(db, head) != 0) return;
  char tail[84];
  int matches = 0;
  int rc = 0;
  while ((rc = TOVR_dbNextMatch(db, tail)) == 0) {
    require(++matches < kMostMatches, "a search by head ends");
  }
  require(rc == -1, "a search ends with -1");
  require(TOVR_dbNextMatch(db, tail) == 13, "a finished search gives 13");
}

void change(TOVR_Db* db, int round) {
  for (int k = 0; k < 24; ++k) {
    const std::string key = "KEY" + std::to_string((k * 37 + round) % 1000);
    for (int p = 1; p <= 1 + k % 5; ++p) TOVR_dbInsert(db, key.c_str(), p * 13 + k, 0);
  }
  TOVR_dbInsert(db, "SMITH\\NEW", 99, 1);
  const int group[] = {5, 6, 7, 8, 9, 10, 0};
  TOVR_dbInsertGroup(db, "GROUP", group);
  for (int k = 0; k < 24; k += 3) {
    const std::string key = "KEY" + std::to_string(k * 37 % 1000);
    TOVR_dbDelete(db, key.c_str(), 13 + k);
    if (k % 2 == 0) TOVR_dbDeleteAll(db, key.c_str());
  }
  TOVR_dbFlush(db);
}

void search_all(TOVR_Db* db) {
  for (const char* head : {"KEY0", "KEY37", "KEY74", "SMITH", "GROUP", "10000", "10007", "A"}) {
    search(db, head);
  }
}

// Record numbers handed out by one reading: a damaged bitmap chain may hold many, but each
// reading ascends and so ends; this bounds the time it may take.
constexpr long kMostRecords = 4000000;

void read_segments(TOVR_Db* db) {
  long last = 0;
  int p = 0;
  for (long n = 0; (p = TOVR_dbGetNext(db)) > 0; ++n) {
    require(p > last && n < kMostRecords, "TOVR_dbGetNext hands out ascending record numbers");
    last = p;
  }
  require(p == -1 || p == -2, "TOVR_dbGetNext ends with -1 or -2");
}

void read_result(TOVR_Db* db) {
  TOVR_QueryResult* r = TOVR_dbReturnQueryResult(db);
  if (r == nullptr) return;
  long last = 0;
  int p = 0;
  for (long n = 0; (p = TOVR_dbGetNextQueryResult(r)) > 0; ++n) {
    require(p > last && n < kMostRecords, "a result set hands out ascending record numbers");
    last = p;
  }
  require(p == 0 || (p == -1 && last == 0), "a result set ends with 0, or is the universe");
  TOVR_dbDeleteQueryResult(r);
}

void query_all(TOVR_Db* db) {
  for (const char* query : {"KEY0 / KEY37 / MANY", "SMITH\\ & #GROUP", "KEY7? / SMITH+",
                            "(KEY74 $ GROUP) / #(KEY0 & KEY37)", "CITY=MANY & KEY111?"}) {
    if (TOVR_dbParse(db, query, 0.0f, nullptr) != 0) continue;
    if (TOVR_dbList(db) == 0) read_segments(db);
    read_result(db);
  }
  for (const char* key : {"KEY0", "MANY", "GROUP", "SMITH\\NEW"}) {
    const int found = TOVR_dbFind(db, key);
    require(found == 0 || found == 7, "TOVR_dbFind gives 0 or 7");
    read_segments(db);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tovr::fuzz::init_library();
  tovr::test::MemFs fs;
  g_inner_seek = TOVR_cbGet(TOVRCB_Fseek);
  TOVR_cbSet(TOVRCB_Fseek, reinterpret_cast<TOVR_Callback>(&bounded_seek));
  fs.put("t.idx", std::string(reinterpret_cast<const char*>(data), size));

  TOVR_dbIsValidFile("t.idx", "SIG");
  char text[101];
  TOVR_dbGetMetadata("t.idx", text, 100);
  TOVR_dbSetNumRecords(nullptr, 640);

  int status = -1;
  TOVR_Db* city = TOVR_dbOpen("CITY", 'R', 'S', &status, 8, 10, 10, kStatements, "SIG", 1);
  if (city != nullptr) {
    require(status >= 0 && status <= 2, "an open handle comes with 0, 1 or 2");
    search_all(city);
    query_all(city);
    change(city, 0);
    search_all(city);
    TOVR_Db* zip = TOVR_dbOpen("ZIP", 'R', 'L', &status, 8, 10, 10, kStatements, "SIG", 1);
    if (zip != nullptr) {
      TOVR_dbSetInsertCacheSize(zip, 16);
      for (int k = 0; k < 40; ++k) TOVR_dbInsert(zip, std::to_string(10000 + k).c_str(), k + 1, 0);
      TOVR_dbFlushInsertCache(zip);
      search_all(zip);
      require(TOVR_dbClose(&zip) == 0 && zip == nullptr, "close the second sequence");
    }
    require(TOVR_dbClose(&city) == 0 && city == nullptr, "close");
    city = TOVR_dbOpen("CITY", 'R', 'S', &status, 5, 10, 10, kStatements, "SIG", 1);
    if (city != nullptr) {
      search_all(city);
      query_all(city);
      change(city, 1);
      if (size % 2 == 0) {
        require(TOVR_dbRemove(&city) == 0, "remove the sequence");
      } else {
        require(TOVR_dbClose(&city) == 0, "close again");
      }
    }
  } else {
    require(status >= 3 && status <= 9, "a refused open gives an error status");
  }
  require(!tovr::index_tables().loaded, "every handle closed");
  require(fs.open_streams() == 0, "no stream left open");
  TOVR_cbSet(TOVRCB_Fseek, g_inner_seek);
  TOVR_dbSetNumRecords(nullptr, 3200);
  return 0;
}

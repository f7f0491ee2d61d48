// Writes the seed index files of the index fuzz target: small files built by the library
// itself, one for each kind of content (single pointers, relations, bitmaps, overflow
// chains, deletions, both key codings and widths, several sequences in one file).
// Usage: tovr_make_index_seeds DIR
#include <cstdio>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "tovr.h"

namespace {

const char* const kStatements[] = {"FILE t.idx\nINDEX 3 CITY\nINDEX 7 ZIP\nEND", nullptr};

TOVR_Db* open(const char* name, char coding, char width) {
  int status = -1;
  TOVR_Db* db = TOVR_dbOpen(name, coding, width, &status, 8, 10, 10, kStatements, "SIG", 1);
  if (db == nullptr) std::fprintf(stderr, "open %s: status %d\n", name, status);
  return db;
}

struct Seed {
  const char* file;
  char coding;
  char width;
  int keys;
  int pointers_per_key;
  bool deletions;
  bool second_sequence;
  bool tails;
};

void build(const Seed& s, tovr::test::MemFs& fs, const std::string& dir) {
  fs.files().clear();
  TOVR_Db* db = open("CITY", s.coding, s.width);
  TOVR_dbSetNumRecords(db, 640);  // more than 20 pointers of one key make a bitmap
  for (int k = 0; k < s.keys; ++k) {
    std::string key = "KEY" + std::to_string(k * 37 % 1000);
    if (s.tails) key = "SMITH\\" + std::to_string(k);
    for (int p = 1; p <= s.pointers_per_key; ++p) TOVR_dbInsert(db, key.c_str(), p * 13 + k, 0);
  }
  if (s.deletions) {
    for (int k = 0; k < s.keys; k += 3) {
      const std::string key = "KEY" + std::to_string(k * 37 % 1000);
      TOVR_dbDelete(db, key.c_str(), 13 + k);
      if (k % 2 == 0) TOVR_dbDeleteAll(db, key.c_str());
    }
  }
  if (s.second_sequence) {
    TOVR_Db* zip = open("ZIP", 'R', 'L');
    for (int k = 0; k < 30; ++k) TOVR_dbInsert(zip, std::to_string(10000 + k).c_str(), k + 1, 0);
    TOVR_dbClose(&zip);
  }
  TOVR_dbClose(&db);
  const std::string& bytes = fs.get("t.idx");
  std::FILE* out = std::fopen((dir + "/" + s.file).c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
  std::printf("%s: %zu bytes\n", s.file, bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  TOVR_LibInit();
  tovr::test::MemFs fs;
  const std::vector<Seed> seeds = {
      {"empty.idx", 'R', 'S', 0, 0, false, false, false},
      {"single_pointers.idx", 'R', 'S', 12, 1, false, false, false},
      {"relations.idx", 'S', 'S', 8, 6, false, false, false},
      {"bitmaps.idx", 'R', 'L', 3, 40, false, false, false},
      {"many_keys.idx", 'R', 'S', 200, 1, false, false, false},
      {"deletions.idx", 'S', 'S', 60, 3, true, false, false},
      {"tails_overflow.idx", 'R', 'S', 90, 1, false, false, true},
      {"two_sequences.idx", 'R', 'S', 20, 2, false, true, false},
  };
  for (const Seed& s : seeds) build(s, fs, argv[1]);
  return 0;
}

#include "matchkey/tables/table_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tovr {
namespace {

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(tblInit(&registry_), kTblOk); }
  void TearDown() override { tblClose(registry_); }

  int load(const std::string& name, const std::string& text, char mode = '\0') {
    fs_.put(name + ".tbl", text);
    return tblLoad(registry_, name.c_str(), "", mode);
  }
  const Table* table(const std::string& name) {
    const Table* t = nullptr;
    EXPECT_EQ(tblFind(registry_, name.c_str(), &t), kTblOk);
    return t;
  }
  // The cells of a row (1-based) joined by '\'.
  std::string row(const std::string& name, int r) {
    char value[1024];
    EXPECT_EQ(tblGetCell(registry_, name.c_str(), r, 0, value, sizeof value), kTblOk);
    return value;
  }
  std::string lookup(const std::string& name, const std::string& key, int column = 1,
                     int search_mode = 0, int expected = kTblOk) {
    char value[1024] = "x";
    EXPECT_EQ(
        tblLookup(registry_, name.c_str(), column, key.c_str(), value, sizeof value, search_mode),
        expected)
        << key;
    return value;
  }
  std::vector<std::string> prox_keys(const std::string& name) {
    std::vector<std::string> keys;
    char key[256];
    float score;
    while (tblProxNext(registry_, name.c_str(), key, sizeof key, &score) == kTblOk) {
      keys.push_back(key);
    }
    return keys;
  }

  test::MemFs fs_;
  TableRegistry* registry_ = nullptr;
};

TEST_F(TableTest, HeaderLineOnlyAsFirstLine) {
  ASSERT_EQ(load("h1", "\\format\\ key=2\na b\n"), kTblOk);
  EXPECT_EQ(table("h1")->key_column(), 1);
  EXPECT_EQ(table("h1")->rows(), 1);
  ASSERT_EQ(load("h2", "0 b\n\\format\\ key=2\n"), kTblOk);
  EXPECT_EQ(row("h2", 2), "\\format\\\\key=2");
  EXPECT_EQ(table("h2")->key_column(), 0);

  ASSERT_EQ(load("h3", "\\FORMAT\\ SEP=, KEY=2 SORT=N\nz,2\ny,1\n"), kTblOk);
  EXPECT_EQ(row("h3", 1), "z\\2");
  EXPECT_FALSE(table("h3")->sorted());
  ASSERT_EQ(load("tab", "\\FORMAT\\ SEP=\t\na\t\tc\n"), kTblOk);
  EXPECT_EQ(row("tab", 1), "a\\\\c");

  for (const char* bad : {"\\FORMAT\\ WIDTH=3\n", "\\FORMAT\\ KEY\n", "\\FORMAT\\ SORT=X\n",
                          "\\FORMAT\\ COMPARE=Z\n", "\\FORMAT\\ KEY=0\n", "\\FORMAT\\ KEY=3\n"}) {
    EXPECT_EQ(load("bad", std::string(bad) + "a b\n"), kTblHeaderError) << bad;
  }
}

TEST_F(TableTest, FieldsSeparatorsQuotesAndComments) {
  ASSERT_EQ(load("comma", "\\FORMAT\\ SEP=, SORT=N\na,,c\n,b\nx,\n  p  ,q\n"), kTblOk);
  EXPECT_EQ(row("comma", 1), "a\\\\c");
  EXPECT_EQ(row("comma", 2), "\\b\\");
  EXPECT_EQ(row("comma", 3), "x\\\\");
  EXPECT_EQ(row("comma", 4), "p  \\q\\");
  ASSERT_EQ(load("trailing", "\\FORMAT\\ SEP=,\nx,\n\"y\" ,\n"), kTblOk);
  EXPECT_EQ(table("trailing")->columns(), 2);

  ASSERT_EQ(load("blank",
                 "\\FORMAT\\ SORT=N\na  c  \n x \"a;b\" y ; note\n"
                 "; comment line\n\n   \n\"open; quote\n"),
            kTblOk);
  EXPECT_EQ(table("blank")->rows(), 3);
  EXPECT_EQ(table("blank")->columns(), 3);
  EXPECT_EQ(row("blank", 1), "a\\c\\");
  EXPECT_EQ(row("blank", 2), "x\\a;b\\y");
  EXPECT_EQ(row("blank", 3), "open; quote\\\\");

  ASSERT_EQ(load("hash", "\\FORMAT\\ COMMENT=# SORT=N\na;b # c\r\n"), kTblOk);
  EXPECT_EQ(row("hash", 1), "a;b");

  EXPECT_EQ(load("stray", "ok row\nab\"c d\n"), kTblBadContent);
  EXPECT_EQ(load("empty", "; nothing\n\n"), kTblBadContent);
  EXPECT_EQ(load("header_only", "\\FORMAT\\ KEY=1\n"), kTblBadContent);
}

TEST_F(TableTest, CellsAndArgumentChecks) {
  ASSERT_EQ(load("cells", "A B C D\nE F G\n"), kTblOk);
  char value[8];
  ASSERT_EQ(tblGetCell(registry_, "cells", 2, 4, value, sizeof value), kTblOk);
  EXPECT_STREQ(value, "");
  EXPECT_EQ(row("cells", 2), "E\\F\\G\\");
  EXPECT_EQ(tblGetCell(registry_, "cells", 0, 1, value, sizeof value), kTblBadArgument);
  EXPECT_EQ(tblGetCell(registry_, "cells", 3, 1, value, sizeof value), kTblBadArgument);
  EXPECT_EQ(tblGetCell(registry_, "cells", 1, 5, value, sizeof value), kTblBadArgument);
  EXPECT_EQ(tblGetCell(registry_, "cells", 1, -1, value, sizeof value), kTblBadArgument);
  // A small buffer receives as much as fits, terminated.
  ASSERT_EQ(tblGetCell(registry_, "cells", 1, 0, value, 4), kTblOk);
  EXPECT_STREQ(value, "A\\B");

  EXPECT_EQ(lookup("cells", "E", 0), "E\\F\\G\\");
  EXPECT_EQ(lookup("cells", "Q", 1, 0, kTblKeyNotFound), "");
  EXPECT_EQ(lookup("cells", "", 1, 0, kTblBadArgument), "");
  EXPECT_EQ(lookup("cells", "E", 5, 0, kTblBadArgument), "");
}

TEST_F(TableTest, ComparisonModes) {
  ASSERT_EQ(load("i", "abc x\n", 'I'), kTblOk);
  EXPECT_EQ(lookup("i", "ABC", 2), "X");
  EXPECT_EQ(lookup("i", "abc", 2), "X");
  ASSERT_EQ(load("c", "abc x\n", 'C'), kTblOk);
  EXPECT_EQ(lookup("c", "abc", 2), "x");
  lookup("c", "ABC", 2, 0, kTblKeyNotFound);
  // 'U' stores upper case but takes the key as given.
  ASSERT_EQ(load("u", "abc x\n", 'U'), kTblOk);
  lookup("u", "abc", 2, 0, kTblKeyNotFound);
  EXPECT_EQ(lookup("u", "ABC", 2), "X");
  ASSERT_EQ(load("hdr", "\\FORMAT\\ COMPARE=c\nabc x\n", 'I'), kTblOk);
  EXPECT_EQ(lookup("hdr", "abc", 2), "x");
  ASSERT_EQ(load("ocr", "abc x\n", 'O'), kTblOk);
  EXPECT_EQ(table("ocr")->comparison_mode(), 'I');
  EXPECT_EQ(table("ocr")->ocr_flag(), 'O');
  EXPECT_EQ(table("c")->ocr_flag(), 'C');
}

// The heap sort and the binary search against a plain scan, on random tables with repeated
// keys and keys that differ only in bytes above 127.
TEST_F(TableTest, SortedLookupAgreesWithScan) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    std::string text;
    std::vector<std::string> keys;
    const int rows = 1 + static_cast<int>(rng() % 60);
    for (int r = 0; r < rows; ++r) {
      std::string key;
      for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n) {
        key += "AB\xC9z"[rng() % 4];
      }
      keys.push_back(key);
      text += key + " v" + std::to_string(r) + "\n";
    }
    const std::string name = "rand" + std::to_string(round);
    ASSERT_EQ(load(name, text, 'C'), kTblOk);
    const Table* t = table(name);
    for (int r = 1; r < t->rows(); ++r) {
      ASSERT_LE(std::string(t->key(r - 1)), std::string(t->key(r))) << name;
    }
    for (const std::string& key : keys) {
      const std::string found = lookup(name, key, 1, 0);
      EXPECT_EQ(found, lookup(name, key, 1, kTblScan));
      EXPECT_EQ(found, key);
    }
    lookup(name, "AAAA", 1, 0, kTblKeyNotFound);
  }
  // 'N' keeps the file's order and scans; 'S' trusts the file to be sorted.
  ASSERT_EQ(load("unsorted", "\\FORMAT\\ SORT=N\nz 1\na 2\nm 3\n"), kTblOk);
  EXPECT_STREQ(table("unsorted")->key(0), "z");
  EXPECT_EQ(lookup("unsorted", "a", 2), "2");
  ASSERT_EQ(load("presorted", "\\FORMAT\\ SORT=S\nz 1\na 2\nm 3\n"), kTblOk);
  lookup("presorted", "z", 2, 0, kTblKeyNotFound);
  EXPECT_EQ(lookup("presorted", "z", 2, kTblScan), "1");
}

TEST_F(TableTest, FindLoadsOnceCachesAndRemoves) {
  fs_.put("later.tbl", "k one\n");
  const Table* t = nullptr;
  ASSERT_EQ(tblFind(registry_, "LATER", &t), kTblCannotOpen);
  ASSERT_EQ(tblFind(registry_, "later", &t), kTblOk);
  EXPECT_EQ(lookup("LaTeR", "k", 2), "one");
  // Loaded tables are not read again, whatever the file says now.
  fs_.put("later.tbl", "k two\n");
  EXPECT_EQ(tblLoad(registry_, "later", "", '\0'), kTblOk);
  EXPECT_EQ(lookup("later", "k", 2), "one");
  EXPECT_EQ(tblRemove(registry_, "LATER"), kTblOk);
  EXPECT_EQ(tblRemove(registry_, "later"), kTblCannotOpen);
  EXPECT_EQ(lookup("later", "k", 2), "two");
  fs_.put("other.txt", "k three\n");
  EXPECT_EQ(tblLoad(registry_, "named", "other.txt", '\0'), kTblOk);
  EXPECT_EQ(lookup("named", "k", 2), "three");
  EXPECT_EQ(tblLoad(registry_, "gone", "missing.txt", '\0'), kTblCannotOpen);
  EXPECT_EQ(fs_.open_streams(), 0);
}

TEST_F(TableTest, ProximityRangeFollowsPrefixWindowAndMatchType) {
  ASSERT_EQ(load("p", "AA1\nBA1\nCA1\nMA1\nMA2\nMA3\nNA1\nOA1\nPA1\n"), kTblOk);
  auto sorted_prox = [&](int prefix, int match_type) {
    EXPECT_EQ(tblProx(registry_, "p", "MA2", 1.0, prefix, match_type), kTblOk);
    std::vector<std::string> keys = prox_keys("p");
    std::sort(keys.begin(), keys.end());
    return keys;
  };
  using Keys = std::vector<std::string>;
  EXPECT_EQ(sorted_prox(1, 0), (Keys{"CA1", "MA1", "MA2", "MA3", "NA1", "OA1"}));
  EXPECT_EQ(sorted_prox(-4, 0), (Keys{"CA1", "MA1", "MA2", "MA3", "NA1"}));
  EXPECT_EQ(sorted_prox(0, 0).size(), 9u);
  EXPECT_EQ(sorted_prox(1, 2).size(), 9u);
  EXPECT_EQ(tblProx(registry_, "p", "MA2", 1.0, 1, 3), kTblBadArgument);
  EXPECT_EQ(tblProx(registry_, "p", "", 1.0, 1, 0), kTblBadArgument);
}

// Results come best first, equal scores in row order, at most 200 of them: checked against a
// plain scoring of every row.
TEST_F(TableTest, ProximityResultsMatchAPlainRanking) {
  std::mt19937 rng(11);
  std::string text;
  for (int r = 0; r < 400; ++r) {
    std::string key = "MART";
    for (int n = 0; n < 3; ++n) key += "AHTRX"[rng() % 5];
    text += key + "\n";
  }
  ASSERT_EQ(load("many", text), kTblOk);
  const Table* t = table("many");
  for (double threshold : {0.0, 750.0}) {
    std::vector<std::pair<float, int>> expected;
    for (int r = 0; r < t->rows(); ++r) {
      const double score = tblScore(t->key(r), "MARTHAX", 'C', 0);
      if (score >= (threshold < 1.0 ? 700.0 : threshold)) {
        expected.push_back({static_cast<float>(score), r});
      }
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](auto& a, auto& b) { return a.first > b.first; });
    if (threshold == 0.0) {
      EXPECT_GT(expected.size(), 200u);  // the cap is exercised
    }
    if (expected.size() > 200) expected.resize(200);
    ASSERT_EQ(tblProx(registry_, "many", "MARTHAX", threshold, 0, 0), kTblOk);
    char key[256];
    float score;
    int row;
    for (const auto& [want_score, want_row] : expected) {
      ASSERT_EQ(tblProxNext(registry_, "many", key, sizeof key, &score, &row), kTblOk);
      EXPECT_EQ(row, want_row);
      EXPECT_EQ(score, want_score);
      EXPECT_STREQ(key, t->key(want_row));
    }
    EXPECT_EQ(tblProxNext(registry_, "many", key, sizeof key, &score), kTblNoResults);
    EXPECT_EQ(tblProxNext(registry_, "many", key, sizeof key, &score), kTblNoResults);
  }
  char key[8];
  float score;
  ASSERT_EQ(load("fresh", "A\n"), kTblOk);
  EXPECT_EQ(tblProxNext(registry_, "fresh", key, sizeof key, &score), kTblNoResults);
}

TEST(TableScore, PlainScores) {
  EXPECT_EQ(tblScore("martha", "MARTHA", 'C', 0), 900.0);
  EXPECT_EQ(tblScore("ABC", "XYZ", 'C', 0), 0.0);
  EXPECT_EQ(tblScore("MARTHA", "MARHTA", 'C', 0), 850.0);
  EXPECT_EQ(tblScore("AB", "BA", 'C', 0), 750.0);
  // The window ends before i + w: the A at the far end is not matched.
  EXPECT_EQ(tblScore("AXX", "XXA", 'C', 0), 700.0);
  // Prefix and suffix comparisons cut the key to the entry's length.
  EXPECT_EQ(tblScore("NORTH", "NORTHWEST", 'C', 1), 900.0);
  EXPECT_EQ(tblScore("WEST", "NORTHWEST", 'C', 2), 900.0);
  EXPECT_EQ(tblScore("WEST", "NORTHWEST", 'C', 1), 450.0);  // only the T agrees
  EXPECT_EQ(tblScore("", "", 'C', 0), 900.0);
  EXPECT_EQ(tblScore("", "A", 'O', 0), 0.0);
}

TEST(TableScore, OpticalConfusionAllowance) {
  // The key's O may have been a misread 0 (second place of its list, weight 0.714).
  EXPECT_NEAR(tblScore("0AK", "OAK", 'O', 0), 2 * 300.0 * 2.714 / 3 + 300.0, 0.01);
  EXPECT_EQ(tblScore("0AK", "OAK", 'C', 0), 700.0);
  // The key's 0 may have been a misread O (first place, weight 0.857).
  EXPECT_NEAR(tblScore("OAK", "0AK", 'O', 0), 2 * 300.0 * 2.857 / 3 + 300.0, 0.01);
  // List characters compare upper-cased: the key's c stands for e, so for E.
  EXPECT_NEAR(tblScore("EAT", "cAT", 'O', 0), 2 * 300.0 * 2.857 / 3 + 300.0, 0.01);
  EXPECT_EQ(tblScore("QQQ", "ZZZ", 'O', 0), 0.0);
}

TEST_F(TableTest, LimitsGiveTooLarge) {
  const std::string long_name(100, 'n');
  EXPECT_EQ(tblLoad(registry_, long_name.c_str(), "x.tbl", '\0'), kTblTooLarge);
  EXPECT_EQ(tblLoad(registry_, "t", long_name.c_str(), '\0'), kTblTooLarge);
  EXPECT_EQ(tblLoad(registry_, std::string(96, 'n').c_str(), "", '\0'), kTblTooLarge);

  std::string fields50;
  for (int f = 0; f < 50; ++f) fields50 += "f ";
  EXPECT_EQ(load("wide50", fields50 + "\n"), kTblOk);
  EXPECT_EQ(load("wide51", fields50 + "g\n"), kTblTooLarge);

  std::string rows;  // empty fields, so that the pool stays small
  for (int r = 0; r < 32767; ++r) rows += "\"\"\n";
  EXPECT_EQ(load("tall", rows), kTblOk);
  EXPECT_EQ(load("taller", rows + "r\n"), kTblTooLarge);

  // 258 fields of 254 pool bytes (253 characters and the terminator), an empty field and
  // the 2 extra bytes: exactly 65535.
  std::string big;
  for (int r = 0; r < 258; ++r) big += std::string(253, static_cast<char>('a' + r % 26)) + "\n";
  EXPECT_EQ(load("pool", big + "\"\"\n"), kTblOk);
  EXPECT_EQ(load("pool2", big + "b\n"), kTblTooLarge);

  char value[8];
  EXPECT_EQ(
      tblLookup(registry_, "wide50", 1, std::string(255, 'k').c_str(), value, sizeof value, 0),
      kTblKeyNotFound);
  EXPECT_EQ(
      tblLookup(registry_, "wide50", 1, std::string(256, 'k').c_str(), value, sizeof value, 0),
      kTblTooLarge);
  EXPECT_EQ(tblProx(registry_, "wide50", std::string(127, 'f').c_str(), 0, 0, 0), kTblOk);
  EXPECT_EQ(tblProx(registry_, "wide50", std::string(128, 'f').c_str(), 0, 0, 0), kTblTooLarge);
  EXPECT_EQ(tblScore("f", std::string(128, 'f').c_str(), 'C', 0), 0.0);
  EXPECT_EQ(tblScore("f", std::string(128, 'f').c_str(), 'C', 1), 900.0);
}

const char kFaultTable[] = "\\FORMAT\\ KEY=2\nb MARTHA x\na MARHTA y\nc ZZZ z\n";

TEST(TableFaults, AllocationFailuresReportNoMemoryAndLeakNothing) {
  test::MemFs fs;
  fs.put("t.tbl", kFaultTable);
  const long runs = test::sweep_allocation_failures([&](test::AllocationFaults& faults) {
    TableRegistry* registry = nullptr;
    const int init = tblInit(&registry);
    if (init != kTblOk) {
      EXPECT_EQ(init, kTblCannotOpen);
      return;
    }
    const int rc = tblLoad(registry, "t", "", '\0');
    const Table* t = nullptr;
    if (rc == kTblOk) {
      const int prox = tblProx(registry, "t", "MARTHA", 0, 0, 0);
      EXPECT_EQ(prox, faults.injected() ? kTblNoMemory : kTblOk);
    } else {
      EXPECT_EQ(rc, kTblNoMemory);
      EXPECT_EQ(fs.open_streams(), 0);
      fs.remove("t.tbl");
      EXPECT_EQ(tblFind(registry, "t", &t), kTblCannotOpen);  // nothing was added
      fs.put("t.tbl", kFaultTable);
    }
    tblClose(registry);
  });
  EXPECT_GT(runs, 5);
}

TEST(TableFaults, FileFailuresGiveASoundCode) {
  test::MemFs fs;
  fs.put("t.tbl", kFaultTable);
  for (auto op :
       {test::FileFaults::Op::kOpen, test::FileFaults::Op::kRead, test::FileFaults::Op::kSeek}) {
    test::sweep_file_failures(op, [&](test::FileFaults& faults) {
      TableRegistry* registry = nullptr;
      ASSERT_EQ(tblInit(&registry), kTblOk);
      const int rc = tblLoad(registry, "t", "", '\0');
      EXPECT_EQ(rc, faults.injected() ? kTblCannotOpen : kTblOk);
      EXPECT_EQ(fs.open_streams(), 0);
      const Table* t = nullptr;
      fs.remove("t.tbl");
      EXPECT_EQ(tblFind(registry, "t", &t), rc == kTblOk ? kTblOk : kTblCannotOpen);
      fs.put("t.tbl", kFaultTable);
      tblClose(registry);
    });
  }
}

}  // namespace
}  // namespace tovr

// An index of many keys and pointers built on a real file and searched back. The suite runs
// a small one; the full-size run (a million keys, ten million pointers) is a disabled test:
//   tovr_index_tests --gtest_also_run_disabled_tests --gtest_filter='*MillionKeys*'
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "index/Bitmap.h"
#include "index/IndexHandle.h"
#include "index/InsertCache.h"
#include "index/KeyOps.h"
#include "index/KeyPage.h"
#include "index/KeyTree.h"
#include "index/Relation.h"
#include "index_test_util.h"
#include "index_walker.h"
#include "support/test_support.h"

namespace tovr {
namespace {

// Record p is filed under key number key_of(p): a key's pointers are spread over the whole
// run, as when records arrive in their own order.
uint32_t key_of(uint32_t p, uint32_t keys) {
  return static_cast<uint32_t>((p * 2654435761ull) % keys);
}
std::string key_name(uint32_t k) { return "NAME" + std::to_string(k * 7 + 3); }

std::set<uint32_t> pointers_of(Icb& icb) {
  std::set<uint32_t> out;
  uint32_t p = 0;
  const uint32_t b = icb.search.word_b;
  if ((b & 0xFF) == kSingleKind) {
    out.insert(icb.search.word_a);
  } else if ((b & 0xFF) == kRelationKind) {
    RelationReader r(icb, relation_of(icb.search.word_a, b));
    while (r.next(&p) == 1) out.insert(p);
  } else {
    BitmapReader r(icb, icb.search.word_a);
    while (r.next(&p) == 1) out.insert(p);
  }
  return out;
}

void check_sample(Icb& icb, uint32_t keys, uint32_t pointers, uint32_t step) {
  for (uint32_t k = 0; k < keys; k += step) {
    std::set<uint32_t> want;
    for (uint32_t p = 1; p <= pointers; ++p) {
      if (key_of(p, keys) == k) want.insert(p);
    }
    const std::string name = key_name(k);
    ASSERT_GE(FindEntry(icb, kExactMode, name.c_str()), 0) << name;
    ASSERT_EQ(pointers_of(icb), want) << name;
  }
  EXPECT_EQ(FindEntry(icb, kExactMode, "NAME1"), kNotFound);
}

void build_and_search(uint32_t keys, uint32_t pointers, int cache, uint32_t sample_step,
                      bool walk) {
  const std::string dir = test::scratch_dir("index_scale");
  const std::string path = dir + "/scale.idx";
  const test::Statements statements{"FILE " + path + "\nINDEX 0 NAMES\nEND"};
  OpenRequest r = test::request("NAMES", statements, 'R', 'S', 8000);
  r.initial_pages = 1000;
  r.extension = 2000;
  int status = -1;
  Icb* icb = open_index(r, &status);
  ASSERT_NE(icb, nullptr) << status;
  const auto start = std::chrono::steady_clock::now();
  if (cache > 0) {
    ASSERT_EQ(set_insert_cache_size(*icb, cache), 0);
  }
  for (uint32_t p = 1; p <= pointers; ++p) {
    const std::string name = key_name(key_of(p, keys));
    ASSERT_EQ(db_insert(*icb, name.c_str(), static_cast<int>(p), 0), 0) << p;
  }
  ASSERT_EQ(flush_insert_cache(*icb), 0);
  const auto built = std::chrono::steady_clock::now();
  check_sample(*icb, keys, pointers, sample_step);
  close_index(icb);
  icb = open_index(r, &status);
  ASSERT_NE(icb, nullptr);
  check_sample(*icb, keys, pointers, sample_step * 3 + 1);
  close_index(icb);
  const auto done = std::chrono::steady_clock::now();
  std::printf("%u keys, %u pointers: built in %.1f s, searched in %.1f s, file %.0f MB\n", keys,
              pointers, std::chrono::duration<double>(built - start).count(),
              std::chrono::duration<double>(done - built).count(),
              static_cast<double>(std::filesystem::file_size(path)) / 1e6);
  if (walk) {
    std::string bytes;
    bytes.resize(std::filesystem::file_size(path));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
    test::WalkResult w = test::walk_index(bytes, {0});
    for (const std::string& e : w.errors) ADD_FAILURE() << e;
    EXPECT_EQ(w.keys.size(), keys);
  }
  std::filesystem::remove_all(dir);
}

TEST(IndexScale, TwentyThousandKeysTwoHundredThousandPointers) {
  build_and_search(20000, 200000, 50000, 1999, true);
}

TEST(IndexScale, DISABLED_MillionKeysTenMillionPointers) {
  build_and_search(1000000, 10000000, 200000, 99991, true);
}

}  // namespace
}  // namespace tovr

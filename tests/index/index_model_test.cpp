// Random operations on an index checked against a plain in-memory model: a map from keys to
// sets of record pointers. The file is walked for consistency along the way and must hold
// exactly what the model holds.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "index/Bitmap.h"
#include "index/KeyPage.h"
#include "index/KeyTree.h"
#include "index/Relation.h"
#include "index_fixture.h"

namespace tovr {
namespace {

using Model = std::map<std::string, std::set<uint32_t>>;

// The pointers of the entry found by the last FindEntry, read through the library.
std::set<uint32_t> read_set(Icb& icb) {
  std::set<uint32_t> out;
  const uint32_t a = icb.search.word_a;
  const uint32_t b = icb.search.word_b;
  uint32_t p = 0;
  if ((b & 0xFF) == kSingleKind) {
    out.insert(a);
  } else if ((b & 0xFF) == kRelationKind) {
    RelationReader r(icb, relation_of(a, b));
    while (r.next(&p) == 1) out.insert(p);
  } else {
    BitmapReader r(icb, a);
    while (r.next(&p) == 1) out.insert(p);
  }
  return out;
}

struct Config {
  char coding;
  char width;
  int buffers;
  int record_count;
  int keys;
  uint32_t max_pointer;
};

// Printed field by field: the test's name would otherwise show the padding bytes, which are
// never written (valgrind reports reading them).
void PrintTo(const Config& c, std::ostream* os) {
  *os << c.coding << c.width << " buffers " << c.buffers << " records " << c.record_count
      << " keys " << c.keys << " pointers " << c.max_pointer;
}

class IndexModelTest : public test::IndexFixture, public ::testing::WithParamInterface<Config> {
 protected:
  std::string key(int i) {
    // Heads repeat with different tails, so buckets hold keys of one code side by side.
    return "K" + std::to_string(i % 37) + (i % 3 == 0 ? "" : "\\T" + std::to_string(i));
  }
  test::WalkResult check_against_walk(const Model& model) {
    test::WalkResult r = walk();
    std::map<std::string, std::vector<uint32_t>> want;
    for (const auto& [k, s] : model) {
      if (!s.empty()) want[k] = std::vector<uint32_t>(s.begin(), s.end());
    }
    EXPECT_EQ(r.keys, want);
    return r;
  }
};

TEST_P(IndexModelTest, RandomOperationsMatchTheModel) {
  const Config c = GetParam();
  open(c.coding, c.width, c.buffers);
  index_tables().record_count = c.record_count;
  Model model;
  std::mt19937 rng(c.keys * 31 + c.buffers);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto pointer = [&] { return 1 + rng() % c.max_pointer; };
  for (int step = 0; step < 6000; ++step) {
    const int op = pick(100);
    const std::string k = key(pick(c.keys));
    std::set<uint32_t>& s = model[k];
    if (op < 55) {
      // Bias towards a few busy keys so that relations and bitmaps form.
      const std::string busy = op < 25 ? key(pick(4)) : k;
      std::set<uint32_t>& bs = model[busy];
      const uint32_t p = pointer();
      const int status = insert(busy, static_cast<int>(p));
      ASSERT_EQ(status, bs.count(p) != 0 ? kDbDuplicate : kDbOk) << "step " << step;
      bs.insert(p);
    } else if (op < 80) {
      uint32_t p = pointer();
      if (!s.empty() && pick(4) != 0) {
        auto it = s.begin();
        std::advance(it, pick(static_cast<int>(s.size())));
        p = *it;
      }
      const int status = remove(k, static_cast<int>(p));
      if (s.empty()) {
        ASSERT_EQ(status, kDbKeyNotFound) << "step " << step;
      } else if (s.count(p) == 0) {
        ASSERT_EQ(status, kDbPointerNotFound) << "step " << step;
      } else {
        ASSERT_TRUE(status == kDbOk || status == kDbToRelation) << "step " << step << " " << status;
        s.erase(p);
      }
    } else if (op < 83) {
      ASSERT_EQ(delete_all(icb(), k.c_str()), s.empty() ? kDbKeyNotFound : kDbOk);
      s.clear();
    } else if (op < 95) {
      const int found = FindEntry(icb(), kExactMode, k.c_str());
      if (s.empty()) {
        ASSERT_EQ(found, kNotFound) << "step " << step;
      } else {
        ASSERT_GE(found, 0) << "step " << step;
        ASSERT_EQ(read_set(icb()), s) << "step " << step << " key " << k;
      }
    } else if (op < 97) {
      reopen();
    } else {
      std::vector<int> group;
      for (int n = pick(15); n > 0; --n) {
        const uint32_t p = pointer();
        if (s.count(p) == 0 &&
            std::find(group.begin(), group.end(), static_cast<int>(p)) == group.end()) {
          group.push_back(static_cast<int>(p));
        }
      }
      group.push_back(0);
      ASSERT_EQ(insert_group(icb(), k.c_str(), group.data()), 0) << "step " << step;
      for (int p : group) {
        if (p != 0) s.insert(static_cast<uint32_t>(p));
      }
    }
    if (step % 1000 == 999) {
      check_against_walk(model);
      if (HasFailure()) return;
    }
  }
  const test::WalkResult r = check_against_walk(model);
  // The run went through every form of set.
  EXPECT_GT(r.relation_pages, 0);
  if (c.record_count < 100) {
    EXPECT_GT(r.bitmap_pages, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Configurations, IndexModelTest,
                         ::testing::Values(Config{'R', 'S', 5, 100, 400, 20000},
                                           Config{'S', 'S', 6, 3, 150, 30000},
                                           Config{'R', 'L', 8, 12, 600, 9000},
                                           Config{'S', 'S', 5, 2, 60, 120}));

}  // namespace
}  // namespace tovr

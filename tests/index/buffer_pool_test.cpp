#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <random>
#include <vector>

#include "index/BufferPool.h"

namespace tovr {
namespace {

// The plain form of the pool: a list of (buffer, page) in order of use, searched by walking
// it from the least recent end.
struct ListModel {
  explicit ListModel(int count) {
    for (int i = 0; i < count; ++i) order.push_back({i, kNoPage});
    mru = mru2 = count - 1;
  }
  int find(uint32_t page) {
    for (auto it = order.begin(); it != order.end(); ++it) {
      if (it->second != page) continue;
      const int i = it->first;
      if (i == mru || i == mru2) return i;
      order.splice(order.end(), order, it);
      mru2 = mru;
      mru = i;
      return i;
    }
    return -1;
  }
  int take(uint32_t page) {
    auto it = order.begin();
    it->second = page;
    const int i = it->first;
    order.splice(order.end(), order, it);
    mru2 = mru;
    mru = i;
    return i;
  }
  std::list<std::pair<int, uint32_t>> order;
  int mru;
  int mru2;
};

std::vector<int> chain_of(const BufferPool& pool) {
  std::vector<int> chain;
  for (int i = pool.least_recent(); i != kEndOfChain; i = pool.ctl(i).next) chain.push_back(i);
  return chain;
}

TEST(BufferPool, AgreesWithAWalkedListOnRandomAccesses) {
  for (int count : {5, 7, 64}) {
    BufferPool pool{};
    ASSERT_TRUE(pool.init(count));
    ListModel model(count);
    std::mt19937 rng(count);
    std::uniform_int_distribution<uint32_t> page_dist(1, static_cast<uint32_t>(count * 2));
    for (int step = 0; step < 20000; ++step) {
      const uint32_t page = page_dist(rng);
      int got = pool.find(page);
      const int want = model.find(page);
      ASSERT_EQ(got, want) << "step " << step;
      if (got < 0) {
        got = pool.take_least_recent();
        pool.assign(got, page);
        ASSERT_EQ(got, model.take(page)) << "step " << step;
      }
      ASSERT_EQ(pool.most_recent(), model.mru);
      ASSERT_EQ(pool.second_recent(), model.mru2);
      std::vector<int> order;
      for (const auto& e : model.order) order.push_back(e.first);
      ASSERT_EQ(chain_of(pool), order) << "step " << step;
    }
    pool.release();
  }
}

TEST(BufferPool, StartsEmptyAndChainedInOrder) {
  BufferPool pool{};
  ASSERT_TRUE(pool.init(5));
  EXPECT_EQ(chain_of(pool), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(pool.least_recent(), 0);
  EXPECT_EQ(pool.most_recent(), 4);
  EXPECT_EQ(pool.second_recent(), 4);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(pool.ctl(i).page, kNoPage);
    EXPECT_EQ(pool.ctl(i).dirty, 0);
  }
  EXPECT_EQ(pool.find(kNoPage), -1);
  pool.release();
}

}  // namespace
}  // namespace tovr

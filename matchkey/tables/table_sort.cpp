// Ordering of table rows by their key cells: the heap sort after loading and the binary
// search of exact and proximity lookups. Keys compare as unsigned bytes (strcmp order).
#include <cstring>

#include "matchkey/tables/table_internal.h"

namespace tovr {
namespace {

// Rows of the heap are numbered from 1.
class RowHeap {
 public:
  explicit RowHeap(TableData& d) : d_(d) {}

  void sort() {
    const int n = d_.rows;
    for (int i = n / 2; i >= 1; --i) sift_down(i, n);
    for (int last = n; last > 1; --last) {
      swap_rows(1, last);
      sift_down(1, last - 1);
    }
  }

 private:
  const char* key(int row) const {
    return d_.pool + d_.cells[static_cast<long>(row - 1) * d_.columns + d_.key_column];
  }
  int compare(int a, int b) const { return std::strcmp(key(a), key(b)); }

  void swap_rows(int a, int b) {
    std::uint16_t* ra = d_.cells + static_cast<long>(a - 1) * d_.columns;
    std::uint16_t* rb = d_.cells + static_cast<long>(b - 1) * d_.columns;
    for (int c = 0; c < d_.columns; ++c) {
      const std::uint16_t t = ra[c];
      ra[c] = rb[c];
      rb[c] = t;
    }
  }

  void sift_down(int root, int n) {
    while (2 * root <= n) {
      int child = 2 * root;
      if (child < n && compare(child, child + 1) < 0) ++child;
      if (compare(root, child) >= 0) return;
      swap_rows(root, child);
      root = child;
    }
  }

  TableData& d_;
};

}  // namespace

void sort_table(TableData& data) { RowHeap(data).sort(); }

bool binary_search(const TableData& d, const char* key, int* position) {
  int lo = 0;
  int hi = d.rows - 1;
  int mid = 0;
  while (lo <= hi) {
    mid = lo + (hi - lo) / 2;
    const int c =
        std::strcmp(key, d.pool + d.cells[static_cast<long>(mid) * d.columns + d.key_column]);
    if (c == 0) {
      *position = mid;
      return true;
    }
    if (c < 0) {
      hi = mid - 1;
    } else {
      lo = mid + 1;
    }
  }
  *position = mid;
  return false;
}

}  // namespace tovr

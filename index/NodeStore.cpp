#include "index/NodeStore.h"

namespace tovr {
namespace {

bool node_exists(const Icb& icb, uint32_t n) {
  return n >= kRootNode && n < static_cast<uint32_t>(kNodesPerPage) *
                                   (1 + static_cast<uint32_t>(icb.node_page_count));
}

}  // namespace

bool GetNode(Icb& icb, uint32_t n, uint32_t* w0, uint32_t* w1) {
  if (!node_exists(icb, n)) return false;
  const uint32_t dir = n / kNodesPerPage;
  const uint8_t* page = icb.header;
  if (dir > 0) {
    page = ReadPage(*icb.fcb, icb.node_pages[dir - 1], "GetNode");
    if (page == nullptr) return false;
  }
  const uint8_t* slot = page + kPageHeader + 8 * (n % kNodesPerPage);
  *w0 = load_u32(slot);
  *w1 = load_u32(slot + 4);
  return true;
}

bool SetNode(Icb& icb, uint32_t n, uint32_t w0, uint32_t w1) {
  if (!node_exists(icb, n)) return false;
  const uint32_t dir = n / kNodesPerPage;
  uint8_t* slot_of_page = nullptr;
  if (dir == 0) {
    slot_of_page = node_slot(icb.header, static_cast<int>(n));
    icb.header_dirty = true;
    store_u32(slot_of_page, w0);
    store_u32(slot_of_page + 4, w1);
    return true;
  }
  const uint32_t number = icb.node_pages[dir - 1];
  uint8_t* page = ReadPage(*icb.fcb, number, "SetNode");
  if (page == nullptr) return false;
  slot_of_page = node_slot(page, static_cast<int>(n % kNodesPerPage));
  store_u32(slot_of_page, w0);
  store_u32(slot_of_page + 4, w1);
  WritePage(*icb.fcb, page, number, "SetNode");
  return true;
}

long FreeNode(Icb& icb) {
  IndexHeaderRef h = index_header(icb);
  const uint32_t first = h.first_free_node();
  if (first != 0) {
    uint32_t w0 = 0;
    uint32_t w1 = 0;
    if (!GetNode(icb, first, &w0, &w1) && node_exists(icb, first)) return -1;
    if (w0 == kFreeNodeMark) {
      h.set_first_free_node(w1);
      icb.header_dirty = true;
      return static_cast<long>(first);
    }
    // A chain that leads to a node in use (the index header on the disk older than the
    // node pages written after it, when writes failed) is dropped: handing that node out
    // would cut the tree, so the chain's nodes are lost and a new node page starts a new
    // chain.
    h.set_first_free_node(0);
    icb.header_dirty = true;
  }
  if (icb.node_page_count >= kMaxNodePages) return -1;
  uint8_t* b = nullptr;
  const uint32_t page = FreePage(*icb.fcb, &b, kNodePage, icb.seq, "FreeNode");
  if (page == 0) return -1;
  const uint32_t k = static_cast<uint32_t>(icb.node_page_count) + 1;
  for (int j = 0; j + 1 < kNodesPerPage; ++j) {
    store_u32(node_slot(b, j) + 4, kNodesPerPage * k + static_cast<uint32_t>(j) + 1);
  }
  const uint32_t previous = k == 1 ? icb.header_page : icb.node_pages[k - 2];
  PageRef(b).set_back(previous);
  WritePage(*icb.fcb, b, page, "FreeNode");
  // The new page is on the disk before the directory chain leads to it.
  write_through(*icb.fcb, page);
  if (k == 1) {
    PageRef(icb.header).set_forward(page);
    icb.header_dirty = true;
  } else {
    uint8_t* prev = ReadPage(*icb.fcb, previous, "FreeNode2");
    if (prev == nullptr) {
      uint8_t* again = ReadPage(*icb.fcb, page, "FreeNode");
      if (again != nullptr) ReturnPage(*icb.fcb, again, page, "FreeNode");
      return -1;
    }
    PageRef(prev).set_forward(page);
    WritePage(*icb.fcb, prev, previous, "FreeNode2");
  }
  icb.node_pages[icb.node_page_count++] = page;
  h.set_first_free_node(kNodesPerPage * k + 1);
  icb.header_dirty = true;
  return static_cast<long>(kNodesPerPage * k);
}

uint32_t node_directory_page(const Icb& icb, uint32_t n) {
  const uint32_t dir = n / kNodesPerPage;
  if (dir == 0 || !node_exists(icb, n)) return 0;
  return icb.node_pages[dir - 1];
}

bool write_node_through(Icb& icb, uint32_t n) {
  if (!node_exists(icb, n)) return true;
  const uint32_t page = node_directory_page(icb, n);
  if (page != 0) return write_through(*icb.fcb, page);
  if (!icb.header_dirty) return true;
  return write_image_through(*icb.fcb, icb.header, icb.header_page);
}

bool release_node(Icb& icb, uint32_t n) {
  IndexHeaderRef h = index_header(icb);
  if (!SetNode(icb, n, kFreeNodeMark, h.first_free_node())) return false;
  h.set_first_free_node(n);
  icb.header_dirty = true;
  return true;
}

bool ReadTreeDir(Icb& icb) {
  icb.node_page_count = 0;
  uint32_t next = PageRef(icb.header).forward();
  while (next != 0) {
    if (icb.node_page_count >= kMaxNodePages) return false;
    uint8_t* b = ReadPage(*icb.fcb, next, "ReadTreeDir");
    if (b == nullptr || PageRef(b).type() != kNodePage) return false;
    icb.node_pages[icb.node_page_count++] = next;
    next = PageRef(b).forward();
  }
  return true;
}

}  // namespace tovr

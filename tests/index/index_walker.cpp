#include "index_walker.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <sstream>

#include "index/KeyCode.h"

namespace tovr::test {
namespace {

uint32_t rd32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t rd16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

std::string upper(const std::string& s) {
  std::string u = s;
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

class Walker {
 public:
  Walker(const std::string& file, WalkResult& r)
      : bytes_(reinterpret_cast<const uint8_t*>(file.data())), size_(file.size()), r_(r) {}

  bool start() {
    if (size_ < 2048 || rd32(bytes_) != 0x19AECE41u) return fail("bad label or size");
    const uint8_t* p0 = page(0);
    if (p0[15] != 5 || rd32(p0) != 0) return fail("page 0 is not the file header");
    highest_ = rd32(p0 + 20);
    if ((static_cast<std::size_t>(highest_) + 2) * 1024 > size_) return fail("file too short");
    owner_.assign(highest_ + 1, -1);
    owner_[0] = 1000;
    walk_free_list(rd32(p0 + 16));
    return r_.errors.empty();
  }

  void sequence(int seq) {
    seq_ = seq;
    header_ = rd32(page(0) + 28 + 4 * seq);
    if (header_ == 0) return (void)fail("sequence has no header page");
    const uint8_t* h = page_of_type(header_, 1, "index header");
    if (h == nullptr) return;
    coding_.method = rd32(h + 16);
    coding_.width = rd32(h + 24);
    dir_.assign(1, header_);
    for (uint32_t next = rd32(h + 4), prev = header_; next != 0;) {
      const uint8_t* n = page_of_type(next, 1, "node page");
      if (n == nullptr || dir_.size() > 100) return (void)fail("node directory broken");
      if (rd32(n + 8) != prev) fail("node page back link");
      dir_.push_back(next);
      prev = next;
      next = rd32(n + 4);
    }
    node_seen_.assign(dir_.size() * 126, false);
    walk_free_nodes(rd32(h + 20));
    walk_node(3, 1, 0);
    for (std::size_t n = 3; n < node_seen_.size(); ++n) {
      if (!node_seen_[n]) fail("node " + std::to_string(n) + " neither in the tree nor free");
    }
    walk_free_slots(rd32(h + 32), rd32(h + 36));
    for (const auto& [p, used] : slots_) {
      for (int s = 0; s < 22; ++s) {
        if (!used[s]) fail("slot " + std::to_string(p) + "/" + std::to_string(s) + " lost");
      }
    }
    slots_.clear();
  }

  void finish(bool whole_file) {
    if (!whole_file) return;
    for (uint32_t p = 1; p <= highest_; ++p) {
      if (owner_[p] < 0) fail("page " + std::to_string(p) + " is used by nothing");
    }
  }

 private:
  const uint8_t* page(uint32_t n) const {
    return bytes_ + (static_cast<std::size_t>(n) + 1) * 1024;
  }

  bool fail(const std::string& what) {
    r_.errors.push_back(what);
    return false;
  }

  // Claims page n for the walk; every page may be claimed once.
  const uint8_t* claim(uint32_t n, const char* what) {
    if (n == 0 || n > highest_) {
      fail(std::string(what) + ": page " + std::to_string(n) + " out of range");
      return nullptr;
    }
    if (owner_[n] >= 0) {
      fail(std::string(what) + ": page " + std::to_string(n) + " used twice");
      return nullptr;
    }
    owner_[n] = seq_;
    const uint8_t* p = page(n);
    if (rd32(p) != n) fail(std::string(what) + ": page " + std::to_string(n) + " misnumbered");
    return p;
  }

  const uint8_t* page_of_type(uint32_t n, int type, const char* what) {
    const uint8_t* p = claim(n, what);
    if (p == nullptr) return nullptr;
    if (p[15] != type) fail(std::string(what) + ": page " + std::to_string(n) + " wrong type");
    if (type != 2 && p[14] != seq_) fail(std::string(what) + ": wrong owner");
    return p;
  }

  void walk_free_list(uint32_t n) {
    seq_ = 999;
    while (n != 0) {
      const uint8_t* p = claim(n, "free list");
      if (p == nullptr) return;
      if (p[15] != 2) fail("free list page not free");
      ++r_.free_pages;
      n = rd32(p + 4);
    }
  }

  const uint8_t* node(uint32_t n) {
    if (n < 3 || n >= node_seen_.size()) return nullptr;
    const uint32_t dir = n / 126;
    return page(dir_[dir]) + 16 + 8 * (n % 126);
  }

  void walk_free_nodes(uint32_t n) {
    while (n != 0) {
      const uint8_t* w = node(n);
      if (w == nullptr || node_seen_[n]) return (void)fail("free node chain broken");
      node_seen_[n] = true;
      if (rd32(w) != 0xFFFFFFFFu) fail("free node not marked");
      ++r_.free_nodes;
      n = rd32(w + 4);
    }
  }

  int width() const { return coding_.walk_width(); }

  void walk_node(uint32_t n, int depth, uint32_t bits) {
    const uint8_t* w = node(n);
    if (w == nullptr || node_seen_[n]) return (void)fail("tree node broken");
    node_seen_[n] = true;
    const uint32_t w0 = rd32(w);
    const uint32_t w1 = rd32(w + 4);
    if (w0 == 0xFFFFFFFFu) return (void)fail("free node in the tree");
    if (w0 == 0) {
      r_.max_depth = std::max(r_.max_depth, depth);
      if (w1 != 0) walk_bucket(w1, depth, bits);
      return;
    }
    if (depth > width()) return (void)fail("tree deeper than the code");
    walk_node(w0, depth + 1, bits << 1);
    walk_node(w1, depth + 1, bits << 1 | 1);
  }

  void walk_bucket(uint32_t first, int depth, uint32_t bits) {
    std::set<std::string> seen;
    uint32_t prev = 0;
    for (uint32_t n = first; n != 0;) {
      const uint8_t* p = page_of_type(n, 0, "key page");
      if (p == nullptr) return;
      ++r_.key_pages;
      if (n != first) ++r_.overflow_pages;
      if (rd32(p + 8) != prev) fail("key page back link");
      const int used = rd16(p + 12);
      if (used > 1008) return (void)fail("used count too large");
      if (used < 1008 && p[16 + used] != 0) fail("no 0 after the last entry");
      int off = 0;
      while (off < used) {
        const char* key = reinterpret_cast<const char*>(p + 16 + off);
        const int len = static_cast<int>(strnlen(key, static_cast<std::size_t>(used - off)));
        if (len == 0 || off + len + 9 > used) return (void)fail("entry runs past used");
        entry(std::string(key, static_cast<std::size_t>(len)), rd32(p + 16 + off + len + 1),
              rd32(p + 16 + off + len + 5), depth, bits, n);
        if (!seen.insert(upper(std::string(key, static_cast<std::size_t>(len)))).second) {
          fail("key twice in one bucket");
        }
        off += len + 9;
      }
      prev = n;
      n = rd32(p + 4);
    }
  }

  void entry(const std::string& key, uint32_t a, uint32_t b, int depth, uint32_t bits,
             uint32_t key_page) {
    const uint32_t code = code_key(coding_, key.c_str()).walk_code;
    const int consumed = depth - 1;
    if (consumed > 0 && (code >> (width() - consumed)) != bits) {
      fail("key " + key + " is in the wrong bucket");
    }
    std::vector<uint32_t> ptrs;
    const int kind = b & 0xFF;
    if (kind == 0) {
      if (a == 0) fail("single pointer 0");
      ptrs.push_back(a);
    } else if (kind == 1) {
      relation(a, static_cast<int>((b >> 8) & 0xFF), ptrs);
      if (ptrs.size() < 2) fail("relation of " + key + " holds fewer than two pointers");
    } else if (kind == 2) {
      bitmap(a, key_page, ptrs);
    } else {
      fail("unknown set kind");
    }
    std::sort(ptrs.begin(), ptrs.end());
    if (std::adjacent_find(ptrs.begin(), ptrs.end()) != ptrs.end())
      fail(key + ": repeated pointer");
    r_.keys[key] = ptrs;
    r_.kinds[key] = kind;
  }

  std::vector<bool>* relation_page(uint32_t n) {
    auto it = slots_.find(n);
    if (it != slots_.end()) return &it->second;
    if (page_of_type(n, 3, "relation page") == nullptr) return nullptr;
    ++r_.relation_pages;
    return &(slots_[n] = std::vector<bool>(22, false));
  }

  bool use_slot(uint32_t n, int s) {
    std::vector<bool>* used = relation_page(n);
    if (used == nullptr || s < 0 || s >= 22) return fail("slot out of range");
    if ((*used)[s]) return fail("slot used twice");
    (*used)[s] = true;
    return true;
  }

  void relation(uint32_t n, int s, std::vector<uint32_t>& ptrs) {
    for (int steps = 0; steps < 100000; ++steps) {
      if (!use_slot(n, s)) return;
      const uint8_t* slot = page(n) + 16 + 44 * s;
      const int state = slot[40];
      if (state == 3) {
        for (int i = 0; i < 9; ++i) {
          if (rd32(slot + 4 * i) == 0) fail("gap in a continued slot");
          ptrs.push_back(rd32(slot + 4 * i));
        }
        n = rd32(slot + 36);
        s = slot[41];
        continue;
      }
      if (state != 0) return (void)fail("slot state " + std::to_string(state));
      bool ended = false;
      for (int i = 0; i < 10; ++i) {
        const uint32_t w = rd32(slot + 4 * i);
        if (w == 0) {
          ended = true;
        } else if (ended) {
          fail("pointer after a gap in the last slot");
        } else {
          ptrs.push_back(w);
        }
      }
      return;
    }
    fail("relation chain loops");
  }

  void walk_free_slots(uint32_t n, uint32_t s) {
    for (int steps = 0; n != 0 && steps < 1000000; ++steps) {
      if (!use_slot(n, static_cast<int>(s))) return;
      const uint8_t* slot = page(n) + 16 + 44 * s;
      if (slot[40] != 5) fail("free slot not marked free");
      n = rd32(slot);
      s = slot[41];
    }
  }

  void bitmap(uint32_t first, uint32_t key_page, std::vector<uint32_t>& ptrs) {
    uint32_t prev = 0;
    uint32_t segment = 0;
    uint16_t count = 0;
    for (uint32_t n = first; n != 0; ++segment) {
      const uint8_t* p = page_of_type(n, 4, "bitmap page");
      if (p == nullptr) return;
      ++r_.bitmap_pages;
      if (n == first) {
        count = rd16(p + 12);
        if (rd32(p + 8) == 0) fail("first bitmap page without back link");
        (void)key_page;
      } else {
        if (rd32(p + 8) != prev) fail("bitmap back link");
        if (rd16(p + 12) != 0) fail("later bitmap page with a count");
      }
      for (uint32_t bit = 0; bit < 8064; ++bit) {
        if (p[16 + bit / 8] & (0x80 >> (bit % 8))) ptrs.push_back(segment * 8064 + bit);
      }
      prev = n;
      n = rd32(p + 4);
    }
    if (count != 65535 && count != ptrs.size()) {
      fail("bitmap count " + std::to_string(count) + " but " + std::to_string(ptrs.size()) +
           " bits");
    }
    if (!ptrs.empty() && ptrs.front() == 0) fail("record 0 in a bitmap");
  }

  const uint8_t* bytes_;
  std::size_t size_;
  WalkResult& r_;
  uint32_t highest_ = 0;
  std::vector<int> owner_;
  int seq_ = 0;
  uint32_t header_ = 0;
  KeyCoding coding_;
  std::vector<uint32_t> dir_;
  std::vector<bool> node_seen_;
  std::map<uint32_t, std::vector<bool>> slots_;
};

}  // namespace

WalkResult walk_index(const std::string& file, const std::vector<int>& seqs, bool whole_file) {
  WalkResult r;
  Walker w(file, r);
  if (!w.start()) return r;
  for (int seq : seqs) w.sequence(seq);
  w.finish(whole_file);
  return r;
}

}  // namespace tovr::test

#include "result_model.h"

#include <algorithm>
#include <random>

namespace tovr::test {
namespace {

constexpr uint32_t kSeg = 8064;
// Sorted, distinct record numbers.
using Values = std::vector<uint32_t>;

Values sorted(std::vector<uint32_t> v) {
  std::sort(v.begin(), v.end());
  v.erase(std::unique(v.begin(), v.end()), v.end());
  return v;
}

bool contains(const Values& v, uint32_t x) { return std::binary_search(v.begin(), v.end(), x); }

Values apply(const Values& a, const Values& b, char op) {
  Values out;
  if (op == kAndOp) {
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  } else if (op == kOrOp) {
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  } else {
    std::set_symmetric_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  }
  return out;
}

Values segments_of(const Values& v) {
  Values out;
  for (uint32_t x : v) out.push_back(x / kSeg);
  return sorted(out);
}

Reading to_reading(const Values& v) {
  Reading out;
  for (uint32_t x : v) {
    if (x != 0 && x < 0x7FFFFFFFu) out.push_back(static_cast<int32_t>(x));
  }
  return out;
}

// One element of the modelled evaluation.
struct Model {
  enum State { kNormal, kEmpty, kAll, kPending } state = kNormal;
  bool bitmap = false;
  Values values;
  Values segments;  // allocated segments of a bitmap
};

Model load(const StoredSet& s) {
  Model m;
  if (s.kind == StoredSet::kAbsent) {
    m.state = Model::kEmpty;
    return m;
  }
  m.values = sorted(s.values);
  if (s.kind == StoredSet::kBitmap) {
    m.bitmap = true;
    const uint32_t highest = s.values.empty() ? 0 : m.values.back() / kSeg;
    for (uint32_t k = 0; k <= highest; ++k) m.segments.push_back(k);
  }
  return m;
}

void complement(Model& m) {
  static const Model::State flipped[] = {Model::kPending, Model::kAll, Model::kEmpty,
                                         Model::kNormal};
  m.state = flipped[m.state];
  if (m.state == Model::kEmpty || m.state == Model::kAll) m = Model{m.state, false, {}, {}};
}

void normalise(Model& m) {
  if (m.state == Model::kEmpty) m = Model{};
  if (m.state != Model::kPending) return;
  if (!m.bitmap) {
    m.segments = segments_of(m.values);
    m.bitmap = true;
  }
  Values inverted;
  for (uint32_t k : m.segments) {
    for (uint32_t r = k * kSeg; r < (k + 1) * kSeg; ++r) {
      if (!contains(m.values, r)) inverted.push_back(r);
    }
  }
  m.values.swap(inverted);
  m.state = Model::kNormal;
}

Model combine_data(Model a, Model b, char op) {
  normalise(a);
  normalise(b);
  if (!a.bitmap && !b.bitmap)
    return Model{Model::kNormal, false, apply(a.values, b.values, op), {}};
  if (a.bitmap && b.bitmap) {
    Model out{Model::kNormal, true, apply(a.values, b.values, op), {}};
    out.segments =
        op == kAndOp ? apply(a.segments, b.segments, kAndOp) : apply(a.segments, b.segments, kOrOp);
    return out;
  }
  const Model& map = a.bitmap ? a : b;
  const Model& list = a.bitmap ? b : a;
  if (op == kAndOp) return Model{Model::kNormal, false, apply(list.values, map.values, op), {}};
  Model out{Model::kNormal, true, apply(map.values, list.values, op), map.segments};
  out.segments = apply(out.segments, segments_of(list.values), kOrOp);
  return out;
}

Model combine(Model a, Model b, char op) {
  const bool a_empty = a.state == Model::kEmpty, b_empty = b.state == Model::kEmpty;
  const bool a_all = a.state == Model::kAll, b_all = b.state == Model::kAll;
  if (op == kAndOp) {
    if (a_empty || b_empty) return Model{Model::kEmpty, false, {}, {}};
    if (a_all) return b;
    if (b_all) return a;
  } else {
    if (a_empty) return b;
    if (b_empty) return a;
    if (op == kOrOp && (a_all || b_all)) return Model{Model::kAll, false, {}, {}};
    if (op == kXorOp && (a_all || b_all)) {
      Model other = a_all ? b : a;
      complement(other);
      return other;
    }
  }
  return combine_data(a, b, op);
}

}  // namespace

Reading plain_evaluation(const QueryProgram& program, const StoredSets& sets) {
  std::vector<Values> stack;
  for (int i = 0; i < program.count; ++i) {
    const ProgramEntry& e = program.entries[i];
    if (e.op == kTermOp) {
      auto it = sets.find(e.key);
      stack.emplace_back();
      if (it != sets.end()) stack.back() = sorted(it->second.values);
    } else if (e.op == kEmptyTermOp) {
      stack.emplace_back();
    } else {
      Values b = stack.back();
      stack.pop_back();
      stack.back() = apply(stack.back(), b, e.op);
    }
  }
  return to_reading(stack.back());
}

Reading modelled_evaluation(const QueryProgram& program, const StoredSets& sets) {
  std::vector<Model> stack;
  for (int i = 0; i < program.count; ++i) {
    const ProgramEntry& e = program.entries[i];
    if (is_term_op(e.op)) {
      auto it = sets.find(e.key);
      stack.push_back(e.op == kEmptyTermOp || it == sets.end() ? load(StoredSet{})
                                                               : load(it->second));
    } else if (e.op == kNotOp) {
      complement(stack.back());
    } else {
      Model b = stack.back();
      stack.pop_back();
      stack.back() = combine(stack.back(), b, e.op);
    }
  }
  Model& m = stack.back();
  if (m.state == Model::kAll) return {-1};
  normalise(m);
  return to_reading(m.values);
}

Reading segmented_evaluation(const QueryProgram& program, const StoredSets& sets) {
  std::set<uint32_t> visited = {0};
  for (int i = 0; i < program.count; ++i) {
    auto it = sets.find(program.entries[i].key);
    if (program.entries[i].op != kTermOp || it == sets.end()) continue;
    const StoredSet& s = it->second;
    if (s.kind == StoredSet::kBitmap && !s.values.empty()) {
      const uint32_t highest = *std::max_element(s.values.begin(), s.values.end()) / kSeg;
      for (uint32_t k = 0; k <= highest; ++k) visited.insert(k);
    } else if (s.kind == StoredSet::kList) {
      for (uint32_t v : s.values) visited.insert(v / kSeg);
    }
  }
  Reading out;
  for (uint32_t k : visited) {
    std::vector<Values> stack;
    for (int i = 0; i < program.count; ++i) {
      const ProgramEntry& e = program.entries[i];
      if (is_term_op(e.op)) {
        stack.emplace_back();
        auto it = sets.find(e.key);
        if (e.op == kEmptyTermOp || it == sets.end()) continue;
        for (uint32_t v : sorted(it->second.values)) {
          if (v / kSeg == k) stack.back().push_back(v);
        }
      } else if (e.op == kNotOp) {
        Values all;
        for (uint32_t r = k * kSeg; r < (k + 1) * kSeg; ++r) all.push_back(r);
        stack.back() = apply(all, stack.back(), kXorOp);
      } else {
        Values b = stack.back();
        stack.pop_back();
        stack.back() = apply(stack.back(), b, e.op);
      }
    }
    for (int32_t v : to_reading(stack.back())) out.push_back(v);
  }
  return out;
}

int stack_need(const QueryProgram& program) {
  int depth = 0, most = 0;
  for (int i = 0; i < program.count; ++i) {
    const char op = program.entries[i].op;
    if (is_term_op(op)) {
      most = std::max(most, ++depth);
    } else if (op != kNotOp) {
      --depth;
    }
  }
  return most;
}

StoredSets random_sets(unsigned seed, int n, uint32_t segments) {
  std::mt19937 rng(seed);
  StoredSets sets;
  for (int i = 0; i < n; ++i) {
    StoredSet s;
    const unsigned pick = rng() % 20;
    s.kind = pick < 3 ? StoredSet::kAbsent : pick < 11 ? StoredSet::kList : StoredSet::kBitmap;
    if (s.kind != StoredSet::kAbsent) {
      // Dense sets over a narrow range meet each other; sparse ones reach far segments.
      const uint32_t range = 1 + rng() % (segments * kSeg);
      const int count = pick == 3 ? 1 : 1 + static_cast<int>(rng() % 600);
      std::set<uint32_t> chosen;
      while (static_cast<int>(chosen.size()) < count && chosen.size() < range) {
        chosen.insert(1 + rng() % range);
      }
      s.values.assign(chosen.begin(), chosen.end());
      std::shuffle(s.values.begin(), s.values.end(), rng);
    }
    sets["k" + std::to_string(i)] = s;
  }
  return sets;
}

namespace {

std::string expression(std::mt19937& rng, int n, int terms, bool with_not) {
  std::string prefix = with_not && rng() % 4 == 0 ? "#" : "";
  if (terms <= 1) return prefix + "k" + std::to_string(rng() % n);
  const int left = 1 + static_cast<int>(rng() % (terms - 1));
  static const char* ops[] = {" & ", " / ", " $ ", " "};
  const std::string lhs = expression(rng, n, left, with_not);
  const std::string rhs = expression(rng, n, terms - left, with_not);
  std::string op = ops[rng() % 4];
  // Adjacent terms alone are joined by an implied "&".
  if (op == " " && (lhs.back() == ')' || rhs[0] != 'k')) op = " & ";
  const std::string body = lhs + op + rhs;
  return prefix + "(" + body + ")";
}

}  // namespace

std::string random_expression(unsigned seed, int n, int terms, bool with_not) {
  std::mt19937 rng(seed);
  return expression(rng, n, 1 + static_cast<int>(rng() % terms), with_not);
}

}  // namespace tovr::test

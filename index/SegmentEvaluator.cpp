#include "index/SegmentEvaluator.h"

#include <cstring>

#include "frame/strings.h"
#include "index/DbStatus.h"
#include "index/KeyTree.h"
#include "index/QueryState.h"
#include "index/ResultSet.h"
#include "index/SegmentLoad.h"

namespace tovr {
namespace {

constexpr int kListed = 0;
constexpr int kNoMore = -1;
constexpr int kNotListing = -2;
constexpr uint64_t kRecordLimit = 0x7FFFFFFFu;  // record numbers lie below

Icb* handle_of(const XrefEntry* index) { return index == nullptr ? nullptr : index->handle; }

// The first round searches every term and loads its segment 0. A term whose entry the
// handle `searched` has just found (its search state holds the entry) is not searched again.
bool start_term(ProgramEntry& term, SegmentStack& stack, const Icb* searched) {
  term.finished = true;
  term.next_segment = 0;
  Icb* icb = handle_of(term.index);
  if (icb == nullptr) return stack.push_empty();
  const int found = icb == searched ? 0 : FindEntry(*icb, kExactMode, term.key);
  if (found == kTreeBroken) return false;
  if (found == kNotFound) return stack.push_empty();
  term.word_a = icb->search.word_a;
  term.word_b = icb->search.word_b;
  uint32_t next = 0;
  if (!LoadSeg(*icb, &term.word_a, term.word_b, 0, stack, &next)) return false;
  term.next_segment = next;
  term.finished = next == 0;
  return true;
}

// Later rounds load a term only when it has data in the current segment.
bool continue_term(ProgramEntry& term, SegmentStack& stack, uint32_t current) {
  Icb* icb = handle_of(term.index);
  if (term.finished || term.next_segment > current || icb == nullptr) return stack.push_empty();
  uint32_t next = 0;
  if (!LoadSeg(*icb, &term.word_a, term.word_b, current, stack, &next)) return false;
  term.next_segment = next;
  term.finished = next == 0;
  return true;
}

bool apply(char op, SegmentStack& stack) {
  switch (op) {
    case kNotOp:
      return stack.complement_top();
    case kAndOp:
      return stack.and_top();
    case kOrOp:
      return stack.or_top();
    case kXorOp:
      return stack.xor_top();
    default:
      return false;
  }
}

// Runs the program for the current segment and remembers the smallest next segment of any
// term. False when a page could not be read or the stack refused an operation.
bool evaluate_segment(QueryState& q, SegmentStack& stack, bool first,
                      const Icb* searched = nullptr) {
  stack.reset();
  q.next = 0;
  for (int i = 0; i < q.program.count; ++i) {
    ProgramEntry& e = q.program.entries[i];
    bool ok = true;
    if (e.op == kEmptyTermOp) {
      e.finished = true;
      ok = stack.push_empty();
    } else if (e.op == kTermOp) {
      ok = first ? start_term(e, stack, searched) : continue_term(e, stack, q.current);
    } else {
      ok = apply(e.op, stack);
    }
    if (!ok) return false;
    // Data always lies ahead: a next segment not beyond the current one is no data.
    if (is_term_op(e.op) && !e.finished && e.next_segment > q.current &&
        (q.next == 0 || e.next_segment < q.next)) {
      q.next = e.next_segment;
    }
  }
  return true;
}

int stop(QueryState& q, SegmentStack& stack, int result) {
  q.end = true;
  stack.reset();
  return result;
}

// Runs the program for segment 0. searched: a handle whose search state holds the entry of
// the program's only term (see start_term), or null.
int list_program(Icb& icb, const Icb* searched) {
  QueryState* q = query_state(icb);
  SegmentStack* stack = segment_stack(icb);
  if (q == nullptr || stack == nullptr) {
    if (q != nullptr) q->end = true;
    return kNotListing;
  }
  q->current = 0;
  q->end = false;
  if (!evaluate_segment(*q, *stack, true, searched)) return stop(*q, *stack, kNotListing);
  return kListed;
}

}  // namespace

int list_query(Icb& icb) { return list_program(icb, nullptr); }

int next_listed(Icb& icb) {
  QueryState* q = existing_query_state(icb);
  if (q == nullptr || q->end) return kNotListing;
  SegmentStack* stack = segment_stack(icb);
  if (stack == nullptr) return kNotListing;
  for (;;) {
    uint32_t bit = 0;
    while (stack->depth() > 0 && stack->next_bit(&bit)) {
      const uint64_t value = static_cast<uint64_t>(q->current) * kRecordsPerSegment + bit;
      // Record number 0 is never a record: bit 0 of segment 0 is passed over.
      if (value == 0) continue;
      if (value >= kRecordLimit) return stop(*q, *stack, kNoMore);
      return static_cast<int>(value);
    }
    // The current segment is read out. Every term being finished means no segment holds
    // data any more; otherwise the program is run for the next segment that does.
    stack->reset();
    if (q->program.count == 0 || q->next == 0) return stop(*q, *stack, kNoMore);
    q->current = q->next;
    if (!evaluate_segment(*q, *stack, false)) return stop(*q, *stack, kNotListing);
  }
}

int find_key(Icb& icb, const char* key) {
  QueryState* q = query_state(icb);
  if (q == nullptr) return kDbBadHandle;
  q->program.count = 0;
  q->end = true;
  // A key longer than any stored key cannot be there.
  if (key == nullptr || std::strlen(key) > static_cast<std::size_t>(kMaxKeyLength)) {
    return kDbKeyNotFound;
  }
  q->program.append_term(key, kExactTerm, icb.entry);
  const int found = FindEntry(icb, kExactMode, key);
  if (found < 0) return kDbKeyNotFound;
  // The program's one term is the key just found: its search is not repeated.
  return list_program(icb, &icb) == kListed ? kDbOk : kDbKeyNotFound;
}

}  // namespace tovr

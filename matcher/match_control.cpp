#include "matcher/match_control.h"

#include <cstring>

#include "frame/memory.h"
#include "matcher/candidate_list.h"
#include "matcher/match_case.h"
#include "matcher/mt_messages.h"

namespace tovr {
namespace {

using namespace mt_text;

const char kNoTag[4] = {0, 0, 0, 0};

CaseSlot* take_case_slot(MatchControl& mc, int* status) {
  for (int i = 0; i < mc.case_count; ++i) {
    if (mc.cases[i].in_use == 0) return &mc.cases[i];
  }
  if (mc.case_count == kMaxCases) {
    *status = kBadCase;
    return nullptr;
  }
  MatchCase* c = new_case();
  if (c == nullptr) {
    *status = kNoMemory;
    return nullptr;
  }
  CaseSlot* slot = &mc.cases[mc.case_count++];
  slot->match_case = c;
  return slot;
}

}  // namespace

MatchControl* new_control(TOVR_Mk* mk) {
  MatchControl* mc = make<MatchControl>();
  if (mc != nullptr) mc->mk = mk;
  return mc;
}

void close_control(MatchControl* mc) {
  if (mc == nullptr) return;
  for (int i = 0; i < mc->list_count; ++i) free_list(mc->lists[i].list);
  for (int i = 0; i < mc->case_count; ++i) free_case(mc->cases[i].match_case);
  destroy(mc);
}

int open_list(MatchControl& mc, std::int16_t record_length, CandBlock** out) {
  *out = nullptr;
  if (record_length <= 0) return kInvalidRecordSize;
  for (int i = 0; i < mc.list_count; ++i) {
    ListSlot& slot = mc.lists[i];
    if (slot.in_use == 0 && slot.record_length == record_length) {
      std::memcpy(slot.list->tag, "CAND", 4);
      slot.in_use = 1;
      *out = slot.list;
      return kOk;
    }
  }
  // Slots keep their record length for good: a free slot of another length stays free.
  if (mc.list_count == kMaxLists) return kTooManyHandles;
  CandBlock* list = new_list(record_length);
  if (list == nullptr) return kNoMemory;
  mc.lists[mc.list_count++] = ListSlot{list, record_length, 1};
  *out = list;
  return kOk;
}

int return_list(MatchControl& mc, CandBlock* list) {
  for (int i = 0; i < mc.list_count; ++i) {
    ListSlot& slot = mc.lists[i];
    if (slot.list != list || slot.in_use == 0) continue;
    empty_list(list);
    // A freed list is no longer a valid handle until it is handed out again.
    std::memcpy(list->tag, kNoTag, 4);
    slot.in_use = 0;
    mc.cache_list = nullptr;
    mc.cache_block = nullptr;
    mc.cache_first = 0;
    return kOk;
  }
  return kBadList;
}

int start_case(MatchControl& mc, const Rules& rules, const CandBlock& list, MatchCase** out) {
  *out = nullptr;
  int status = kOk;
  CaseSlot* slot = take_case_slot(mc, &status);
  if (slot == nullptr) return status;
  MatchCase& c = *slot->match_case;
  reset_case(c, &rules, &list);
  slot->in_use = 1;
  if (list.count == 0) {
    c.empty = 1;
    *out = &c;
    return kEmptyList;
  }
  if (!score_candidates(c, mc)) {
    std::memcpy(c.tag, kNoTag, 4);
    slot->in_use = 0;
    return kNoMemory;
  }
  *out = &c;
  return kOk;
}

int end_case(MatchControl& mc, MatchCase* c) {
  for (int i = 0; i < mc.case_count; ++i) {
    CaseSlot& slot = mc.cases[i];
    if (slot.match_case != c || slot.in_use == 0) continue;
    // An ended case is no longer a valid handle until a run hands it out again.
    std::memcpy(c->tag, kNoTag, 4);
    slot.in_use = 0;
    return kOk;
  }
  return kBadCase;
}

int read_candidate(const MatchControl* mc, MatchCase& c, int n, char* record, std::int16_t* weight,
                   char* side, float* position) {
  if (n == 0) return kBadRecordNumber;
  if (c.empty != 0 || c.count == 0) return kEmptyList;
  if ((n < 0 ? -n : n) > c.count) return kCandidateNotFound;
  int k = n;
  if (n == -1) {
    // When no total rose above -9999 there is no best by weight; the first candidate of
    // the ranking (the highest total, the lowest number among equals) stands in for it.
    k = c.best_number != 0 ? c.best_number : ranked_candidate(c, 1);
  } else if (n < -1) {
    k = ranked_candidate(c, -n);
  }
  // The list may have been emptied since the run: then its records are gone.
  const char* found = candidate_record(mc, c.list, k);
  if (found == nullptr) return kCandidateNotFound;
  if (record != nullptr)
    std::memcpy(record, found, static_cast<std::size_t>(c.list->record_length) + 1);
  const ScoreEntry& entry = score_entry(c, k - 1);
  if (weight != nullptr) *weight = entry.total;
  if (side != nullptr) *side = entry.side;
  if (position != nullptr) *position = entry.position;
  return kOk;
}

}  // namespace tovr

// The record matcher's exported functions: check the handles, call the matcher, return the
// family's status codes.
#include <cstring>

#include "frame/handle.h"
#include "frame/strings.h"
#include "matcher/candidate_list.h"
#include "matcher/match_control.h"
#include "matcher/mt_messages.h"
#include "matcher/rules_loader.h"
#include "tovr.h"

namespace tovr {
namespace {

using namespace mt_text;

constexpr int kCodeTextSize = 59;  // the smallest buffer a host hands to the code lookup

MatchControl* control_of(TOVR_Mt* mt) {
  return has_tag(mt, "INST") ? reinterpret_cast<MatchControl*>(mt) : nullptr;
}
Rules* rules_of(TOVR_Rules* rules) {
  return has_tag(rules, "RULE") ? reinterpret_cast<Rules*>(rules) : nullptr;
}
CandBlock* list_of(TOVR_List* list) {
  return has_tag(list, "CAND") ? reinterpret_cast<CandBlock*>(list) : nullptr;
}
MatchCase* case_of(TOVR_Case* c) {
  return has_tag(c, "CASE") ? reinterpret_cast<MatchCase*>(c) : nullptr;
}

// The matcher allocates through the frame and reports failures as status codes; anything
// thrown all the same stops at the boundary as "no memory".
template <class Fn>
int guarded(Fn&& fn) {
  try {
    return fn();
  } catch (...) {
    return kNoMemory;
  }
}

// Copies the current record of the rules' match key into the rules' working buffer. The
// layout must still have the length the rules were loaded with.
int copy_match_key(const MatchControl& mc, Rules& rules) {
  short length = 0;
  if (mc.mk == nullptr || TOVR_mkGetLen(mc.mk, rules.mk_name, &length) != 0 ||
      length != rules.mk_length) {
    return kInvalidMatchKey;
  }
  if (TOVR_mkCopy(mc.mk, rules.mk_name, rules.mk_record) != 0) return kInvalidMatchKey;
  rules.mk_record[length] = '\0';
  return kOk;
}

}  // namespace
}  // namespace tovr

using namespace tovr;

extern "C" {

TOVR_API int TOVR_mtInit(TOVR_Mt** handle, TOVR_Mk* mk) {
  if (handle == nullptr) return kBadControl;
  *handle = nullptr;
  return guarded([&] {
    MatchControl* mc = new_control(mk);
    if (mc == nullptr) return static_cast<int>(kNoMemory);
    *handle = reinterpret_cast<TOVR_Mt*>(mc);
    return static_cast<int>(kOk);
  });
}

TOVR_API int TOVR_mtLoad(TOVR_Mt* mt, const char* rulesFile, const char* mk,
                         const char* messageFile, TOVR_Rules** rules) {
  if (rules != nullptr) *rules = nullptr;
  MatchControl* mc = control_of(mt);
  if (mc == nullptr) return kBadControl;
  if (rules == nullptr) return kBadRules;
  return guarded([&] {
    Rules* loaded = nullptr;
    const int status = load_rules(*mc, rulesFile, mk, messageFile, &loaded);
    *rules = reinterpret_cast<TOVR_Rules*>(loaded);
    return status;
  });
}

TOVR_API int TOVR_mtFreeRules(TOVR_Rules** rules) {
  if (rules == nullptr) return kBadRules;
  Rules* r = rules_of(*rules);
  if (r == nullptr) return kBadRules;
  release_rules(r);
  *rules = nullptr;
  return kOk;
}

TOVR_API void TOVR_mtQueryCodeEnum(int code, char* text) {
  if (text == nullptr) return;
  const char* message =
      (code >= 0 && code < kStatusTextCount) ? kStatusTexts[code] : kUndefinedStatus;
  copy_text(text, kCodeTextSize, message);
}

TOVR_API int TOVR_mtNewList(TOVR_Mt* mt, short recordLength, TOVR_List** list) {
  if (list != nullptr) *list = nullptr;
  MatchControl* mc = control_of(mt);
  if (mc == nullptr) return kBadControl;
  if (list == nullptr) return kBadList;
  return guarded([&] {
    CandBlock* opened = nullptr;
    const int status = open_list(*mc, recordLength, &opened);
    *list = reinterpret_cast<TOVR_List*>(opened);
    return status;
  });
}

TOVR_API int TOVR_mtNewCand(TOVR_Mt* mt, TOVR_List* list, const char* record) {
  MatchControl* mc = control_of(mt);
  if (mc == nullptr) return kBadControl;
  CandBlock* l = list_of(list);
  if (l == nullptr) return kBadList;
  return guarded([&] {
    switch (append_candidate(*mc, l, record)) {
      case AppendResult::kOk:
        return static_cast<int>(kOk);
      case AppendResult::kFull:
        // A list holds as many candidates as a 16-bit candidate number can name.
        return static_cast<int>(kTooManyHandles);
      case AppendResult::kNoMemory:
        break;
    }
    return static_cast<int>(kNoMemory);
  });
}

TOVR_API int TOVR_mtFreeCands(TOVR_Mt* mt, TOVR_List** list) {
  MatchControl* mc = control_of(mt);
  if (mc == nullptr) return kBadControl;
  if (list == nullptr || *list == nullptr) return kBadList;
  const int status = return_list(*mc, reinterpret_cast<CandBlock*>(*list));
  if (status == kOk) *list = nullptr;
  return status;
}

TOVR_API int TOVR_mtMatch(TOVR_Mt* mt, TOVR_Rules* rules, TOVR_List* list, TOVR_Case** matchCase) {
  if (matchCase != nullptr) *matchCase = nullptr;
  MatchControl* mc = control_of(mt);
  if (mc == nullptr) return kBadControl;
  Rules* r = rules_of(rules);
  if (r == nullptr) return kBadRules;
  CandBlock* l = list_of(list);
  if (l == nullptr) return kBadList;
  if (matchCase == nullptr) return kBadCase;
  return guarded([&] {
    int status = copy_match_key(*mc, *r);
    if (status != kOk) return status;
    MatchCase* c = nullptr;
    status = start_case(*mc, *r, *l, &c);
    *matchCase = reinterpret_cast<TOVR_Case*>(c);
    return status;
  });
}

TOVR_API int TOVR_mtGetCand(TOVR_Mt* mt, TOVR_Case* matchCase, short n, char* record, short* weight,
                            char* side, float* position) {
  if (record != nullptr) record[0] = '\0';
  MatchCase* c = case_of(matchCase);
  if (c == nullptr) return kBadCase;
  // The control block only speeds up the record lookup; the case alone suffices.
  return read_candidate(control_of(mt), *c, n, record, weight, side, position);
}

TOVR_API int TOVR_mtEndMatch(TOVR_Mt* mt, TOVR_Case** matchCase) {
  MatchControl* mc = control_of(mt);
  if (mc == nullptr) return kBadControl;
  if (matchCase == nullptr) return kBadCase;
  MatchCase* c = case_of(*matchCase);
  if (c == nullptr) return kBadCase;
  const int status = end_case(*mc, c);
  if (status == kOk) *matchCase = nullptr;
  return status;
}

TOVR_API int TOVR_mtClose(TOVR_Mt* mt) {
  MatchControl* mc = control_of(mt);
  if (mc == nullptr) return kBadControl;
  close_control(mc);
  return kOk;
}

}  // extern "C"

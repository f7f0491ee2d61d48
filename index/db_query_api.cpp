// Exported query functions of the disk index: compiling a query, reading its record numbers
// segment by segment, and evaluating it at once into a result set owned by the host.
#include "frame/handle.h"
#include "frame/memory.h"
#include "include/tovr.h"
#include "index/DbStatus.h"
#include "index/Icb.h"
#include "index/QueryIndexAccess.h"
#include "index/QueryParser.h"
#include "index/QueryState.h"
#include "index/ResultEvaluator.h"
#include "index/SegmentEvaluator.h"
#include "index/SegmentLoad.h"

namespace tovr {
namespace {

constexpr int kListBadHandle = -1;
constexpr int kNextBadHandle = -2;

Icb* icb_of(TOVR_Db* h) { return has_tag(h, kIcbTag) ? reinterpret_cast<Icb*>(h) : nullptr; }

ResultSet* result_of(TOVR_QueryResult* r) { return reinterpret_cast<ResultSet*>(r); }

unsigned short parse(Icb& icb, const char* text, float threshold, TOVR_SpellFn callback) {
  QueryState* q = query_state(icb);
  if (q == nullptr) return kParseFullResult;
  q->end = true;
  IndexBucketKeys bucket;
  SpellExpander expander(bucket, threshold, callback);
  const QuerySources sources{icb.entry, &resolve_open_index, nullptr, &expander};
  const int result = parse_query(text == nullptr ? "" : text, sources, &q->program);
  if (result == kProgramFull) return kParseFullResult;
  return static_cast<unsigned short>(result);
}

// The result set of the handle's program; the segment-wise evaluation is over once the
// segment stack is reset.
ResultSet* evaluate(Icb& icb) {
  QueryState* q = query_state(icb);
  if (q == nullptr) return nullptr;
  q->end = true;
  if (SegmentStack* stack = segment_stack(icb)) stack->reset();
  IndexTermLoader loader;
  return evaluate_to_result(q->program, loader);
}

}  // namespace
}  // namespace tovr

using tovr::icb_of;

extern "C" {

TOVR_API unsigned short TOVR_dbParse(TOVR_Db* h, const char* query, float threshold,
                                     TOVR_SpellFn callback) {
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return tovr::kParseBadHandle;
  try {
    return tovr::parse(*icb, query, threshold, callback);
  } catch (...) {
    return tovr::kParseFullResult;
  }
}

TOVR_API int TOVR_dbFind(TOVR_Db* h, const char* key) {
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return tovr::kDbBadHandle;
  try {
    return tovr::find_key(*icb, key);
  } catch (...) {
    return tovr::kDbBadHandle;
  }
}

TOVR_API int TOVR_dbList(TOVR_Db* h) {
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return tovr::kListBadHandle;
  try {
    return tovr::list_query(*icb);
  } catch (...) {
    return tovr::kNextBadHandle;
  }
}

TOVR_API int TOVR_dbGetNext(TOVR_Db* h) {
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return tovr::kNextBadHandle;
  try {
    return tovr::next_listed(*icb);
  } catch (...) {
    return tovr::kNextBadHandle;
  }
}

TOVR_API TOVR_QueryResult* TOVR_dbReturnQueryResult(TOVR_Db* h) {
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return nullptr;
  try {
    return reinterpret_cast<TOVR_QueryResult*>(tovr::evaluate(*icb));
  } catch (...) {
    return nullptr;
  }
}

TOVR_API int TOVR_dbGetNextQueryResult(TOVR_QueryResult* r) {
  return r == nullptr ? 0 : tovr::result_of(r)->next();
}

TOVR_API void TOVR_dbDeleteQueryResult(TOVR_QueryResult* r) { tovr::destroy(tovr::result_of(r)); }

}  // extern "C"

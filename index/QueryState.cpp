#include "index/QueryState.h"

#include "frame/memory.h"
#include "index/Icb.h"

namespace tovr {

QueryState* query_state(Icb& icb) {
  if (icb.query == nullptr) icb.query = make<QueryState>();
  return icb.query;
}

QueryState* existing_query_state(Icb& icb) { return icb.query; }

void release_query_state(Icb& icb) {
  destroy(icb.query);
  icb.query = nullptr;
}

}  // namespace tovr

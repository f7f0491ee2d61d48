// The index handle (ICB): one per open sequence, handed to the host as TOVR_Db. It begins
// with the 4-byte tag "ICB\0" that every exported operation checks.
#pragma once

#include <cstdint>

#include "index/IndexFile.h"
#include "index/IndexTables.h"
#include "index/InsertCache.h"
#include "index/KeyCode.h"
#include "index/PageLayout.h"
#include "index/PositionCache.h"
#include "index/SegmentStack.h"
#include "index/TreeState.h"

namespace tovr {

struct QueryState;

inline constexpr char kIcbTag[4] = {'I', 'C', 'B', '\0'};

struct Icb {
  char tag[4];
  XrefEntry* entry;
  Fcb* fcb;
  int seq;
  KeyCoding coding;

  // Image of the sequence's index header page; written by flush when dirty.
  uint8_t header[kPageSize];
  bool header_dirty;
  uint32_t header_page;

  // Node pages of the tree directory after the header page, in chain order.
  uint32_t node_pages[kMaxNodePages];
  int node_page_count;

  SearchState search;
  LastKey last;
  MatchState match;

  InsertCache cache;
  PositionCache positions;

  // The segment stack of the query engine; allocated on first use.
  SegmentStack* segments;
  // The compiled query and its segment-wise evaluation state; allocated on first use.
  QueryState* query;
};

inline IndexHeaderRef index_header(Icb& icb) { return IndexHeaderRef(icb.header); }

}  // namespace tovr

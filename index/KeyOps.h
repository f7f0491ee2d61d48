// The key operations of an index handle: insertion (through the insert cache when it is
// on), deletion of one pointer or of a whole key, group insertion and the head search.
#pragma once

#include <cstdint>

#include "index/Icb.h"

namespace tovr {

// TOVR_dbInsert after the handle check: an empty key does nothing; with the insert cache on
// the pair is cached. Flag 1: the key must be new (11). Returns 0, 9, 11 or 12.
int db_insert(Icb& icb, const char* key, int pointer, int flag);

// The insertion itself, without the cache. `group` (may be null) continues a group
// insertion into a relation.
int insert_key(Icb& icb, const char* key, uint32_t pointer, int flag, const int* group);

// TOVR_dbDelete: 0, 7, 8, 9, or 18 when a bitmap became a relation.
int delete_key(Icb& icb, const char* key, int pointer);
// TOVR_dbDeleteAll: 0, 7 or 9.
int delete_all(Icb& icb, const char* key);
// TOVR_dbInsertGroup: adds the zero-terminated pointers to key. 0, 9, 11 or 12.
int insert_group(Icb& icb, const char* key, const int* pointers);

// TOVR_dbFindMatch: starts a head search. 0, or 3 when no key matches.
int find_match(Icb& icb, const char* key);
// TOVR_dbNextMatch: 0 with the next match's tail copied out, -1 when there are no more, 13
// when no head search is going on.
int next_match(Icb& icb, char* tail);

}  // namespace tovr

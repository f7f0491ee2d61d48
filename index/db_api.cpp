// The C interface of the disk index: files, sequences, keys, pointer sets and the insert
// cache. Each function checks its handle, calls the index internals and returns their
// status; nothing thrown inside ever crosses this boundary. The query functions are in
// db_query_api.cpp.
#include <cstring>

#include "frame/handle.h"
#include "include/tovr.h"
#include "index/DbStatus.h"
#include "index/Icb.h"
#include "index/IndexHandle.h"
#include "index/IndexMessages.h"
#include "index/InsertCache.h"
#include "index/KeyOps.h"
#include "index/Label.h"

namespace {

tovr::Icb* icb_of(TOVR_Db* h) {
  return tovr::has_tag(h, "ICB") ? reinterpret_cast<tovr::Icb*>(h) : nullptr;
}

TOVR_Db* handle_of(tovr::Icb* icb) { return reinterpret_cast<TOVR_Db*>(icb); }

// Runs an index operation; an escaping exception (only out of memory is possible) becomes
// the no-space status.
template <class Fn>
int guarded(int on_failure, Fn fn) {
  try {
    return fn();
  } catch (...) {
    return on_failure;
  }
}

}  // namespace

extern "C" {

TOVR_API TOVR_Db* TOVR_dbOpen(const char* indexName, char keyCoding, char hashWidth, int* status,
                              short bufferCount, short initialPages, short extensionSize,
                              const char* const* statements, const char* signature,
                              short writeFlag) {
  int local = 0;
  int* out = status != nullptr ? status : &local;
  try {
    const tovr::OpenRequest request{indexName,     keyCoding,  hashWidth, bufferCount, initialPages,
                                    extensionSize, statements, signature, writeFlag};
    return handle_of(tovr::open_index(request, out));
  } catch (...) {
    *out = tovr::kDbNoSpace;
    return nullptr;
  }
}

TOVR_API int TOVR_dbClose(TOVR_Db** h) {
  tovr::Icb* icb = h != nullptr ? icb_of(*h) : nullptr;
  if (icb == nullptr) return tovr::kDbBadHandle;
  *h = nullptr;
  return guarded(tovr::kDbNoSpace, [&] {
    tovr::close_index(icb);
    return tovr::kDbOk;
  });
}

TOVR_API int TOVR_dbFlush(TOVR_Db* h) {
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return tovr::kDbBadHandle;
  return guarded(tovr::kDbNoSpace, [&] {
    tovr::flush_index(*icb);
    return tovr::kDbOk;
  });
}

TOVR_API int TOVR_dbRemove(TOVR_Db** h) {
  tovr::Icb* icb = h != nullptr ? icb_of(*h) : nullptr;
  if (icb == nullptr) return tovr::kDbBadHandle;
  *h = nullptr;
  return guarded(tovr::kDbNoSpace, [&] {
    tovr::remove_index(icb);
    return tovr::kDbOk;
  });
}

TOVR_API int TOVR_dbIsValidFile(const char* path, const char* signature) {
  return guarded(0, [&] { return tovr::is_valid_file(path, signature); });
}

TOVR_API int TOVR_dbGetMetadata(const char* path, char* text, int size) {
  return guarded(tovr::kDbNotFound, [&] { return tovr::get_metadata(path, text, size); });
}

TOVR_API int TOVR_dbSetMetadata(const char* path, const char* text) {
  return guarded(tovr::kDbNoSpace, [&] { return tovr::set_metadata(path, text); });
}

TOVR_API int TOVR_dbSetNumRecords(TOVR_Db*, int recordCount) {
  tovr::index_tables().record_count = recordCount / 32;
  return tovr::index_tables().record_count;
}

TOVR_API void TOVR_dbQueryCodeEnum(int code, char* text) {
  if (text == nullptr) return;
  const char* message = tovr::status_text(code);
  std::memcpy(text, message, std::strlen(message) + 1);
}

TOVR_API int TOVR_dbInsert(TOVR_Db* h, const char* key, int recPtr, int flag) {
  if (key == nullptr || key[0] == '\0') return tovr::kDbOk;
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return tovr::kDbBadHandle;
  return guarded(tovr::kDbNoSpace, [&] { return tovr::db_insert(*icb, key, recPtr, flag); });
}

TOVR_API int TOVR_dbDelete(TOVR_Db* h, const char* key, int recPtr) {
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return tovr::kDbBadHandle;
  return guarded(tovr::kDbNoSpace, [&] { return tovr::delete_key(*icb, key, recPtr); });
}

TOVR_API int TOVR_dbDeleteAll(TOVR_Db* h, const char* key) {
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return tovr::kDbBadHandle;
  return guarded(tovr::kDbNoSpace, [&] { return tovr::delete_all(*icb, key); });
}

TOVR_API int TOVR_dbFindMatch(TOVR_Db* h, const char* key) {
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return tovr::kDbBadHandle;
  return guarded(tovr::kDbNotFound, [&] { return tovr::find_match(*icb, key); });
}

TOVR_API int TOVR_dbNextMatch(TOVR_Db* h, char* tail) {
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return tovr::kDbBadHandle;
  return guarded(-1, [&] { return tovr::next_match(*icb, tail); });
}

TOVR_API int TOVR_dbInsertGroup(TOVR_Db* h, const char* key, const int* recPtrs) {
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return tovr::kDbBadHandle;
  return guarded(tovr::kDbNoSpace, [&] { return tovr::insert_group(*icb, key, recPtrs); });
}

TOVR_API int TOVR_dbSetInsertCacheSize(TOVR_Db* h, int capacity) {
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return tovr::kDbBadHandle;
  return guarded(tovr::kDbBadHandle, [&] { return tovr::set_insert_cache_size(*icb, capacity); });
}

TOVR_API int TOVR_dbFlushInsertCache(TOVR_Db* h) {
  tovr::Icb* icb = icb_of(h);
  if (icb == nullptr) return tovr::kDbBadHandle;
  return guarded(tovr::kDbNoSpace, [&] { return tovr::flush_insert_cache(*icb); });
}

}  // extern "C"

// Exported functions of the match key family. The control block carries no type tag, so a
// handle is checked for null only. Nothing inside throws, but no exception may ever cross
// the C boundary: anything caught becomes the family's "no memory" status.
#include <cstring>

#include "include/tovr.h"
#include "matchkey/match_key.h"
#include "matchkey/match_key_record.h"

namespace {

template <class Fn>
int guarded(Fn fn) noexcept {
  try {
    return fn();
  } catch (...) {
    return tovr::kMkNoMemory;
  }
}

}  // namespace

extern "C" {

TOVR_API int TOVR_mkInit(TOVR_Mk** handle) {
  if (handle == nullptr) return tovr::kMkNameInvalid;
  *handle = nullptr;
  return guarded([&] { return tovr::mk_create(handle); });
}

TOVR_API void TOVR_mkClose(TOVR_Mk* handle) {
  guarded([&] {
    tovr::mk_destroy(handle);
    return tovr::kMkOk;
  });
}

TOVR_API void TOVR_mkQueryCodeEnum(int code, char* text) {
  if (text == nullptr) return;
  const char* message = tovr::mk_code_text(code);
  std::memcpy(text, message, std::strlen(message) + 1);
}

TOVR_API int TOVR_mkAttrib(TOVR_Mk* h, const char* mk, const char* field, char* type, short* offset,
                           short* length, char* missing) {
  return guarded([&] { return tovr::mk_attributes(h, mk, field, type, offset, length, missing); });
}

TOVR_API int TOVR_mkClear(TOVR_Mk* h, const char* mk) {
  return guarded([&] { return tovr::mk_clear(h, mk); });
}

TOVR_API int TOVR_mkCopy(TOVR_Mk* h, const char* mk, char* out) {
  return guarded([&] { return tovr::mk_copy(h, mk, out); });
}

TOVR_API int TOVR_mkFree(TOVR_Mk* h, const char* mk) {
  return guarded([&] { return tovr::mk_remove_layout(h, mk); });
}

TOVR_API int TOVR_mkGet(TOVR_Mk* h, const char* mk, const char* field, char* out) {
  return guarded([&] { return tovr::mk_get(h, mk, field, out); });
}

TOVR_API int TOVR_mkGetFieldDef(TOVR_Mk* h, const char* mk, short index, char* name, char* type,
                                short* offset, short* length) {
  return guarded([&] { return tovr::mk_field_def(h, mk, index, name, type, offset, length); });
}

TOVR_API int TOVR_mkGetLen(TOVR_Mk* h, const char* mk, short* length) {
  return guarded([&] { return tovr::mk_record_length(h, mk, length); });
}

TOVR_API int TOVR_mkGetNumFields(TOVR_Mk* h, const char* mk, short* count) {
  return guarded([&] { return tovr::mk_field_count(h, mk, count); });
}

TOVR_API int TOVR_mkSet(TOVR_Mk* h, const char* mk, const char* field, char* value) {
  return guarded([&] { return tovr::mk_set(h, mk, field, value); });
}

}  // extern "C"

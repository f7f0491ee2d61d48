#include "frame/callbacks.h"

#include <cfenv>
#include <cstdio>
#include <cstdlib>

namespace tovr {
namespace {

// Process-wide, unguarded: hosts set the table up before any other thread uses the library.
TOVR_Callback g_slots[kCallbackSlots];
int g_initialised = 0;

void* default_malloc(size_t size) { return std::malloc(size); }
void* default_realloc(void* p, size_t size) { return std::realloc(p, size); }
void default_free(void* p) { std::free(p); }
void* default_fopen(const char* name, const char* mode) { return std::fopen(name, mode); }
int default_fclose(void* s) { return std::fclose(static_cast<FILE*>(s)); }
int default_fflush(void* s) { return std::fflush(static_cast<FILE*>(s)); }
int default_feof(void* s) { return std::feof(static_cast<FILE*>(s)); }
int default_fseek(void* s, long offset, int origin) {
  return std::fseek(static_cast<FILE*>(s), offset, origin);
}
void default_rewind(void* s) { std::rewind(static_cast<FILE*>(s)); }
int default_fgetc(void* s) { return std::fgetc(static_cast<FILE*>(s)); }
char* default_fgets(char* buf, int size, void* s) {
  return std::fgets(buf, size, static_cast<FILE*>(s));
}
size_t default_fread(void* buf, size_t size, size_t count, void* s) {
  return std::fread(buf, size, count, static_cast<FILE*>(s));
}
size_t default_fwrite(const void* buf, size_t size, size_t count, void* s) {
  return std::fwrite(buf, size, count, static_cast<FILE*>(s));
}
int default_printf(const char* text) { return std::fputs(text, stdout); }

template <class Fn>
TOVR_Callback as_slot(Fn fn) {
  return reinterpret_cast<TOVR_Callback>(fn);
}

// Masks every floating-point exception of the calling thread, so that division by zero,
// overflow and invalid operations give infinities and NaNs instead of traps.
void mask_float_exceptions() {
#if defined(__GLIBC__) && defined(FE_ALL_EXCEPT)
  fedisableexcept(FE_ALL_EXCEPT);
#endif
  std::feclearexcept(FE_ALL_EXCEPT);
}

bool valid_slot(int index) { return index >= 0 && index < kCallbackSlots; }

}  // namespace

TOVR_Callback callback_slot(int index) { return g_slots[index]; }

namespace {

TOVR_Callback default_callback(int index) {
  switch (index) {
    case TOVRCB_Malloc:
      return as_slot(&default_malloc);
    case TOVRCB_Realloc:
      return as_slot(&default_realloc);
    case TOVRCB_Free:
      return as_slot(&default_free);
    case TOVRCB_Fopen:
      return as_slot(&default_fopen);
    case TOVRCB_Fclose:
      return as_slot(&default_fclose);
    case TOVRCB_Fflush:
      return as_slot(&default_fflush);
    case TOVRCB_Feof:
      return as_slot(&default_feof);
    case TOVRCB_Fseek:
      return as_slot(&default_fseek);
    case TOVRCB_Rewind:
      return as_slot(&default_rewind);
    case TOVRCB_Fgetc:
      return as_slot(&default_fgetc);
    case TOVRCB_Fgets:
      return as_slot(&default_fgets);
    case TOVRCB_Fread:
      return as_slot(&default_fread);
    case TOVRCB_Fwrite:
      return as_slot(&default_fwrite);
    case TOVRCB_Printf:
      return as_slot(&default_printf);
    default:
      return nullptr;
  }
}

}  // namespace

bool callback_is_default(int index) {
  if (!valid_slot(index)) return false;
  const TOVR_Callback own = default_callback(index);
  return own != nullptr && g_slots[index] == own;
}

}  // namespace tovr

using namespace tovr;

extern "C" {

TOVR_API void TOVR_cbReset(void) {
  // Slot 14 has no function of the library's own and keeps what it holds.
  for (int i = 0; i < kCallbackSlots; ++i) {
    const TOVR_Callback own = default_callback(i);
    if (own != nullptr) g_slots[i] = own;
  }
}

TOVR_API void TOVR_LibInit(void) {
  if (g_initialised != 0) return;
  TOVR_cbReset();
  g_initialised = 1;
  mask_float_exceptions();
}

TOVR_API void TOVR_LibExit(void) { g_initialised = 0; }

TOVR_API TOVR_Callback TOVR_cbSet(int index, TOVR_Callback fn) {
  if (!valid_slot(index)) return nullptr;
  g_slots[index] = fn;
  return fn;
}

TOVR_API TOVR_Callback TOVR_cbGet(int index) {
  if (!valid_slot(index)) return nullptr;
  return g_slots[index];
}

}  // extern "C"

// The exported functions of the standardizer engine: check the handle, run the record loop,
// and keep every exception inside the library.
#include <cstring>

#include "frame/handle.h"
#include "include/tovr.h"
#include "stancomp/as_codes.h"
#include "stancomp/stan.h"
#include "stanengine/engine_status.h"
#include "stanengine/proc_stan.h"

namespace {

// Nothing below allocates through a container; should anything throw all the same, the
// family's allocation failure code is the answer.
constexpr int kNoMemory = 35;

}  // namespace

extern "C" {

TOVR_API int TOVR_asProcStan(TOVR_Stan* h, char* inputArea, char* keys, char* auxText,
                             short* firstCall, char* originalRecord) {
  if (!tovr::has_tag(h, tovr::kStanTag)) return tovr::as_status::kInvalidHandle;
  if (inputArea == nullptr || originalRecord == nullptr) return tovr::as_status::kInvalidHandle;
  try {
    return tovr::proc_stan(*tovr::as_stan(h), inputArea, keys, auxText, firstCall, originalRecord);
  } catch (...) {
    return kNoMemory;
  }
}

TOVR_API int TOVR_asSetNewFormats(TOVR_Stan* h) {
  if (!tovr::has_tag(h, tovr::kStanTag)) return tovr::as_status::kInvalidHandle;
  try {
    tovr::prepare_engine(*tovr::as_stan(h));
  } catch (...) {
    return kNoMemory;
  }
  return tovr::as_status::kOk;
}

TOVR_API void TOVR_asQueryCodeEnum(int code, char* text) {
  if (text == nullptr) return;
  const char* message = tovr::as_code_text(code);
  std::memcpy(text, message, std::strlen(message) + 1);
}

}  // extern "C"

// The exported standardizer functions of the compiler: check the handle, run the compile or
// the release, and keep every exception inside the library.
#include "frame/handle.h"
#include "include/tovr.h"
#include "stancomp/as_codes.h"
#include "stancomp/stan.h"
#include "stancomp/stan_close.h"
#include "stancomp/stan_compile.h"

extern "C" {

TOVR_API short TOVR_asStanComp(const char* stanFile, TOVR_Stan** handle, TOVR_Mk* mk,
                               short* totalKeyLength) {
  try {
    return tovr::compile_stan(stanFile, handle, mk, totalKeyLength, tovr::CompileOptions{});
  } catch (...) {
    return 1;
  }
}

TOVR_API int TOVR_asCloseStan(TOVR_Stan* handle) {
  if (!tovr::has_tag(handle, tovr::kStanTag)) return tovr::kAsInvalidHandle;
  try {
    return tovr::close_stan(tovr::as_stan(handle));
  } catch (...) {
    return tovr::kAsInvalidHandle;
  }
}

}  // extern "C"

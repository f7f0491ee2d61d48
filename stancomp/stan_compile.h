// TOVR_asStanComp inside: reads a standardizer file and builds the Stan block.
#pragma once

#include "include/tovr.h"

namespace tovr {

struct CompileOptions {
  // Off: the compile stops short of the pattern files (used where the pattern files are not
  // the point, such as tests of the file reader).
  bool compile_patterns = true;
};

// Result 0 or 1. *handle receives the block as soon as it exists, so a failed compile leaves
// it for TOVR_asCloseStan.
short compile_stan(const char* file_name, TOVR_Stan** handle, TOVR_Mk* mk, short* total_key_length,
                   const CompileOptions& options);

}  // namespace tovr

// TOVR_asProcStan and TOVR_asSetNewFormats inside.
#pragma once

#include "stancomp/stan.h"

namespace tovr {

// Fills the per-line format tables and makes ready, once, what the first records would
// otherwise allocate (the scratch token list, conversion tables named by file, the result
// lists of proximity searches), so that standardizing a record allocates nothing.
void prepare_engine(Stan& stan);

// One record: read it, run every process in process order, write the output lines, hand
// back the keys and the auxiliary text. 0 for a processed record, 11 at the end of the input,
// or the status code of the first failure. A block that the compile left incomplete gives 1.
int proc_stan(Stan& stan, char* area, char* keys, char* aux, short* first_call, char* original);

}  // namespace tovr

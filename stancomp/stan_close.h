// TOVR_asCloseStan inside: releases a Stan block and everything it owns.
#pragma once

#include "stancomp/stan.h"

namespace tovr {

// Closes the output files, releases the tokenizer block, the compiled program, the match key
// layouts the block loaded and every buffer, then the block. Works on a block left behind by
// a failed compile (null pointers are skipped). Result 0, 16 when a token list cannot be
// released, 23 when a layout cannot be removed; the release goes on in both cases, so that
// nothing is left behind.
int close_stan(Stan* stan);

}  // namespace tovr

#include "stancomp/stan.h"

#include <cstring>

namespace tovr {
namespace {

// One row of blanks shared by every standardizer of the process; it never changes after it
// has been filled, so concurrent readers see the same bytes.
char g_output_blanks[kOutputBlanks + 1];

}  // namespace

const char* output_blanks() { return g_output_blanks; }

void fill_output_blanks() {
  std::memset(g_output_blanks, ' ', kOutputBlanks);
  g_output_blanks[kOutputBlanks] = '\0';
}

}  // namespace tovr

#include "stancomp/stan.h"

#include <cstring>

namespace tovr {
namespace {

// One row of blanks shared by every standardizer of the process. It is filled once, by the
// first compile, and never written again: compiles on other threads then neither write it
// again nor race with the threads that read it.
char g_output_blanks[kOutputBlanks + 1];

}  // namespace

const char* output_blanks() { return g_output_blanks; }

void fill_output_blanks() {
  // A function-local static is initialized exactly once, and every later caller sees it
  // done: the fill happens before any caller returns.
  static const bool filled = [] {
    std::memset(g_output_blanks, ' ', kOutputBlanks);
    g_output_blanks[kOutputBlanks] = '\0';
    return true;
  }();
  (void)filled;
}

}  // namespace tovr

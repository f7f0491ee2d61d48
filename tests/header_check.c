/* Compiled as C: the public header must be valid C and link against the shared library. */
#include "tovr.h"

int main(void) {
  TOVR_LibInit();
  if (TOVR_cbGet(TOVRCB_Malloc) == 0) return 1;
  if (TOVR_cbGet(TOVRCB_Fprintf) != 0) return 2;
  TOVR_LibExit();
  return 0;
}

// Test entry point: every test program starts with the library initialised, as a host would.
#include <gtest/gtest.h>

#include "tovr.h"

int main(int argc, char** argv) {
  TOVR_LibInit();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

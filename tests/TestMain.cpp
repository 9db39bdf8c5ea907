#include <gtest/gtest.h>

// The test programs are built with -municode like the updater, so they need a wide entry point.
int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// Test runner for tests with real windows: starts the toolkit on the X
// display first.
#include <gtest/gtest.h>

#include "client/platform/ui.h"

namespace {
int RunAll() { return RUN_ALL_TESTS(); }
}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests (at build time, without a display) needs no toolkit.
  if (GTEST_FLAG_GET(list_tests)) return RunAll();
  return platform::RunApplication(argc, argv, RunAll);
}

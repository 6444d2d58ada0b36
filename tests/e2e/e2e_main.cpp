// Test entry: accepts --zolt=PATH to choose the binary under test.
#include <gtest/gtest.h>

#include <cstring>

#include "e2e/harness.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--zolt=", 7) == 0) e2e::SetZoltPath(argv[i] + 7);
  }
  return RUN_ALL_TESTS();
}

#include "support/platform.h"

namespace zolt {

namespace {
Platform* g_platform = nullptr;
}  // namespace

Platform& Sys() {
  return g_platform ? *g_platform : NativePlatform();
}

Platform* SetPlatform(Platform* platform) {
  Platform* previous = g_platform;
  g_platform = platform;
  return previous;
}

}  // namespace zolt

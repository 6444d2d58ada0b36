#include "support/platform.h"

namespace zolt {

namespace {
Platform* g_platform = nullptr;
}  // namespace

int64_t Platform::CopyFileData(int, int, size_t) {
  return -1;
}

int64_t Platform::Peek(int, void*, size_t, uint64_t) {
  return -1;
}

bool Platform::CanRead(int) {
  return true;
}

Platform& Sys() {
  return g_platform ? *g_platform : NativePlatform();
}

Platform* SetPlatform(Platform* platform) {
  Platform* previous = g_platform;
  g_platform = platform;
  return previous;
}

}  // namespace zolt

#include "support/platform.h"

#include "support/wide_masks.h"

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

bool Platform::WideVectors() {
#if ZOLT_WIDE_VECTORS
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

bool Platform::WidestVectors() {
#if ZOLT_WIDE_VECTORS
  return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi") &&
         __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("bmi2");
#else
  return false;
#endif
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

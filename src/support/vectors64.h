// 64-byte vectors (AVX-512 BW with the byte shuffles of VBMI and VBMI2) for
// the loops that have a version for them, taken where the processor has
// them and the job may use wide vectors at all (Platform::WideVectors). Such
// a loop is a function marked ZOLT_PATH64; where the compiler cannot target
// them (as for the 32-byte vectors of wide_masks.h) there is none.
#pragma once

#include <cstdint>

#include "support/wide_masks.h"

#if ZOLT_WIDE_VECTORS
#define ZOLT_VECTORS64 1
#define ZOLT_TARGET64 "avx2,bmi,bmi2,popcnt,avx512f,avx512bw,avx512vbmi,avx512vbmi2"
#define ZOLT_PATH64 __attribute__((target(ZOLT_TARGET64), flatten))
#define ZOLT_ONLY64 __attribute__((target(ZOLT_TARGET64)))
#else
#define ZOLT_VECTORS64 0
#endif

namespace zolt {

#if ZOLT_VECTORS64

// Whether the processor has the instructions of ZOLT_TARGET64.
inline bool HasVectors64() {
  return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi") &&
         __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("bmi2");
}

// The members of NarrowMasks that the 64-byte loops use, one vector a chunk.
struct Masks64 {
  ZOLT_ONLY64 static uint64_t Equal(const unsigned char* p, unsigned char c) {
    return _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(p), _mm512_set1_epi8(static_cast<char>(c)));
  }
};

#else
// No 64-byte loop is compiled.
inline bool HasVectors64() {
  return false;
}
#endif

}  // namespace zolt

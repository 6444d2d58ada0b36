// The chunk masks of byte_masks.h in three widths, for filters that run the
// same loop with either: NarrowMasks with 16-byte vectors (SSE2, or plain
// bytes where there is none) and WideMasks with 32-byte vectors (AVX2).
// A filter picks the wide loop once per job when Platform::WideVectors says
// the processor has them. The wide loop is a function marked
// ZOLT_WIDE_PATH: compiled for AVX2, with everything it calls inlined into
// it. Where the compiler cannot target AVX2 (other processors, and the
// Win32 build, whose stack is not aligned for 32-byte spills) the wide
// masks are the narrow ones.
//
// WidestMasks does the same with 64-byte vectors and compare-into-mask
// instructions (AVX-512 BW, with VBMI2 for dropping bytes), in loops marked
// ZOLT_WIDEST_PATH and taken when Platform::WidestVectors says so; where
// there are none it is WideMasks.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "support/byte_masks.h"
#include "support/platform.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__) && !defined(_WIN32)
#define ZOLT_WIDE_VECTORS 1
#include <immintrin.h>
#define ZOLT_WIDE_PATH __attribute__((target("avx2"), flatten))
#define ZOLT_WIDE_ONLY __attribute__((target("avx2")))
#define ZOLT_WIDEST_PATH \
  __attribute__((target("avx2,bmi,bmi2,popcnt,avx512f,avx512bw,avx512vbmi,avx512vbmi2"), flatten))
#define ZOLT_WIDEST_ONLY \
  __attribute__((target("avx2,bmi,bmi2,popcnt,avx512f,avx512bw,avx512vbmi,avx512vbmi2")))
#else
#define ZOLT_WIDE_VECTORS 0
#define ZOLT_WIDE_PATH
#define ZOLT_WIDEST_PATH
#endif

namespace zolt {

// The widest vectors the platform lets the filters take.
inline VectorWidth FilterVectors() {
  if (Sys().WidestVectors()) return VectorWidth::k64;
  return Sys().WideVectors() ? VectorWidth::k32 : VectorWidth::k16;
}

// `mask` as a value in a general register: keeps the compiler from doing
// the arithmetic on it in mask registers, whose moves to and from general
// ones lengthen a chain that runs from chunk to chunk.
inline uint64_t InRegister(uint64_t mask) {
#if ZOLT_WIDE_VECTORS
  asm("" : "+r"(mask));
#endif
  return mask;
}

struct NarrowMasks {
  // Bytes a vector step of the newline filters takes.
  static constexpr size_t kStep = 16;
  // Mask of the bytes equal to c among p[0..63].
  static uint64_t Equal(const unsigned char* p, unsigned char c) {
    return EqualMask(p, kMaskChunk, c);
  }
  // Mask of the bytes b of p[0..63] with lo <= (b ^ flip) <= hi.
  static uint64_t Range(const unsigned char* p, unsigned char lo, unsigned char hi,
                        unsigned char flip = 0) {
    return RangeMask(p, lo, hi, flip);
  }
  // Mask of the bytes below `limit` among p[0..63].
  static uint64_t Below(const unsigned char* p, unsigned char limit) {
    return BelowMask(p, kMaskChunk, limit);
  }
  // Mask of the bytes that can open a double-byte character in p[0..63].
  static uint64_t Lead(const unsigned char* p) { return LeadMask(p); }
  // As FlipRangeExcept in byte_masks.h.
  static void FlipExcept(unsigned char* p, unsigned char lo, unsigned char hi, uint64_t except,
                         unsigned char bits) {
    FlipRangeExcept(p, lo, hi, except, bits);
  }
  // As HasStrayControl in byte_masks.h.
  static bool StrayControl(const unsigned char* p) { return HasStrayControl(p); }
  // Whether every CR among p[0..63] has an LF right after it and every LF
  // among p[1..64] a CR right before it.
  static bool PairedNewlines(const unsigned char* p) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    __m128i odd = _mm_setzero_si128();
    for (size_t k = 0; k < 4; ++k) {
      __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
      __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k + 1));
      odd = _mm_or_si128(odd, _mm_xor_si128(_mm_cmpeq_epi8(here, cr), _mm_cmpeq_epi8(next, lf)));
    }
    return _mm_movemask_epi8(odd) == 0;
#else
    for (size_t i = 0; i < kMaskChunk; ++i) {
      if ((p[i] == '\r') != (p[i + 1] == '\n')) return false;
    }
    return true;
#endif
  }
  // Mask of the bytes equal to c among the kStep bytes at p.
  static uint64_t StepEqual(const unsigned char* p, unsigned char c) {
    return EqualMask16(p, c);
  }
  // Copies kStep bytes.
  static void StepCopy(char* to, const char* from) {
    std::memcpy(to, from, kStep);
  }
};

#if ZOLT_WIDE_VECTORS

// The members of NarrowMasks, 32 bytes at a time.
struct WideMasks {
  static constexpr size_t kStep = 32;

  ZOLT_WIDE_ONLY static __m256i Load(const unsigned char* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  }
  ZOLT_WIDE_ONLY static uint64_t Bits(__m256i low, __m256i high) {
    return static_cast<uint32_t>(_mm256_movemask_epi8(low)) |
           static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(high))) << 32;
  }
  // 0xFF in the lanes of v with lo <= byte <= hi.
  ZOLT_WIDE_ONLY static __m256i InRange(__m256i v, unsigned char lo, unsigned char hi) {
    __m256i above_lo = _mm256_sub_epi8(v, _mm256_set1_epi8(static_cast<char>(lo)));
    __m256i span = _mm256_set1_epi8(static_cast<char>(hi - lo));
    return _mm256_cmpeq_epi8(_mm256_min_epu8(above_lo, span), above_lo);
  }
  ZOLT_WIDE_ONLY static uint64_t Equal(const unsigned char* p, unsigned char c) {
    const __m256i want = _mm256_set1_epi8(static_cast<char>(c));
    return Bits(_mm256_cmpeq_epi8(Load(p), want), _mm256_cmpeq_epi8(Load(p + 32), want));
  }
  ZOLT_WIDE_ONLY static uint64_t Range(const unsigned char* p, unsigned char lo, unsigned char hi,
                                       unsigned char flip = 0) {
    const __m256i flips = _mm256_set1_epi8(static_cast<char>(flip));
    return Bits(InRange(_mm256_xor_si256(Load(p), flips), lo, hi),
                InRange(_mm256_xor_si256(Load(p + 32), flips), lo, hi));
  }
  ZOLT_WIDE_ONLY static uint64_t Below(const unsigned char* p, unsigned char limit) {
    if (limit == 0) return 0;
    const __m256i top = _mm256_set1_epi8(static_cast<char>(limit - 1));
    __m256i low = Load(p), high = Load(p + 32);
    return Bits(_mm256_cmpeq_epi8(_mm256_min_epu8(low, top), low),
                _mm256_cmpeq_epi8(_mm256_min_epu8(high, top), high));
  }
  ZOLT_WIDE_ONLY static uint64_t Lead(const unsigned char* p) { return Range(p, 0xA1, 0xDC, 0x20); }
  // Bits 0-31 of `bits` spread over the 32 lanes: 0xFF where the bit is set.
  ZOLT_WIDE_ONLY static __m256i SpreadBits(uint32_t bits) {
    const __m256i index = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1,  //
                                           2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3);
    const __m256i select = _mm256_set1_epi64x(static_cast<int64_t>(0x8040201008040201ULL));
    __m256i v = _mm256_shuffle_epi8(_mm256_set1_epi32(static_cast<int>(bits)), index);
    return _mm256_cmpeq_epi8(_mm256_and_si256(v, select), select);
  }
  ZOLT_WIDE_ONLY static void FlipExcept(unsigned char* p, unsigned char lo, unsigned char hi,
                                        uint64_t except, unsigned char bits) {
    const __m256i value = _mm256_set1_epi8(static_cast<char>(bits));
    for (size_t k = 0; k < 2; ++k) {
      auto* at = reinterpret_cast<__m256i*>(p + 32 * k);
      __m256i v = _mm256_loadu_si256(at);
      __m256i skip = SpreadBits(static_cast<uint32_t>(except >> (32 * k)));
      __m256i flip = _mm256_andnot_si256(skip, InRange(v, lo, hi));
      _mm256_storeu_si256(at, _mm256_xor_si256(v, _mm256_and_si256(flip, value)));
    }
  }
  ZOLT_WIDE_ONLY static bool StrayControl(const unsigned char* p) {
    __m256i stray = _mm256_setzero_si256();
    for (size_t k = 0; k < 2; ++k) {
      __m256i v = Load(p + 32 * k);
      __m256i next = Load(p + 32 * k + 1);
      __m256i control =
          _mm256_or_si256(InRange(v, 0, 0x1F), _mm256_cmpeq_epi8(v, _mm256_set1_epi8(0x7F)));
      __m256i tab_lf = InRange(v, '\t', '\n');
      __m256i cr_lf = _mm256_and_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('\r')),
                                       _mm256_cmpeq_epi8(next, _mm256_set1_epi8('\n')));
      stray = _mm256_or_si256(stray, _mm256_andnot_si256(_mm256_or_si256(tab_lf, cr_lf), control));
    }
    return _mm256_movemask_epi8(stray) != 0;
  }
  ZOLT_WIDE_ONLY static bool PairedNewlines(const unsigned char* p) {
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    __m256i odd = _mm256_or_si256(
        _mm256_xor_si256(_mm256_cmpeq_epi8(Load(p), cr), _mm256_cmpeq_epi8(Load(p + 1), lf)),
        _mm256_xor_si256(_mm256_cmpeq_epi8(Load(p + 32), cr), _mm256_cmpeq_epi8(Load(p + 33), lf)));
    return _mm256_testz_si256(odd, odd) != 0;
  }
  ZOLT_WIDE_ONLY static uint64_t StepEqual(const unsigned char* p, unsigned char c) {
    return static_cast<uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(Load(p), _mm256_set1_epi8(static_cast<char>(c)))));
  }
  ZOLT_WIDE_ONLY static void StepCopy(char* to, const char* from) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to),
                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)));
  }
};

// The members of NarrowMasks used by the chunk loops, 64 bytes at a time,
// each mask straight from a compare; and the compaction of the newline
// filters.
struct WidestMasks {
  static constexpr size_t kStep = 64;

  ZOLT_WIDEST_ONLY static __m512i Load(const unsigned char* p) { return _mm512_loadu_si512(p); }
  ZOLT_WIDEST_ONLY static __m512i Bytes(unsigned char c) {
    return _mm512_set1_epi8(static_cast<char>(c));
  }
  // Mask of the lanes of v with lo <= byte <= hi.
  ZOLT_WIDEST_ONLY static uint64_t InRange(__m512i v, unsigned char lo, unsigned char hi) {
    return _mm512_cmple_epu8_mask(_mm512_sub_epi8(v, Bytes(lo)), Bytes(hi - lo));
  }
  ZOLT_WIDEST_ONLY static uint64_t Equal(const unsigned char* p, unsigned char c) {
    return _mm512_cmpeq_epi8_mask(Load(p), Bytes(c));
  }
  ZOLT_WIDEST_ONLY static uint64_t Range(const unsigned char* p, unsigned char lo, unsigned char hi,
                                         unsigned char flip = 0) {
    return InRange(_mm512_xor_si512(Load(p), Bytes(flip)), lo, hi);
  }
  ZOLT_WIDEST_ONLY static uint64_t Below(const unsigned char* p, unsigned char limit) {
    return _mm512_cmplt_epu8_mask(Load(p), Bytes(limit));
  }
  ZOLT_WIDEST_ONLY static uint64_t Lead(const unsigned char* p) {
    return Range(p, 0xA1, 0xDC, 0x20);
  }
  ZOLT_WIDEST_ONLY static void FlipExcept(unsigned char* p, unsigned char lo, unsigned char hi,
                                          uint64_t except, unsigned char bits) {
    __m512i v = Load(p);
    uint64_t flip = InRange(v, lo, hi) & ~except;
    _mm512_storeu_si512(p, _mm512_xor_si512(v, _mm512_maskz_mov_epi8(flip, Bytes(bits))));
  }
  ZOLT_WIDEST_ONLY static bool StrayControl(const unsigned char* p) {
    __m512i v = Load(p);
    uint64_t control = InRange(v, 0, 0x1F) | _mm512_cmpeq_epi8_mask(v, Bytes(0x7F));
    uint64_t cr_lf = _mm512_cmpeq_epi8_mask(v, Bytes('\r')) & Equal(p + 1, '\n');
    return (control & ~(InRange(v, '\t', '\n') | cr_lf)) != 0;
  }
  ZOLT_WIDEST_ONLY static bool PairedNewlines(const unsigned char* p) {
    return Equal(p, '\r') == Equal(p + 1, '\n');
  }
  // Stores at o (64 bytes of room) the bytes of p[0..63] whose bit in
  // `keep` is set, in order, those whose bit in `replace` is set as `with`;
  // returns how many.
  ZOLT_WIDEST_ONLY static size_t StoreKept(const unsigned char* p, uint64_t keep, uint64_t replace,
                                           unsigned char with, char* o) {
    __m512i v = _mm512_mask_mov_epi8(Load(p), replace, Bytes(with));
    _mm512_storeu_si512(o, _mm512_maskz_compress_epi8(keep, v));
    return static_cast<size_t>(std::popcount(keep));
  }
};

#else
using WideMasks = NarrowMasks;
using WidestMasks = NarrowMasks;
#endif

}  // namespace zolt

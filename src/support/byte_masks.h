// Bit masks over 64-byte chunks of text, for filters that look for a few
// kinds of byte: bit i of a mask stands for byte i of the chunk.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "support/ascii.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zolt {

constexpr size_t kMaskChunk = 64;

#if defined(__SSE2__)
// The lanes of v whose byte b has lo <= b <= hi set to 0xFF, the others 0.
inline __m128i InRange16(__m128i v, unsigned char lo, unsigned char hi) {
  __m128i above_lo = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(lo)));
  __m128i span = _mm_set1_epi8(static_cast<char>(hi - lo));
  return _mm_cmpeq_epi8(_mm_min_epu8(above_lo, span), above_lo);
}

// Bits 0-15 of `bits` spread over the 16 lanes: 0xFF where the bit is set.
inline __m128i SpreadBits16(uint32_t bits) {
  const __m128i select = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
  __m128i v = _mm_cvtsi32_si128(static_cast<int>(bits));
  v = _mm_unpacklo_epi8(v, v);   // low, low, high, high
  v = _mm_unpacklo_epi16(v, v);  // four each
  v = _mm_unpacklo_epi32(v, v);  // eight each
  return _mm_cmpeq_epi8(_mm_and_si128(v, select), select);
}
#endif

// Mask of the bytes b of p[0..63] with lo <= (b ^ flip) <= hi.
inline uint64_t RangeMask(const unsigned char* p, unsigned char lo, unsigned char hi,
                          unsigned char flip = 0) {
#if defined(__SSE2__)
  const __m128i flips = _mm_set1_epi8(static_cast<char>(flip));
  uint64_t mask = 0;
  for (size_t k = 0; k < 4; ++k) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    __m128i in = InRange16(_mm_xor_si128(v, flips), lo, hi);
    mask |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(in))) << (16 * k);
  }
  return mask;
#else
  uint64_t mask = 0;
  for (size_t i = 0; i < kMaskChunk; ++i) {
    unsigned char b = p[i] ^ flip;
    mask |= static_cast<uint64_t>(b >= lo && b <= hi) << i;
  }
  return mask;
#endif
}

// Mask of the bytes equal to `c` among the first n (at most 64) of p.
inline uint64_t EqualMask(const unsigned char* p, size_t n, unsigned char c) {
#if defined(__SSE2__)
  if (n == kMaskChunk) {
    const __m128i want = _mm_set1_epi8(static_cast<char>(c));
    uint64_t mask = 0;
    for (size_t k = 0; k < 4; ++k) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
      uint32_t bits = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, want))) & 0xFFFF;
      mask |= static_cast<uint64_t>(bits) << (16 * k);
    }
    return mask;
  }
#endif
  uint64_t mask = 0;
  for (size_t i = 0; i < n; ++i) mask |= static_cast<uint64_t>(p[i] == c) << i;
  return mask;
}

// Mask of the bytes i of p[0..63] equal to `a` with p[i + 1] equal to `b`;
// p[64] must be readable. Chunks without such a pair cost one test.
inline uint64_t PairMask(const unsigned char* p, unsigned char a, unsigned char b) {
#if defined(__SSE2__)
  const __m128i want_a = _mm_set1_epi8(static_cast<char>(a));
  const __m128i want_b = _mm_set1_epi8(static_cast<char>(b));
  __m128i pairs[4];
  __m128i any = _mm_setzero_si128();
  for (size_t k = 0; k < 4; ++k) {
    __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k + 1));
    pairs[k] = _mm_and_si128(_mm_cmpeq_epi8(here, want_a), _mm_cmpeq_epi8(next, want_b));
    any = _mm_or_si128(any, pairs[k]);
  }
  if (_mm_movemask_epi8(any) == 0) return 0;
  uint64_t mask = 0;
  for (size_t k = 0; k < 4; ++k) {
    uint32_t bits = static_cast<uint32_t>(_mm_movemask_epi8(pairs[k])) & 0xFFFF;
    mask |= static_cast<uint64_t>(bits) << (16 * k);
  }
  return mask;
#else
  uint64_t mask = 0;
  for (size_t i = 0; i < kMaskChunk; ++i)
    mask |= static_cast<uint64_t>(p[i] == a && p[i + 1] == b) << i;
  return mask;
#endif
}

// Mask of the bytes equal to `c` among p[0..15].
inline uint32_t EqualMask16(const unsigned char* p, unsigned char c) {
#if defined(__SSE2__)
  __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return static_cast<uint32_t>(
      _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(c)))));
#else
  return static_cast<uint32_t>(EqualMask(p, 16, c));
#endif
}

// Mask of the bytes below `limit` among the first n (at most 64) of p.
inline uint64_t BelowMask(const unsigned char* p, size_t n, unsigned char limit) {
#if defined(__SSE2__)
  if (n == kMaskChunk) {
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i bound = _mm_set1_epi8(static_cast<char>(limit ^ 0x80));
    uint64_t mask = 0;
    for (size_t k = 0; k < 4; ++k) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
      __m128i below = _mm_cmplt_epi8(_mm_xor_si128(v, flip), bound);
      uint32_t bits = static_cast<uint32_t>(_mm_movemask_epi8(below)) & 0xFFFF;
      mask |= static_cast<uint64_t>(bits) << (16 * k);
    }
    return mask;
  }
#endif
  uint64_t mask = 0;
  for (size_t i = 0; i < n; ++i) mask |= static_cast<uint64_t>(p[i] < limit) << i;
  return mask;
}

// The last byte of [begin, end) equal to `a` or `b`, or nullptr when there
// is none; looks at 16 bytes a step from the end.
inline const char* FindLastOfTwo(const char* begin, const char* end, char a, char b) {
#if defined(__SSE2__)
  const __m128i want_a = _mm_set1_epi8(a);
  const __m128i want_b = _mm_set1_epi8(b);
  for (; end - begin >= 16; end -= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - 16));
    __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(v, want_a), _mm_cmpeq_epi8(v, want_b));
    auto bits = static_cast<uint32_t>(_mm_movemask_epi8(hit));
    if (bits != 0) return end - 16 + (31 - std::countl_zero(bits));
  }
#endif
  while (end > begin) {
    --end;
    if (*end == a || *end == b) return end;
  }
  return nullptr;
}

// Whether a and b agree on their first n bytes once a-z are taken for A-Z.
inline bool SameIgnoringCase(const char* a, const char* b, size_t n) {
  size_t i = 0;
#if defined(__SSE2__)
  // Two bytes differ only in case when they differ in bit 0x20 alone and
  // that bit set makes a small letter (compared in signed order, the top bit
  // flipped).
  const __m128i bit = _mm_set1_epi8(0x20);
  const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i below = _mm_set1_epi8(static_cast<char>(('a' - 1) ^ 0x80));
  const __m128i above = _mm_set1_epi8(static_cast<char>(('z' + 1) ^ 0x80));
  for (; n - i >= 16; i += 16) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    __m128i diff = _mm_xor_si128(x, y);
    __m128i same = _mm_cmpeq_epi8(diff, _mm_setzero_si128());
    if (_mm_movemask_epi8(same) == 0xFFFF) continue;
    __m128i small = _mm_xor_si128(_mm_or_si128(x, bit), flip);
    __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(small, below), _mm_cmplt_epi8(small, above));
    same = _mm_or_si128(same, _mm_and_si128(_mm_cmpeq_epi8(diff, bit), letter));
    if (_mm_movemask_epi8(same) != 0xFFFF) return false;
  }
#endif
  for (; i < n; ++i) {
    if (AsciiUpper(static_cast<unsigned char>(a[i])) !=
        AsciiUpper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// XORs `bits` into each byte b of p[0..63] with lo <= b <= hi whose bit in
// `except` is clear.
inline void FlipRangeExcept(unsigned char* p, unsigned char lo, unsigned char hi, uint64_t except,
                            unsigned char bits) {
#if defined(__SSE2__)
  const __m128i value = _mm_set1_epi8(static_cast<char>(bits));
  for (size_t k = 0; k < 4; ++k) {
    auto* at = reinterpret_cast<__m128i*>(p + 16 * k);
    __m128i v = _mm_loadu_si128(at);
    __m128i skip = SpreadBits16(static_cast<uint32_t>(except >> (16 * k)) & 0xFFFF);
    __m128i flip = _mm_andnot_si128(skip, InRange16(v, lo, hi));
    _mm_storeu_si128(at, _mm_xor_si128(v, _mm_and_si128(flip, value)));
  }
#else
  for (size_t i = 0; i < kMaskChunk; ++i) {
    if (p[i] >= lo && p[i] <= hi && ((except >> i) & 1) == 0) p[i] ^= bits;
  }
#endif
}

// Whether p[0..63] holds a control code (below 0x20, or 0x7F) other than
// TAB, LF, and a CR with an LF right after it; p[64] must be readable.
inline bool HasStrayControl(const unsigned char* p) {
#if defined(__SSE2__)
  __m128i stray = _mm_setzero_si128();
  for (size_t k = 0; k < 4; ++k) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k + 1));
    __m128i control = _mm_or_si128(InRange16(v, 0, 0x1F), _mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F)));
    __m128i tab_lf = InRange16(v, '\t', '\n');
    __m128i cr_lf = _mm_and_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                  _mm_cmpeq_epi8(next, _mm_set1_epi8('\n')));
    stray = _mm_or_si128(stray, _mm_andnot_si128(_mm_or_si128(tab_lf, cr_lf), control));
  }
  return _mm_movemask_epi8(stray) != 0;
#else
  for (size_t i = 0; i < kMaskChunk; ++i) {
    unsigned char b = p[i];
    bool control = b < 0x20 || b == 0x7F;
    if (control && b != '\t' && b != '\n' && !(b == '\r' && p[i + 1] == '\n')) return true;
  }
  return false;
#endif
}

// Mask of the bytes that can open a Shift-JIS double-byte character. With
// bit 0x20 flipped, the lead ranges 0x81-0x9F and 0xE0-0xFC become the one
// range 0xA1-0xDC.
inline uint64_t LeadMask(const unsigned char* p) {
  return RangeMask(p, 0xA1, 0xDC, 0x20);
}

// From the lead mask of a chunk, the bytes outside the lead range that are
// the second byte of a double-byte character, plus byte 0 when it is one.
// `carry` says on entry whether byte 0 is a second byte, and on return
// whether byte 0 of the next chunk is. Byte 0 of the chunk (after the carried
// partner) must start a character.
//
// A byte outside the lead range always ends a character, so each run of
// lead-range bytes starts a character and pairs up from its start: the byte
// after a run of odd length is that run's last partner. Adding a run's lowest
// bit to the mask carries past the run and lands on the byte after it; runs
// starting at even and odd bits are added separately so that the landing
// bit's parity tells the run's length.
inline uint64_t TrailMask(uint64_t lead, bool* carry) {
  constexpr uint64_t kEven = 0x5555555555555555ULL;
  constexpr uint64_t kOdd = ~kEven;
  uint64_t first = *carry ? 1 : 0;
  uint64_t runs = lead & ~first;
  uint64_t starts = runs & ~(runs << 1);
  uint64_t even_sum = runs + (starts & kEven);
  uint64_t odd_sum = runs + (starts & kOdd);
  uint64_t even_ends = even_sum & ~runs;
  uint64_t odd_ends = odd_sum & ~runs;
  // A run from an odd bit through bit 63 has odd length: its partner is the
  // next chunk's byte 0. The sum then wrapped around.
  *carry = odd_sum < runs;
  return (even_ends & kOdd) | (odd_ends & kEven) | first;
}

}  // namespace zolt

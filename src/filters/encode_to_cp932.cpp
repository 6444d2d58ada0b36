// UTF-8 to code page 932.
#include <algorithm>
#include <array>

#include "filters/encode.h"
#include "filters/encode_stream.h"

namespace zolt {

namespace {

// The bytes of CP932 code `code`, 0 when it is 0 (no code).
constexpr Packed PackCode(unsigned code) {
  if (code == 0) return 0;
  return code < 0x100 ? code | 1u << 24 : (code >> 8) | (code & 0xFF) << 8 | 2u << 24;
}

// By first byte, the length of a UTF-8 sequence of one to three bytes; 0
// for a byte that starts none.
constexpr auto kLength = [] {
  std::array<uint8_t, 256> length{};
  for (unsigned b = 0; b < 0xF0; ++b) length[b] = b < 0x80 ? 1 : b < 0xC2 ? 0 : b < 0xE0 ? 2 : 3;
  return length;
}();

// By length, the bytes of a word that a sequence of that length keeps.
constexpr uint32_t kKeep[4] = {0, 0xFF, 0xFFFF, 0xFFFFFF};

#if ZOLT_WIDE_VECTORS
// The byte offsets 0-63.
constexpr unsigned char kOffsets[kMaskChunk] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
    22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43,
    44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63};

// The bytes of the lanes of v with lo <= byte <= hi.
ZOLT_WIDEST_ONLY inline __mmask64 Within(__m512i v, char lo, char hi) {
  return _mm512_cmple_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8(lo)),
                                _mm512_set1_epi8(static_cast<char>(hi - lo)));
}

// Writes to *out the codes of the `count` BMP code points at points; false
// when one has no code, *out left as it was. The codes are all looked up
// before any is written, then written 32 at a time with 64-byte stores.
ZOLT_WIDEST_ONLY bool WideCodes(const uint16_t* points, int count, char** out) {
  uint16_t codes[kMaskChunk];
  unsigned least = ~0u;
  for (int k = 0; k < count; ++k)
    least = std::min<unsigned>(least, codes[k] = kCodeByPoint[points[k]]);
  if (least == 0) return false;
  char* o = *out;
  for (int k = 0; k < count; k += 32) {
    auto lanes = static_cast<__mmask32>(count - k >= 32 ? ~0u : (1u << (count - k)) - 1);
    __m512i v = _mm512_maskz_loadu_epi16(lanes, codes + k);
    __mmask64 bytes = _mm512_test_epi8_mask(v, v);  // the second byte of one byte is 0
    _mm512_storeu_si512(o, _mm512_maskz_compress_epi8(bytes, v));
    o += std::popcount(bytes);
  }
  *out = o;
  return true;
}

// The bytes of v shifted by `left` bits (right when negative) and masked,
// in 16-bit lanes: the bits carried in from the neighbouring byte are masked
// off.
ZOLT_WIDEST_ONLY inline __m512i ShiftBytes(__m512i v, int left, char mask) {
  __m512i shifted = left >= 0 ? _mm512_sll_epi16(v, _mm_cvtsi32_si128(left))
                              : _mm512_srl_epi16(v, _mm_cvtsi32_si128(-left));
  return _mm512_and_si512(shifted, _mm512_set1_epi8(mask));
}

// As Utf8Codec::Chunk past its ASCII copy, for a chunk whose characters up
// to its last start are all well-formed sequences of one to three bytes with
// a code: returns where it stopped; else nullptr, *out left as it was.
ZOLT_WIDEST_ONLY const unsigned char* WideChunk(const unsigned char* p, char** out) {
  __m512i v = _mm512_loadu_si512(p);
  uint64_t starts = ~_mm512_cmpeq_epi8_mask(_mm512_and_si512(v, _mm512_set1_epi8(-0x40)),
                                            _mm512_set1_epi8(-0x80));
  uint64_t ends = starts & (starts - 1);  // where the characters before them end
  if ((starts & 1) == 0 || ends == 0) return nullptr;
  const __m512i offsets = _mm512_loadu_si512(kOffsets);
  __m512i at = _mm512_maskz_compress_epi8(starts, offsets);
  __m512i length = _mm512_sub_epi8(_mm512_maskz_compress_epi8(ends, offsets), at);
  __m512i first = _mm512_maskz_permutexvar_epi8(~uint64_t{0}, at, v);
  // The length the first byte asks for must be the distance to the next start.
  __mmask64 one = _mm512_cmplt_epu8_mask(first, _mm512_set1_epi8(-0x80));
  __mmask64 three = Within(first, -0x20, -0x11);
  __mmask64 fits =
      (one & _mm512_cmpeq_epi8_mask(length, _mm512_set1_epi8(1))) |
      (Within(first, -0x3E, -0x21) & _mm512_cmpeq_epi8_mask(length, _mm512_set1_epi8(2))) |
      (three & _mm512_cmpeq_epi8_mask(length, _mm512_set1_epi8(3)));
  int count = std::popcount(ends);
  uint64_t characters = count == 64 ? ~uint64_t{0} : (uint64_t{1} << count) - 1;
  if ((characters & ~fits) != 0) return nullptr;
  __m512i second = _mm512_maskz_permutexvar_epi8(~one, _mm512_add_epi8(at, _mm512_set1_epi8(1)), v);
  __m512i third = _mm512_maskz_permutexvar_epi8(three, _mm512_add_epi8(at, _mm512_set1_epi8(2)), v);
  // The code point's low and high bytes: 1 byte b0; 2 bytes 110aaabb
  // 10cccccc; 3 bytes 1110aaaa 10bbbbcc 10dddddd.
  const __m512i low6 = _mm512_set1_epi8(0x3F);
  __m512i low = _mm512_mask_blend_epi8(
      ~one, first, _mm512_or_si512(ShiftBytes(first, 6, -0x40), _mm512_and_si512(second, low6)));
  low = _mm512_mask_blend_epi8(
      three, low, _mm512_or_si512(ShiftBytes(second, 6, -0x40), _mm512_and_si512(third, low6)));
  __m512i high = _mm512_mask_blend_epi8(
      three, _mm512_maskz_mov_epi8(~one, ShiftBytes(first, -2, 0x07)),
      _mm512_or_si512(ShiftBytes(first, 4, -0x10), ShiftBytes(second, -2, 0x0F)));
  // An overlong form of three bytes is below U+0800; surrogates have no code.
  if ((characters & three & _mm512_cmplt_epu8_mask(high, _mm512_set1_epi8(0x08))) != 0)
    return nullptr;
  uint16_t points[kMaskChunk];
  StorePairs(low, high, points);
  if (!WideCodes(points, count, out)) return nullptr;
  return p + (63 - std::countl_zero(starts));
}
#endif

struct Utf8Codec {
  static constexpr size_t kGrowth = 2;
  static constexpr bool kSkipsBom = true;
  static constexpr Packed kReplacement = 0x81 | 0xAC << 8 | 2u << 24;  // 〓

  explicit Utf8Codec(bool wide_steps) : wide(wide_steps) {}

  // A unit is a well-formed sequence, or else a maximal ill-formed part: the
  // longest start of a well-formed sequence, at least one byte.
  static Packed Unit(const unsigned char* p, size_t available, size_t* length) {
    unsigned b = p[0];
    *length = 1;
    if (b < 0x80) return b | 1u << 24;
    if (b < 0xC2 || b > 0xF4) return 0;
    size_t need = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    // The second byte's range excludes overlong forms, surrogates and
    // code points above U+10FFFF.
    unsigned lo = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
    unsigned hi = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
    char32_t cp = b & (0x7Fu >> need);
    for (size_t k = 1; k < need; ++k) {
      if (k == available) {
        *length = 0;
        return 0;
      }
      if (p[k] < lo || p[k] > hi) {
        *length = k;
        return 0;
      }
      lo = 0x80;
      hi = 0xBF;
      cp = cp << 6 | (p[k] & 0x3Fu);
    }
    *length = need;
    return PackCode(Cp932Code(cp));
  }

  // Copies the 64 bytes at p when they are all ASCII; else converts the
  // characters of the 64-byte chunk at p up to the last start of a
  // character in it, or up to the first that is not a well-formed sequence
  // of one to three bytes with a code. Returns where it stopped. The length
  // of a character is the distance to the next start, from the mask of the
  // continuation bytes, or through WideChunk when `wide`. Reads up to
  // p + 66.
  static const unsigned char* Chunk(const unsigned char* p, char** out, bool wide) {
    char* o = *out;
    if (BelowMask(p, kMaskChunk, 0x80) == ~uint64_t{0}) {
      std::memcpy(o, p, kMaskChunk);
      *out = o + kMaskChunk;
      return p + kMaskChunk;
    }
#if ZOLT_WIDE_VECTORS
    const unsigned char* wide_end = wide ? WideChunk(p, out) : nullptr;
    if (wide_end != nullptr) return wide_end;
#endif
    (void)wide;
    uint64_t starts = ~RangeMask(p, 0x80, 0xBF);
    if ((starts & 1) == 0) return p;  // a stray continuation byte
    size_t i = 0;
    for (starts &= starts - 1; starts != 0; starts &= starts - 1) {
      size_t next = static_cast<size_t>(std::countr_zero(starts));
      uint32_t w;
      std::memcpy(&w, p + i, 4);
      if (kLength[w & 0xFF] != next - i) break;
      unsigned bytes = Utf8Cp932(w & kKeep[next - i]);
      if (bytes == 0) break;
      std::memcpy(o, &bytes, 2);
      o += 1 + ((bytes + 0xFF00) >> 16);  // 2 when the second byte is not 0, without a branch
      i = next;
    }
    *out = o;
    return p + i;
  }

  // Converts the unit at p through Unit: writes it and returns its end,
  // or returns nullptr when it is not a whole, convertible character.
  static const unsigned char* Slow(const unsigned char* p, const unsigned char* end, char** o) {
    size_t length;
    Packed c = Unit(p, static_cast<size_t>(end - p), &length);
    if (c == 0) return nullptr;
    std::memcpy(*o, &c, 4);
    *o += PackedLength(c);
    return p + length;
  }

  // 64-byte chunks through Chunk; what it leaves, and the last bytes,
  // through Unit. Stops before the first unit that is not a whole,
  // convertible character.
  char* Run(const unsigned char** at, const unsigned char* end, char* o) const {
    const unsigned char* p = *at;
    while (p != nullptr && p < end) {
      *at = p;
      const unsigned char* q = p;
      if (end - p > static_cast<ptrdiff_t>(kMaskChunk + 2)) q = Chunk(p, &o, wide);
      p = q != p ? q : Slow(p, end, &o);
    }
    if (p != nullptr) *at = p;
    return o;
  }

  bool wide;  // WideChunk may be taken
};

}  // namespace

JobResult EncodeToCp932(StreamPair* pair, bool replace) {
  return RunEncode<Utf8Codec>(pair, replace);
}

}  // namespace zolt

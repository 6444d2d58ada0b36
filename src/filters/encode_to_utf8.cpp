// Code page 932 to UTF-8.
#include "filters/encode.h"
#include "filters/encode_stream.h"
#include "support/sjis.h"

namespace zolt {

namespace {

// The bytes of a chunk that start a character, from its lead-range mask,
// the chunk starting a character. `carry` is set when the last character
// takes the next chunk's byte 0. A run of lead-range bytes pairs up from its
// start; the byte after a run of odd length is its last partner.
inline uint64_t CharacterStarts(uint64_t lead, bool* carry) {
  constexpr uint64_t kEven = 0x5555555555555555ULL;
  uint64_t run_starts = lead & ~(lead << 1);
  // The bits of runs that start at an even byte: adding their start bits
  // carries through them and clears them.
  uint64_t even_runs = lead & ~(lead + (run_starts & kEven));
  uint64_t odd_runs = lead & ~even_runs;
  uint64_t seconds = (even_runs & ~kEven) | (odd_runs & kEven);
  *carry = false;
  return ~(seconds | TrailMask(lead, carry));
}

// For each byte of the 64-byte chunk at p, whose lead-byte mask is `lead`,
// its index in EncodeTables::start: the byte, and above it the byte after it
// when it is a lead byte, else 0. The table entries of a single byte are
// then the few at the start of the table.
inline void StartIndexes(const unsigned char* p, uint64_t lead, uint16_t* index) {
#if defined(__SSE2__)
  const __m128i flip = _mm_set1_epi8(0x20);
  for (size_t k = 0; k < 4; ++k) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k + 1));
    __m128i second = _mm_and_si128(next, InRange16(_mm_xor_si128(v, flip), 0xA1, 0xDC));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(index + 16 * k), _mm_unpacklo_epi8(v, second));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(index + 16 * k + 8), _mm_unpackhi_epi8(v, second));
  }
#else
  for (size_t i = 0; i < kMaskChunk; ++i)
    index[i] = static_cast<uint16_t>(p[i] | (lead >> i & 1 ? p[i + 1] << 8 : 0));
#endif
  (void)lead;
}

#if ZOLT_WIDE_VECTORS
// In each byte of a 32-bit lane, the index of its byte 3.
constexpr auto kLengthByte = [] {
  std::array<unsigned char, kMaskChunk> length{};
  for (unsigned i = 0; i < kMaskChunk; ++i) length[i] = static_cast<unsigned char>(i | 3);
  return length;
}();

// Writes to o the UTF-8 of the characters that start at the bits of `starts`
// in the 64-byte chunk at p, whose lead-range bytes are `lead`, and returns
// the new end of the output; nullptr when one is unconvertible. Byte 64 is
// read. The table indexes of all the characters are made at once; their
// loads and stores then follow each other without a branch.
ZOLT_WIDEST_ONLY char* WideChunk(const unsigned char* p, uint64_t lead, uint64_t starts, char* o) {
  uint16_t index[kMaskChunk];
  StorePairs(_mm512_maskz_compress_epi8(starts, _mm512_loadu_si512(p)),
             _mm512_maskz_compress_epi8(starts, _mm512_maskz_loadu_epi8(lead, p + 1)), index);
  int count = std::popcount(starts);
  Packed c[kMaskChunk];
  Packed least = ~Packed{0};
  for (int k = 0; k < count; ++k) least = std::min(least, c[k] = kEncodeTables.start[index[k]]);
  if (least <= kNoPair) return nullptr;
  const __m512i length_byte = _mm512_loadu_si512(kLengthByte.data());
  const __m512i byte_place = _mm512_set1_epi32(0x03020100);
  for (int k = 0; k < count; k += 16) {
    auto lanes = static_cast<__mmask16>(count - k >= 16 ? 0xFFFF : (1u << (count - k)) - 1);
    __m512i v = _mm512_maskz_loadu_epi32(lanes, c + k);
    __mmask64 bytes =
        _mm512_cmpgt_epu8_mask(_mm512_maskz_shuffle_epi8(~uint64_t{0}, v, length_byte), byte_place);
    _mm512_storeu_si512(o, _mm512_maskz_compress_epi8(bytes, v));
    o += std::popcount(bytes);
  }
  return o;
}
#endif

struct Cp932Codec {
  static constexpr size_t kGrowth = 3;
  static constexpr bool kSkipsBom = false;
  static constexpr Packed kReplacement = 0xEF | 0xBF << 8 | 0xBD << 16 | 3u << 24;  // U+FFFD

  explicit Cp932Codec(bool wide_steps) : wide(wide_steps) {}

  // A byte 0x80, 0xA0 or 0xFD-0xFF, a lead byte without a trail-range byte
  // after it, and a pair without a character are unconvertible.
  static Packed Unit(const unsigned char* p, size_t available, size_t* length) {
    bool lead = IsSjisLead(p[0]);
    *length = lead && available < 2 ? 0 : 1;
    if (*length == 0) return 0;
    Packed c = StartUtf8(p[0], lead ? p[1] : 0);
    if (lead && c != 0) *length = 2;  // else the lead byte alone
    return c == kNoPair ? 0 : c;
  }

  // A 64-byte chunk at a time: the starts of its characters come from the
  // lead-byte mask, so the next character's place never waits for a table
  // load, and each character's UTF-8 is one load indexed by its first two
  // bytes. A character at byte 63 may take byte 64. Stops before the first
  // unit that is not a whole, convertible character. A chunk goes through
  // WideChunk first when `wide`, and again here when it holds such a unit.
  char* Run(const unsigned char** at, const unsigned char* end, char* o) const {
    const unsigned char* p = *at;
    while (end - p > static_cast<ptrdiff_t>(kMaskChunk)) {
      if (BelowMask(p, kMaskChunk, 0x80) == ~uint64_t{0}) {
        std::memcpy(o, p, kMaskChunk);
        p += kMaskChunk;
        o += kMaskChunk;
        continue;
      }
      bool carry = false;
      uint64_t lead = LeadMask(p);
      uint64_t starts = CharacterStarts(lead, &carry);
#if ZOLT_WIDE_VECTORS
      char* wide_end = wide ? WideChunk(p, lead, starts, o) : nullptr;
      if (wide_end != nullptr) {
        o = wide_end;
        p += kMaskChunk + carry;
        continue;
      }
#endif
      uint16_t index[kMaskChunk];
      StartIndexes(p, lead, index);
      for (; starts != 0; starts &= starts - 1) {
        size_t i = static_cast<size_t>(std::countr_zero(starts));
        Packed c = kEncodeTables.start[index[i]];
        if (c <= kNoPair) {
          *at = p + i;
          return o;
        }
        std::memcpy(o, &c, 4);
        o += PackedLength(c);
      }
      p += kMaskChunk + carry;
    }
    while (p < end) {
      size_t length;
      Packed c = Unit(p, static_cast<size_t>(end - p), &length);
      if (c == 0) break;
      std::memcpy(o, &c, 4);
      o += PackedLength(c);
      p += length;
    }
    *at = p;
    return o;
  }

  bool wide;  // WideChunk may be taken
};

}  // namespace

JobResult EncodeToUtf8(StreamPair* pair, bool replace) {
  return RunEncode<Cp932Codec>(pair, replace);
}

}  // namespace zolt

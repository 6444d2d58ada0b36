// Code page 932 to UTF-8.
#include <array>

#include "filters/encode.h"
#include "filters/encode_stream.h"
#include "support/sjis.h"

namespace zolt {

namespace {

// The UTF-8 of each single byte that is a character: ASCII, and the
// half-width katakana 0xA1-0xDF (U+FF61-U+FF9F); 0 for the others.
constexpr auto kSingle = [] {
  std::array<Packed, 256> single{};
  for (unsigned b = 0; b < 0x80; ++b) single[b] = b | 1u << 24;
  for (unsigned b = 0xA1; b <= 0xDF; ++b) {
    unsigned cp = 0xFF61 + b - 0xA1;
    single[b] = 0xEF | (0x80 | (cp >> 6 & 0x3F)) << 8 | (0x80 | (cp & 0x3F)) << 16 | 3u << 24;
  }
  return single;
}();

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

struct Cp932Codec {
  static constexpr size_t kGrowth = 3;
  static constexpr bool kSkipsBom = false;
  static constexpr Packed kReplacement = 0xEF | 0xBF << 8 | 0xBD << 16 | 3u << 24;  // U+FFFD

  // A byte 0x80, 0xA0 or 0xFD-0xFF, a lead byte without a trail-range byte
  // after it, and a pair without a character are unconvertible.
  static Packed Unit(const unsigned char* p, size_t available, size_t* length) {
    unsigned b = p[0];
    *length = 1;
    if (kSingle[b] != 0) return kSingle[b];
    if (!IsSjisLead(static_cast<unsigned char>(b))) return 0;
    if (available < 2) {
      *length = 0;
      return 0;
    }
    Packed c = PairUtf8(static_cast<unsigned char>(b), p[1]);
    if (c == 0) return 0;  // the lead byte alone
    *length = 2;
    return c == kNoPair ? 0 : c;
  }

  // A 64-byte chunk at a time: the starts of its characters come from the
  // lead-byte mask, so the next character's place never waits for a table
  // load. A pair looked up for a single byte, and a single byte looked up
  // for a lead byte, give 0, so each character's UTF-8 is the two lookups
  // or-ed. A character at byte 63 may take byte 64. Stops before the first
  // unit that is not a whole, convertible character.
  static char* Run(const unsigned char** at, const unsigned char* end, char* o) {
    const unsigned char* p = *at;
    while (end - p > static_cast<ptrdiff_t>(kMaskChunk)) {
      if (*p < 0x80) {
        CopyAscii(&p, &o);
        continue;
      }
      bool carry = false;
      uint64_t starts = CharacterStarts(LeadMask(p), &carry);
      for (; starts != 0; starts &= starts - 1) {
        int i = std::countr_zero(starts);
        Packed c = PairUtf8(p[i], p[i + 1]) | kSingle[p[i]];
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
};

}  // namespace

JobResult EncodeToUtf8(StreamPair* pair, bool replace) {
  return RunEncode<Cp932Codec>(pair, replace);
}

}  // namespace zolt

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

struct Cp932Codec {
  static constexpr size_t kGrowth = 3;
  static constexpr bool kSkipsBom = false;
  static constexpr Packed kReplacement = 0xEF | 0xBF << 8 | 0xBD << 16 | 3u << 24;  // U+FFFD

  // A byte 0x80, 0xA0 or 0xFD-0xFF, a lead byte without a trail-range byte
  // after it, and a pair without a character are unconvertible.
  static Packed Unit(const unsigned char* p, size_t available, size_t* length) {
    bool lead = IsSjisLead(p[0]);
    *length = lead && available < 2 ? 0 : 1;
    if (*length == 0) return 0;
    Packed c = StartUtf8(p[0], available > 1 ? p[1] : 0);
    if (lead && c != 0) *length = 2;  // else the lead byte alone
    return c == kNoPair ? 0 : c;
  }

  // A 64-byte chunk at a time: the starts of its characters come from the
  // lead-byte mask, so the next character's place never waits for a table
  // load, and each character's UTF-8 is one load indexed by its first two
  // bytes. A character at byte 63 may take byte 64. Stops before the first
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
        const unsigned char* q = p + std::countr_zero(starts);
        uint16_t two;
        std::memcpy(&two, q, 2);
        Packed c = kEncodeTables.start[two];
        if (c <= kNoPair) {
          *at = q;
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

int EncodeToUtf8(StreamPair* pair, bool replace) {
  return RunEncode<Cp932Codec>(pair, replace);
}

}  // namespace zolt

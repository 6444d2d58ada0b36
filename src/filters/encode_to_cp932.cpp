// UTF-8 to code page 932.
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

struct Utf8Codec {
  static constexpr size_t kGrowth = 2;
  static constexpr bool kSkipsBom = true;
  static constexpr Packed kReplacement = 0x81 | 0xAC << 8 | 2u << 24;  // 〓

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
  // continuation bytes. Reads up to p + 66.
  static const unsigned char* Chunk(const unsigned char* p, char** out) {
    char* o = *out;
    if (BelowMask(p, kMaskChunk, 0x80) == ~uint64_t{0}) {
      std::memcpy(o, p, kMaskChunk);
      *out = o + kMaskChunk;
      return p + kMaskChunk;
    }
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
  static char* Run(const unsigned char** at, const unsigned char* end, char* o) {
    const unsigned char* p = *at;
    while (p != nullptr && p < end) {
      *at = p;
      const unsigned char* q = p;
      if (end - p > static_cast<ptrdiff_t>(kMaskChunk + 2)) q = Chunk(p, &o);
      p = q != p ? q : Slow(p, end, &o);
    }
    if (p != nullptr) *at = p;
    return o;
  }
};

}  // namespace

JobResult EncodeToCp932(StreamPair* pair, bool replace) {
  return RunEncode<Utf8Codec>(pair, replace);
}

}  // namespace zolt

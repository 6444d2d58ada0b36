// Code page 932 to UTF-8.
#include <array>

#include "filters/encode.h"
#include "filters/encode_stream.h"
#include "support/sjis.h"

namespace zolt {

namespace {

// The UTF-8 of the half-width katakana 0xA1-0xDF (U+FF61-U+FF9F).
constexpr auto kKana = [] {
  std::array<Packed, 0xDF - 0xA1 + 1> kana{};
  for (unsigned b = 0xA1; b <= 0xDF; ++b) {
    unsigned cp = 0xFF61 + b - 0xA1;
    kana[b - 0xA1] = 0xEF | (0x80 | (cp >> 6 & 0x3F)) << 8 | (0x80 | (cp & 0x3F)) << 16 | 3u << 24;
  }
  return kana;
}();

struct Cp932Codec {
  static constexpr size_t kGrowth = 3;
  static constexpr bool kSkipsBom = false;
  static constexpr Packed kReplacement = 0xEF | 0xBF << 8 | 0xBD << 16 | 3u << 24;  // U+FFFD

  // A byte 0x80, 0xA0 or 0xFD-0xFF, a lead byte without a trail-range byte
  // after it, and a pair without a character are unconvertible.
  static Packed Unit(const unsigned char* p, size_t available, size_t* length) {
    unsigned b = p[0];
    *length = 1;
    if (b < 0x80) return b | 1u << 24;
    if (b - 0xA1 < kKana.size()) return kKana[b - 0xA1];
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

  static char* Run(const unsigned char** at, const unsigned char* end, char* o) {
    const unsigned char* p = *at;
    while (p < end) {
      unsigned b = *p;
      if (b < 0x80) {
        if (end - p < static_cast<ptrdiff_t>(kMaskChunk)) {
          *o++ = static_cast<char>(*p++);
        } else {
          CopyAscii(&p, &o);
        }
        continue;
      }
      Packed c;
      if (b - 0xA1 < kKana.size()) {
        c = kKana[b - 0xA1];
        ++p;
      } else if (IsSjisLead(static_cast<unsigned char>(b)) && end - p >= 2 &&
                 (c = PairUtf8(static_cast<unsigned char>(b), p[1])) > kNoPair) {
        p += 2;
      } else {
        break;
      }
      std::memcpy(o, &c, 4);
      o += PackedLength(c);
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

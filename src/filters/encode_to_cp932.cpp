// UTF-8 to code page 932.
#include "filters/encode.h"
#include "filters/encode_stream.h"

namespace zolt {

namespace {

// The bytes of CP932 code `code`, 0 when it is 0 (no code).
constexpr Packed PackCode(unsigned code) {
  if (code == 0) return 0;
  return code < 0x100 ? code | 1u << 24 : (code >> 8) | (code & 0xFF) << 8 | 2u << 24;
}

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

  // ASCII runs a chunk at a time; three-byte sequences, the bulk of
  // Japanese text, checked and looked up in place; the rest through Unit.
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
      if ((b & 0xF0) == 0xE0 && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
        char32_t cp = (b & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
        unsigned code = Cp932Code(cp);
        if (cp >= 0x800 && code != 0) {  // not overlong; surrogates have no code
          unsigned two = code > 0xFF;
          unsigned bytes = two ? (code >> 8 | code << 8) : code;
          std::memcpy(o, &bytes, 2);
          o += 1 + two;
          p += 3;
          continue;
        }
      }
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

JobResult EncodeToCp932(StreamPair* pair, bool replace) {
  return RunEncode<Utf8Codec>(pair, replace);
}

}  // namespace zolt

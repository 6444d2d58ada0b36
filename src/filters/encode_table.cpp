#include "filters/encode_table.h"

#include <iterator>

#include "support/sjis.h"

namespace zolt {

namespace {

#include "filters/encode_table.inc"

// The UTF-8 sequence at s, advancing s; only well-formed text reaches here.
constexpr char32_t NextCodePoint(const char8_t*& s) {
  unsigned b = *s++;
  int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
  char32_t cp = b & (0x7F >> extra);
  for (; extra > 0; --extra) cp = cp << 6 | (*s++ & 0x3Fu);
  return cp;
}

constexpr Packed PackUtf8(char32_t cp) {
  if (cp < 0x80) return cp | 1u << 24;
  if (cp < 0x800) return (0xC0 | cp >> 6) | (0x80 | (cp & 0x3F)) << 8 | 2u << 24;
  return (0xE0 | cp >> 12) | (0x80 | (cp >> 6 & 0x3F)) << 8 | (0x80 | (cp & 0x3F)) << 16 | 3u << 24;
}

// Calls f(code, code point) for every code in the order of the codes: the
// single bytes, then the pairs of kDoubleByteText.
template <typename F>
constexpr void ForEachCode(F f) {
  for (unsigned b = 0; b < 0x80; ++b) f(b, char32_t{b});
  for (unsigned b = 0xA1; b <= 0xDF; ++b) f(b, char32_t{0xFF61 + b - 0xA1});
  for (size_t lead = 0; lead < std::size(kDoubleByteText); ++lead) {
    const char8_t* s = kDoubleByteText[lead];
    unsigned lead_byte = lead < 0x1F ? 0x81 + lead : 0xC1 + lead;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      char32_t cp = NextCodePoint(s);
      if (cp != U' ') f(lead_byte << 8 | trail, cp);
    }
  }
}

// Gives the codes of `code` a place each, for Utf8Cp932: the 64 entries
// from 0 hold none; then come the single bytes, the two-byte sequences, and
// the three-byte sequences that have a code, 64 entries for each first two
// bytes.
constexpr void IndexUtf8(EncodeTables& t) {
  size_t used = 64;
  auto code = [&](char32_t cp) {
    unsigned c = t.cp932[t.page[cp >> 8] * 256 + (cp & 0xFF)];
    return static_cast<uint16_t>(c > 0xFF ? c >> 8 | (c & 0xFF) << 8 : c);
  };
  for (unsigned b = 0; b < 0x80; ++b) {
    t.utf8_start[b] = static_cast<uint16_t>(used);
    t.code[used++] = code(b);
  }
  for (unsigned first = 0xC2; first < 0xF0; ++first) {
    for (unsigned second = 0x80; second < 0xC0; ++second) {
      bool three = first >= 0xE0;
      char32_t cp = three ? (first & 0xF) << 12 | (second & 0x3F) << 6
                          : (first & 0x1F) << 6 | (second & 0x3F);
      bool any = false;
      for (unsigned k = 0; k < (three ? 64 : 1); ++k) any = any || code(cp + k) != 0;
      if (!any || (three && cp < 0x800)) continue;  // surrogates have no code
      t.utf8_start[first | second << 8] = static_cast<uint16_t>(used);
      for (unsigned k = 0; k < (three ? 64 : 1); ++k) t.code[used++] = code(cp + k);
    }
  }
  // A build fails here when `code` has too little room.
  if (used > kUtf8Codes) throw "kUtf8Codes is too small";
}

constexpr EncodeTables BuildTables() {
  EncodeTables t{};
  for (unsigned first = 0; first < 256; ++first)
    for (unsigned second = 0; second < 256; ++second)
      if (IsSjisLead(static_cast<unsigned char>(first)) &&
          IsSjisTrail(static_cast<unsigned char>(second)))
        t.start[first | second << 8] = kNoPair;
  size_t pages = 1;
  auto set_code = [&](char32_t cp, unsigned code) {
    uint8_t& page = t.page[cp >> 8];
    if (page == 0) page = static_cast<uint8_t>(pages++);
    if (page < kCodePages) t.cp932[page * 256 + (cp & 0xFF)] = static_cast<uint16_t>(code);
  };
  ForEachCode([&](unsigned code, char32_t cp) {
    if (code > 0xFF) t.start[code >> 8 | (code & 0xFF) << 8] = PackUtf8(cp);
    for (unsigned second = 0; code <= 0xFF && second < 256; ++second)
      t.start[code | second << 8] = PackUtf8(cp);
    set_code(cp, code);  // the highest code read as cp wins
  });
  for (const auto& [cp, code] : kPreferredCode) set_code(cp, code);
  // A build fails here when the table has more pages than kCodePages says.
  if (pages != kCodePages) throw "kCodePages does not match the table";
  IndexUtf8(t);
  return t;
}

}  // namespace

constexpr EncodeTables kEncodeTables = BuildTables();

}  // namespace zolt

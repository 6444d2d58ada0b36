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
    auto lead_byte = static_cast<unsigned>(lead < 0x1F ? 0x81 + lead : 0xC1 + lead);
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      char32_t cp = NextCodePoint(s);
      if (cp != U' ') f(lead_byte << 8 | trail, cp);
    }
  }
}

// The index of Utf8Cp932 over the codes of `tables`: the 64 entries of
// `code` from 0 hold none; then come the single bytes, the two-byte
// sequences with a code, and the three-byte sequences that have a code, 64
// entries for each first two bytes.
constexpr Utf8Index IndexUtf8(const EncodeTables& tables) {
  Utf8Index t{};
  size_t used = 64;
  auto code = [&](char32_t cp) {
    unsigned c = tables.cp932[tables.page[cp >> 8] * 256 + (cp & 0xFF)];
    return static_cast<uint16_t>(c > 0xFF ? c >> 8 | (c & 0xFF) << 8 : c);
  };
  for (unsigned b = 0; b < 0x80; ++b) {
    t.utf8_start[b] = static_cast<uint16_t>(used);
    t.code[used++] = code(b);
  }
  for (unsigned first = 0xC2; first < 0xE0; ++first) {
    for (unsigned second = 0x80; second < 0xC0; ++second) {
      uint16_t c = code((first & 0x1F) << 6 | (second & 0x3F));
      if (c != 0) t.code[t.utf8_start[first | second << 8] = static_cast<uint16_t>(used++)] = c;
    }
  }
  // Three bytes: the 64 code points from cp share the first two bytes.
  for (char32_t cp = 0x800; cp < 0x10000; cp += 64) {
    bool any = false;
    for (unsigned k = 0; tables.page[cp >> 8] != 0 && !any && k < 64; ++k) any = code(cp + k) != 0;
    if (!any) continue;  // surrogates have no code
    t.utf8_start[(0xE0 | cp >> 12) | (0x80 | (cp >> 6 & 0x3F)) << 8] = static_cast<uint16_t>(used);
    for (unsigned k = 0; k < 64; ++k) t.code[used++] = code(cp + k);
  }
  // A build fails here when `code` has too little room.
  if (used > kUtf8Codes) throw "kUtf8Codes is too small";
  return t;
}

// The codes of `tables` by code point, page by page.
constexpr CodeByPoint IndexPoints(const EncodeTables& tables) {
  CodeByPoint t{};
  for (size_t high = 0; high < 256; ++high) {
    for (size_t low = 0; tables.page[high] != 0 && low < 256; ++low) {
      unsigned c = tables.cp932[size_t{tables.page[high]} * 256 + low];
      t[high * 256 + low] = static_cast<uint16_t>(c > 0xFF ? c >> 8 | (c & 0xFF) << 8 : c);
    }
  }
  return t;
}

constexpr EncodeTables BuildTables() {
  EncodeTables t{};
  for (unsigned first = 0x81; first < 0xFD; ++first)
    for (unsigned second = 0x40; IsSjisLead(static_cast<unsigned char>(first)) && second < 0xFD;
         ++second)
      if (IsSjisTrail(static_cast<unsigned char>(second))) t.start[first | second << 8] = kNoPair;
  size_t pages = 1;
  auto set_code = [&](char32_t cp, unsigned code) {
    uint8_t& page = t.page[cp >> 8];
    if (page == 0) page = static_cast<uint8_t>(pages++);
    if (page < kCodePages) t.cp932[page * 256 + (cp & 0xFF)] = static_cast<uint16_t>(code);
  };
  ForEachCode([&](unsigned code, char32_t cp) {
    t.start[code > 0xFF ? code >> 8 | (code & 0xFF) << 8 : code] = PackUtf8(cp);
    set_code(cp, code);  // the highest code read as cp wins
  });
  for (const auto& [cp, code] : kPreferredCode) set_code(cp, code);
  // A build fails here when the table has more pages than kCodePages says.
  if (pages != kCodePages) throw "kCodePages does not match the table";
  return t;
}

}  // namespace

constexpr EncodeTables kEncodeTables = BuildTables();
constexpr Utf8Index kUtf8Index = IndexUtf8(kEncodeTables);
constexpr CodeByPoint kCodeByPoint = IndexPoints(kEncodeTables);

}  // namespace zolt

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
  for (size_t lead = 0; lead < kLeadBytes; ++lead) {
    const char8_t* s = kDoubleByteText[lead];
    unsigned lead_byte = static_cast<unsigned>(lead < 0x1F ? 0x81 + lead : 0xC1 + lead);
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      char32_t cp = NextCodePoint(s);
      if (cp != U' ') f(lead_byte << 8 | trail, cp);
    }
  }
}

constexpr EncodeTables BuildTables() {
  EncodeTables t{};
  for (unsigned b = 0; b < 256; ++b)
    t.row[b] = static_cast<uint16_t>((IsSjisLead(static_cast<unsigned char>(b))
                                          ? LeadIndex(static_cast<unsigned char>(b))
                                          : kLeadBytes) *
                                     256);
  for (size_t lead = 0; lead < kLeadBytes; ++lead)
    for (unsigned trail = 0; trail < 256; ++trail)
      if (IsSjisTrail(static_cast<unsigned char>(trail))) t.utf8[lead * 256 + trail] = kNoPair;
  size_t pages = 1;
  auto set_code = [&](char32_t cp, unsigned code) {
    uint8_t& page = t.page[cp >> 8];
    if (page == 0) page = static_cast<uint8_t>(pages++);
    if (page < kCodePages) t.cp932[page * 256 + (cp & 0xFF)] = static_cast<uint16_t>(code);
  };
  ForEachCode([&](unsigned code, char32_t cp) {
    if (code > 0xFF)
      t.utf8[LeadIndex(static_cast<unsigned char>(code >> 8)) * 256 + (code & 0xFF)] = PackUtf8(cp);
    set_code(cp, code);  // the highest code read as cp wins
  });
  for (const auto& [cp, code] : kPreferredCode) set_code(cp, code);
  // A build fails here when the table has more pages than kCodePages says.
  if (pages != kCodePages) throw "kCodePages does not match the table";
  return t;
}

}  // namespace

constexpr EncodeTables kEncodeTables = BuildTables();

}  // namespace zolt

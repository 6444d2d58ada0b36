// The code page 932 mapping of the UTF-8 conversions, as two-level tables
// built at compile time from encode_table.inc (made with
// tools/make_encode_table.py from iconv's CP932).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zolt {

// A converted character: its bytes in the low bytes of the word, first byte
// lowest, and their count in the top byte. 0 stands for no character.
using Packed = uint32_t;

constexpr Packed PackedLength(Packed p) {
  return p >> 24;
}

// Number of lead bytes (0x81-0x9F, 0xE0-0xFC).
constexpr size_t kLeadBytes = 60;
// Number of 256-character Unicode pages that hold a character with a code,
// plus the empty page 0.
constexpr size_t kCodePages = 107;

struct EncodeTables {
  // By row and second byte: the UTF-8 of the pair; kNoPair for a trail-range
  // byte the pair has no character for, 0 outside that range. Row kLeadBytes
  // is all 0.
  std::array<Packed, (kLeadBytes + 1) * 256> utf8;
  // By first byte: the start of its row in `utf8` (kLeadBytes * 256 when it
  // is not a lead byte).
  std::array<uint16_t, 256> row;
  // By the high byte of a BMP code point, its page in `cp932` (0: none).
  std::array<uint8_t, 256> page;
  // By page and low byte: the CP932 code (one byte below 0x100), 0 for none.
  std::array<uint16_t, kCodePages * 256> cp932;
};

// A pair whose second byte is in the trail range but that has no character.
constexpr Packed kNoPair = 1;

extern const EncodeTables kEncodeTables;

// The index of lead byte b among the lead bytes.
constexpr size_t LeadIndex(unsigned char b) {
  return b < 0xA0 ? b - 0x81u : b - 0xC1u;
}

// The UTF-8 of the pair first, second (see EncodeTables::utf8); 0 when
// `first` is not a lead byte.
inline Packed PairUtf8(unsigned char first, unsigned char second) {
  return kEncodeTables.utf8[kEncodeTables.row[first] + second];
}

// The CP932 code of code point `cp`, 0 when it has none (U+0000 is 0x00).
inline unsigned Cp932Code(char32_t cp) {
  if (cp >= 0x10000) return 0;
  return kEncodeTables.cp932[kEncodeTables.page[cp >> 8] * 256u + (cp & 0xFF)];
}

}  // namespace zolt

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

// Number of 256-character Unicode pages that hold a character with a code,
// plus the empty page 0.
constexpr size_t kCodePages = 107;
// Room in EncodeTables::code.
constexpr size_t kUtf8Codes = 32768;

struct EncodeTables {
  // By the byte at a character start, and above it the byte after it when
  // the first is a lead byte (else 0): the UTF-8 of the character that
  // starts there. kNoPair for a lead byte and a trail-range byte that have
  // no character, 0 for a lead byte without a trail-range byte after it and
  // for a byte that is no character.
  std::array<Packed, size_t{256} * 256> start;
  // By the high byte of a BMP code point, its page in `cp932` (0: none).
  std::array<uint8_t, 256> page;
  // By page and low byte: the CP932 code (one byte below 0x100), 0 for none.
  std::array<uint16_t, kCodePages * 256> cp932;
};

// Where Utf8Cp932 finds the code of a UTF-8 sequence.
struct Utf8Index {
  // By the first two bytes of a UTF-8 sequence of one to three bytes, the
  // first in the low byte and a byte past the sequence 0: where the codes of
  // its characters start in `code`, one for each value of the low six bits
  // of a third byte. 0 (no codes) for a sequence that is overlong, a
  // surrogate or without a code.
  std::array<uint16_t, size_t{256} * 256> utf8_start;
  // The bytes of CP932 codes, the first in the low byte; 0 for none.
  std::array<uint16_t, kUtf8Codes> code;
};

// By BMP code point, the bytes of its CP932 code as in Utf8Index::code.
using CodeByPoint = std::array<uint16_t, 0x10000>;

// A pair whose second byte is in the trail range but that has no character.
constexpr Packed kNoPair = 1;

extern const EncodeTables kEncodeTables;
extern const Utf8Index kUtf8Index;
extern const CodeByPoint kCodeByPoint;

// The UTF-8 of the character that starts with `first` followed by
// `second`, which is 0 when `first` is not a lead byte (see
// EncodeTables::start).
inline Packed StartUtf8(unsigned char first, unsigned char second) {
  return kEncodeTables.start[static_cast<size_t>(first | second << 8)];
}

// The CP932 code of code point `cp`, 0 when it has none (U+0000 is 0x00).
inline unsigned Cp932Code(char32_t cp) {
  if (cp >= 0x10000) return 0;
  return kEncodeTables.cp932[kEncodeTables.page[cp >> 8] * 256u + (cp & 0xFF)];
}

// The bytes of the CP932 code (see Utf8Index::code) of the UTF-8
// sequence of one to three bytes in w, first byte lowest, the bytes past it
// 0. The sequence is a lead byte followed by continuation bytes as many as
// it asks for.
inline unsigned Utf8Cp932(uint32_t w) {
  return kUtf8Index.code[kUtf8Index.utf8_start[w & 0xFFFF] + (w >> 16 & 0x3F)];
}

}  // namespace zolt

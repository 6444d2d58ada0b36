// Shift-JIS (CP932) byte classification and the searches built on it.
#pragma once

#include <cstddef>

namespace zolt {

// True for a byte that starts a double-byte character (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsSjisLead(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// True for a byte that can follow a lead byte (0x40-0x7E, 0x80-0xFC).
constexpr bool IsSjisTrail(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Name comparison: equal byte for byte once a-z are folded to A-Z in the
// single-byte characters (a trail byte is compared as it stands).
bool SameFileName(const char* a, const char* b);

// What a byte of Shift-JIS text is, read as characters from the first byte.
enum class SjisByte {
  kOutside,  // not a byte of the text
  kSingle,   // a single-byte character
  kLead,     // the first byte of a double-byte character
  kTrail,    // the second byte of a double-byte character
};

// Class of the byte at `index` of the NUL-terminated `text`.
SjisByte SjisByteClass(const char* text, int index);

// First position of the ASCII character `ch` that is a single-byte
// character (not the second byte of a double-byte one), or nullptr.
const char* SjisFindFirst(const char* text, char ch);

// Last such position, or nullptr.
const char* SjisFindLast(const char* text, char ch);

// True when the last of the `size` bytes of `text`, read as characters from
// the first byte, is a lead byte: its trail byte would be the next byte.
bool EndsWithLeadByte(const char* text, size_t size);

}  // namespace zolt

// Reading Shift-JIS text one character at a time as 16-bit codes.
#pragma once

#include <cstdint>
#include <string_view>

#include "pattern/scratch_vector.h"

namespace zolt {

// The code of one character: a single byte's value, or the JIS row-and-cell
// code of a double-byte character.
using CharCode = uint16_t;

// What NextChar found.
enum class CharKind : uint8_t {
  kEnd,       // the end of the text or a NUL byte; nothing was read
  kSingle,    // a single-byte character
  kDouble,    // a lead byte and the (non-NUL) byte after it
  kLoneLead,  // a lead byte right before the end; code is lead * 256
};

struct CharRead {
  CharCode code = 0;
  CharKind kind = CharKind::kEnd;
};

// JIS code of the Shift-JIS pair (lead, second), computed with byte and word
// wrap-around so that every pair of bytes gives some code.
CharCode SjisToJis(unsigned char lead, unsigned char second);

// Reads the character at the start of *rest and takes it off. The text ends
// at its end or at its first NUL byte, where nothing is taken, so every
// later call reports the end again.
CharRead NextChar(std::string_view* rest);

// Ends a CodeString. It lies outside the 16-bit range, so no character's
// code (not even a double-byte character whose code is 0) equals it.
constexpr uint32_t kEndOfText = 0x10000;

// Fills `codes` with the codes of the characters of `text` up to its first
// NUL, then kEndOfText. A lead byte right before the end is not a character
// and is dropped.
void ToCodeString(std::string_view text, ScratchVector<uint32_t>* codes);

}  // namespace zolt

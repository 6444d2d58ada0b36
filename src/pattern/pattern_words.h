// The word form of a compiled pattern.
//
// A compiled pattern is a sequence of words ended by OP_END. A word whose low
// byte is non-zero, or whose value is 0x8000 or more, is a literal: the code
// the text must have there. A word with low byte 0 below 0x8000 is an
// operator, chosen by MetaClass of its high byte. A literal code that would
// read as an operator is written behind OP_LITERAL instead. Offsets count
// bytes (two per word) from the offset word itself; they are held in full
// width, so constructs of any size keep exact offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zolt {

using PatternWord = int64_t;

enum : PatternWord {
  OP_END = 0x0000,      // success
  OP_BOL = 0x5E00,      // first word only: the match starts the line
  OP_EOL = 0x2400,      // end of the text when last before OP_END, else '$'
  OP_ANY = 0x2E00,      // any one character
  OP_CLASS = 0x5B00,    // offset past the list, member list ended by 0
  RANGE_MARK = 0x2D00,  // in a member list: two bounds follow
  OP_STAR = 0x2A00,     // op, n+6, atom (n bytes), op, -(n+2)
  OP_PLUS = 0x2B00,     // same layout as OP_STAR
  OP_QUEST = 0x3F00,    // same layout as OP_STAR
  OP_ALT = 0x7C00,      // OP_ALT, nL+6, L, OP_JUMP, nR+2, R
  OP_JUMP = 0x7F00,     // offset to the word after the right alternative
  OP_LITERAL = 0x5C00,  // the next word is a literal code, whatever its value
};

// Classes of the ASCII codes in MetaClass.
enum MetaClassNumber : uint8_t {
  kMetaEnd = 0,
  kMetaLiteral = 1,
  kMetaDollar = 2,
  kMetaOpen = 3,
  kMetaClose = 4,
  kMetaStar = 5,
  kMetaPlus = 6,
  kMetaDot = 7,
  kMetaQuest = 8,
  kMetaBracket = 9,
  kMetaBackslash = 10,
  kMetaBar = 11,
  kMetaDel = 12,
};

// Class of each ASCII code, both in the pattern text and as the high byte of
// an operator word.
extern const uint8_t MetaClass[128];

// True when `word`, read where an operator or literal may stand, is a literal.
constexpr bool IsLiteralWord(PatternWord word) {
  return (word & 0xFF) != 0 || word >= 0x8000;
}

// True for the operators whose next word is an offset.
bool HasOffset(PatternWord op);

// Number of words of the instruction that starts at word `at`: an operator
// with its operands, or one literal.
size_t InstructionLength(const std::vector<PatternWord>& words, size_t at);

}  // namespace zolt

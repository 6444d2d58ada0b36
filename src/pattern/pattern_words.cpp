// The metacharacter table and the layout of compiled words.
#include "pattern/pattern_words.h"

namespace zolt {

// clang-format off
const uint8_t MetaClass[128] = {
  0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,   // 0x00
  1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,   // 0x10
  1, 1, 1, 1, 2, 1, 1, 1, 3, 4, 5, 6, 1, 1, 7, 1,   // 0x20  $ ( ) * + .
  1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 8,   // 0x30  ?
  1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,   // 0x40
  1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 9, 10, 1, 1, 1,  // 0x50  [ backslash
  1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,   // 0x60
  1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 11, 1, 1, 12, // 0x70  | DEL
};
// clang-format on

bool HasOffset(PatternWord op) {
  return op == OP_CLASS || op == OP_STAR || op == OP_PLUS || op == OP_QUEST || op == OP_ALT ||
         op == OP_JUMP;
}

size_t InstructionLength(const std::vector<PatternWord>& words, size_t at) {
  PatternWord op = words[at];
  if (op == OP_CLASS) return 1 + static_cast<size_t>(words[at + 1] / 2);
  if (op == OP_LITERAL || HasOffset(op)) return 2;
  return 1;
}

}  // namespace zolt

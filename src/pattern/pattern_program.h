// The compiled form of a pattern: a list of typed instructions.
//
// The instructions run from the first; kEnd anywhere means success.
// Repetition and alternation are laid out with branches, for an atom A and
// alternatives L and R:
//   A*    kBranch(after), A, kLoopBack(A)
//   A+    A, kLoopBack(A)
//   A?    kBranch(after), A
//   L|R   kBranch(R), L, kJump(after), R
// A branch goes on with the next instruction and keeps its target for when
// that fails; a loop-back starts another round of its atom unless the round
// just ended consumed nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zolt {

enum class Op : uint8_t {
  kEnd,       // the match succeeds
  kChar,      // the text has the character `value` here
  kLineEnd,   // the end of a whole line ('$' last in the pattern)
  kAny,       // any one character
  kClass,     // one character of classes[value]
  kBranch,    // go on; on failure, go on at `target`
  kJump,      // go on at `target`
  kLoopBack,  // another round from `target`, else go on
};

struct Instruction {
  Op op = Op::kEnd;
  uint32_t value = 0;  // kChar: the character's code; kClass: the class's index
  size_t target = 0;   // kBranch, kJump, kLoopBack: an instruction's index
};

// The codes from `low` to `high`, both included.
struct CharRange {
  uint32_t low;
  uint32_t high;
};

// A set of characters, or all characters but those when `negated`.
struct CharClass {
  bool negated = false;
  std::vector<CharRange> ranges;
};

struct Program {
  bool anchored = false;          // the match starts the line ('^' first in the pattern)
  std::vector<Instruction> code;  // ends with kEnd
  std::vector<CharClass> classes;
};

// True for the instructions that have a target.
constexpr bool HasTarget(Op op) {
  return op == Op::kBranch || op == Op::kJump || op == Op::kLoopBack;
}

}  // namespace zolt

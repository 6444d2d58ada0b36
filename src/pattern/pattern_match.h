// Searching a line's codes with a compiled pattern.
//
// The search runs the instructions depth first, exactly in the order of a
// plain backtracking matcher: at a branch the first choice runs on and the
// other waits on an explicit stack. Whether a state (instruction, text
// position, text position still at the iteration mark) can reach kEnd never
// depends on how it was reached, so a state met again is known to fail; a
// bit per state at the instructions where paths branch or join bounds the
// work by (instructions x characters) without changing the match found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pattern/pattern.h"
#include "pattern/pattern_program.h"
#include "pattern/scratch_vector.h"

namespace zolt {

// A choice left for later: go on at instruction `w`, text position `t`,
// with `mark`.
struct PendingChoice {
  size_t w;
  size_t t;
  size_t mark;
};

// Working memory of a search, from the platform's allocator. Kept from one
// search to the next, it spares the allocator (and the page faults of large
// blocks) on every line.
struct SearchScratch {
  ScratchVector<uint32_t> codes;  // the line's CodeString
  ScratchVector<PendingChoice> stack;
  ScratchVector<uint64_t> visited;  // one bit per (slot, position, at-mark) state
};

struct CompiledPattern {
  Program program;
  std::vector<int32_t> slot;  // per instruction: its row in the visited bits, or -1
  size_t slot_count = 0;
  bool anchored_literal = false;  // '^' and characters only: decided without the search
  std::unique_ptr<LineStartFilter> start_filter;  // null when no first byte is ruled out
  std::string required;  // bytes every matched line holds in a row; none with a start filter
  mutable SearchScratch scratch;  // a search's working memory, not part of the pattern
};

// Compiles `pattern` and numbers the instructions where paths branch or join.
void BuildCompiledPattern(std::string_view pattern, CompiledPattern* compiled);

// Finds the leftmost match in `text` up to its first NUL: true with its
// start and end character positions, false when there is none. Works in the
// pattern's scratch; a memory shortage throws std::bad_alloc.
bool FindMatch(const CompiledPattern& compiled, std::string_view text, TextIs what, size_t* start,
               size_t* end);

}  // namespace zolt

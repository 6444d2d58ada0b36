// The line filters: jobs that read one input and write one output, each a
// state machine over whole blocks of input that carries the little state a
// block boundary needs (a CR, a lead byte, a held katakana, a column, the
// line so far). Newline conversion and joining, ASCII case, control codes,
// half-width kana, TABs, duplicate lines and the UTF-8 conversions (encode);
// each plugs its block step into the one driver loop below.
#pragma once

#include <cstddef>
#include <span>

#include "io/stream_pair.h"

namespace zolt {

// Hands each block of the input to `step` (as a writable char* and a size)
// and, on a terminal, writes the output of that block at once. Stops early,
// returning false, when `step` returns false.
template <typename Step>
bool ForEachBlock(StreamPair* pair, Step&& step) {
  InStream* in = &pair->input;
  while (FillInput(in) > 0) {
    std::span<char> block = in->Pending();
    bool go_on = step(block.data(), block.size());
    in->Consume(block.size());
    EndOfBlock(&pair->output);
    if (!go_on) return false;
  }
  return true;
}

}  // namespace zolt

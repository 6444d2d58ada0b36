// The line filters: jobs that read one input and write one output, each a
// state machine over whole blocks of input that carries the little state a
// block boundary needs (a CR, a lead byte, a held katakana, a column, the
// line so far). Newline conversion and joining, ASCII case, control codes,
// half-width kana, TABs, duplicate lines and the UTF-8 conversions (encode);
// each plugs its block step into the one driver loop below.
#pragma once

#include <cstddef>
#include <span>
#include <type_traits>

#include "io/stream_pair.h"
#include "support/job_result.h"
#include "support/platform.h"
#include "support/wide_masks.h"

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

// The end of the input for a filter that has nothing left to write there.
struct NothingAtEnd {
  template <typename State>
  void operator()(State* /*state*/, OutStream* /*out*/) const {}
};

// Runs a filter over the input of `pair`: `state` (its `vectors` set from the
// platform) carries what one block leaves to the next, `block(state, data,
// size, out)` writes each block's output, and `finish(state, out)` what is
// left at the end of the input. A `block` that returns a bool stops the run
// with false, after reporting why; the run then fails and `finish` is not
// called.
template <typename State, typename Block, typename Finish = NothingAtEnd>
JobResult RunFilter(StreamPair* pair, State* state, Block block, Finish finish = {}) {
  state->vectors = FilterVectors();
  OutStream* out = &pair->output;
  bool ok = ForEachBlock(pair, [&](char* data, size_t size) {
    if constexpr (std::is_same_v<decltype(block(state, data, size, out)), bool>) {
      return block(state, data, size, out);
    } else {
      block(state, data, size, out);
      return true;
    }
  });
  if (!ok) return JobResult::kFailed;
  finish(state, out);
  return JobResult::kDone;
}

}  // namespace zolt

// Folding runs of identical consecutive lines into one.
#pragma once

#include <cstddef>

#include "io/stream_pair.h"
#include "support/job_result.h"

namespace zolt {

// State of the folding carried from one block to the next. A line is
// everything through its LF, or to the end of the input; lines are compared
// whole, whatever their length and bytes.
//
// Lines that lie whole in a block are compared where they are. One buffer
// holds the last line of the previous block; a line that blocks cut
// overwrites it as it arrives: while the two agree, the current line need
// not be written or kept apart (under folding its own bytes replace the
// equal-folding ones), and once they differ the current line is written as
// it comes and the previous one is no longer needed. Memory is therefore
// bounded by the longest line.
struct UniqState {
  UniqState() = default;
  ~UniqState();  // releases the line buffer
  UniqState(const UniqState&) = delete;
  UniqState& operator=(const UniqState&) = delete;

  bool fold = false;                       // a-z compare equal to A-Z
  char* line = nullptr;                    // the previous line, then the current one
  size_t capacity = 0;                     // bytes allocated at `line`
  size_t length = 0;                       // length of the previous line
  size_t seen = 0;                         // bytes of the current line read so far
  bool differs = false;                    // the current line is known to differ
  VectorWidth vectors = VectorWidth::k16;  // the vectors the job runs on
};

// Allocates the line buffer of a new state; false (message printed) when
// memory is short.
bool UniqStart(UniqState* state, bool fold);
// Takes one block of input, writing each line that differs from the one
// before it. False (message printed) when a line outgrows the memory.
bool UniqBlock(UniqState* state, const char* data, size_t size, OutStream* out);
// Ends the last line of the input when it has no LF.
void UniqFinish(UniqState* state, OutStream* out);

// Copies the input with every run of identical consecutive lines reduced to
// its first line; with `ignore_case` a-z compare equal to A-Z.
JobResult FoldDuplicateLines(StreamPair* pair, bool ignore_case);

}  // namespace zolt

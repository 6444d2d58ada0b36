// Expanding or deleting TAB codes.
#pragma once

#include <cstddef>

#include "io/stream_pair.h"
#include "support/job_result.h"

namespace zolt {

// State of the expansion carried from one block to the next.
struct TabState {
  int width = 8;                           // tab stops every `width` columns, 1 to 8
  int column = 0;                          // bytes written on the current line, modulo width
  VectorWidth vectors = VectorWidth::k16;  // the vectors the job runs on
};

// Writes one block with each TAB replaced by the spaces up to the next tab
// stop. Every byte written counts one column (a double-byte character two);
// the column returns to 0 after each LF and each CR.
void TabBlock(TabState* state, const char* data, size_t size, OutStream* out);

// Expands TABs to tab stops every `width` (1 to 8) columns.
JobResult ExpandTabs(StreamPair* pair, int width);

// Copies the input without its TAB bytes.
JobResult DeleteTabs(StreamPair* pair);

}  // namespace zolt

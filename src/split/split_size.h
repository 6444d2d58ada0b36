// Cutting an input into pieces of a fixed number of bytes.
#pragma once

#include <cstdint>

#include "io/stream.h"
#include "split/pieces.h"

namespace zolt {

// Writes `full` pieces of `piece_size` bytes and a last piece with `rest`
// bytes and every byte the pieces before it left over, so that the pieces
// joined give back the input. A piece other than the last that would end on
// the lead byte of a double-byte character ends one byte earlier and leaves
// that byte to the next piece. The system copies the bytes where it can;
// only the lead-range bytes right before each cut are read. A piece is made
// only while the input has bytes for it (the last, planned empty, excepted).
// Stops at the first piece that fails, returning kFailed, or where the input
// ends before the planned size, returning kEnded after the pieces before.
enum class SizeSplit { kDone, kFailed, kEnded };
SizeSplit SplitBySize(InStream* input, const SplitRun& run, uint64_t piece_size, uint64_t full,
                      uint64_t rest);

}  // namespace zolt

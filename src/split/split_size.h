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
// only the lead-range bytes right before each cut are read. Stops at the
// first piece that fails; returns false then.
bool SplitBySize(InStream* input, const SplitRun& run, uint64_t piece_size, uint64_t full,
                 uint64_t rest);

}  // namespace zolt

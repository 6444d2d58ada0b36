// Copying the rest of an input stream to an output stream.
#pragma once

#include <cstdint>

#include "io/stream.h"

namespace zolt {

// How CopyStream may move the data.
enum class CopyBy {
  kBuffer,  // in whole blocks of the input's buffer only
  kSystem,  // the system copies the data itself where it can (from a file)
};

// Copies the rest of `in` to `out` by `how` and returns the bytes copied;
// what the system leaves moves in whole blocks of the input's buffer,
// written at once on a terminal. Stops at the end of the input, a read
// error (in->error) or a write failure (out->failed).
uint64_t CopyStream(InStream* in, OutStream* out, CopyBy how);

// Copies the next `count` bytes of `in` to `out` and returns the bytes
// copied: fewer only at the end of the input, after a read error (in->error)
// or a write failure (out->failed). Bytes `in` holds buffered go first; the
// rest the system copies itself where it can, else they move through the
// input's buffer in reads that never go past the `count`-th byte.
uint64_t CopyBytes(InStream* in, OutStream* out, uint64_t count);

}  // namespace zolt

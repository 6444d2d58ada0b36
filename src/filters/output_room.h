// Direct writes into an output stream's buffer, for the inner loops of the
// filters: a loop asks once for room for the most it can write, then stores
// through a plain pointer (whole words at a time, some bytes of which may
// be overwritten by the next store) and says where it stopped.
#pragma once

#include <cstddef>

#include "support/stream.h"

namespace zolt {

// Where `size` bytes may be written at the end of what `out` holds,
// flushing it first when they do not fit; nullptr when they still do not
// (no buffer), in which case the caller writes through WriteBytes.
inline char* OutputRoom(OutStream* out, size_t size) {
  if (out->buffer.size() - out->used < size) FlushOutput(out);
  if (out->buffer.size() - out->used < size) return nullptr;
  return out->buffer.data() + out->used;
}

// Ends a direct write that began at OutputRoom: the bytes before `stop`
// are now part of the output.
inline void OutputDone(OutStream* out, const char* stop) {
  out->used = static_cast<size_t>(stop - out->buffer.data());
}

}  // namespace zolt

// The plain copy: the input written out unchanged.
#pragma once

#include "io/stream_pair.h"

namespace zolt {

// Copies the input unchanged, in whole blocks.
int CopyUnchanged(StreamPair* pair);

}  // namespace zolt

// The plain copy: the input written out unchanged.
#pragma once

#include "io/stream_pair.h"
#include "support/job_result.h"

namespace zolt {

// Copies the input unchanged, in whole blocks.
JobResult CopyUnchanged(StreamPair* pair);

}  // namespace zolt

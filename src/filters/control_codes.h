// Deleting control codes.
#pragma once

#include <cstddef>

#include "io/stream_pair.h"
#include "support/job_result.h"
#include "support/platform.h"

namespace zolt {

// State of the control-code deletion carried from one block to the next.
struct ControlState {
  bool after_cr = false;                   // the previous input byte was a CR
  VectorWidth vectors = VectorWidth::k16;  // the vectors the job runs on
};

// Writes one block without control codes: TAB stays, LF stays, a CR stays
// only when an LF follows it directly (written when the LF arrives).
void DeleteControlBlock(ControlState* state, const char* data, size_t size, OutStream* out);

// Copies the input without control codes (0x00-0x1F and 0x7F), keeping
// TAB, every LF and the CR of each CR LF pair.
JobResult DeleteControlCodes(StreamPair* pair);

}  // namespace zolt

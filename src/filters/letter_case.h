// Changing the case of ASCII letters.
#pragma once

#include <cstddef>

#include "io/stream_pair.h"
#include "support/job_result.h"
#include "support/platform.h"

namespace zolt {

// State of a case change carried from one block to the next.
struct CaseState {
  bool to_lower = true;
  bool partner_next = false;               // the block ended with a lead byte
  VectorWidth vectors = VectorWidth::k16;  // the vectors the job runs on
};

// Converts the letters of one block in place (A-Z to a-z toward lower case,
// a-z to A-Z toward upper case), leaving the byte after a Shift-JIS lead
// byte unchanged.
void ChangeCaseBlock(CaseState* state, char* data, size_t size);

// Copies the input with the letters changed toward lower case (A-Z to a-z)
// or else upper case (a-z to A-Z). A lead byte at the very end of the input
// is written unchanged.
JobResult ChangeCase(StreamPair* pair, bool to_lower);

}  // namespace zolt

// Changing the case of ASCII letters and deleting control codes.
#pragma once

#include <cstddef>

#include "io/stream_pair.h"

namespace zolt {

// State of a case change carried from one block to the next.
struct CaseState {
  bool to_lower = true;
  bool partner_next = false;  // the block ended with a lead byte
};

// Converts the letters of one block in place (A-Z to a-z toward lower case,
// a-z to A-Z toward upper case), leaving the byte after a Shift-JIS lead
// byte unchanged.
void ChangeCaseBlock(CaseState* state, char* data, size_t size);

// Copies the input with the letters changed toward lower case (A-Z to a-z)
// or else upper case (a-z to A-Z). A lead byte at the very end of the input
// is written unchanged.
int ChangeCase(StreamPair* pair, bool to_lower);

// State of the control-code deletion carried from one block to the next.
struct ControlState {
  bool after_cr = false;  // the previous input byte was a CR
};

// Writes one block without control codes: TAB stays, LF stays, a CR stays
// only when an LF follows it directly (written when the LF arrives).
void DeleteControlBlock(ControlState* state, const char* data, size_t size, OutStream* out);

// Copies the input without control codes (0x00-0x1F and 0x7F), keeping
// TAB, every LF and the CR of each CR LF pair.
int DeleteControlCodes(StreamPair* pair);

}  // namespace zolt

// Newline conversion (and the plain copy) and joining of lines.
#pragma once

#include "front/stream_pair.h"

namespace zolt {

// Type 0 copies the input unchanged; 1, 2 and 4 rewrite every newline (CR
// LF, lone CR, lone LF) as CR LF, LF or CR.
int Crconv(StreamPair* pair, int newline_type);
// Deletes every CR; an LF is kept unless it directly follows a CR.
int Join(StreamPair* pair);

}  // namespace zolt

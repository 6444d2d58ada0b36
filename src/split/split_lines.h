// Cutting an input at line boundaries: every n1 lines, or at every n1-th
// line that matches a pattern.
#pragma once

#include <cstdint>

#include "io/stream.h"
#include "io/work_buffer.h"
#include "pattern/pattern.h"
#include "split/pieces.h"

namespace zolt {

// Reads the input in chunks (a line through its LF, at most
// work.size() - 1 bytes, as ReadLine cuts them) and writes them to numbered
// pieces. Without a pattern (null) a piece holds n1 complete lines and the
// next piece starts with the first chunk of the next line; with one, a new
// piece starts at every n1-th matching line after the first line of the
// input, a line being tested on its first chunk (the whole matching line is
// left out unless run.keep_match_line). Every byte of a chunk is written;
// the pattern sees the chunk up to its first NUL byte.
// Returns false after reporting a piece that could not be created or
// written, piece numbers used up, or a search that ran out of memory (the
// rest of the input is not written).
bool SplitByLines(InStream* input, const SplitRun& run, const WorkBuffer& work, int64_t n1,
                  const CompiledPattern* pattern);

}  // namespace zolt

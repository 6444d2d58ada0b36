// Newline conversion and joining of lines.
#pragma once

#include "io/stream_pair.h"
#include "support/job_result.h"

namespace zolt {

// The form a newline conversion gives every newline.
enum class Newline {
  kCrLf,  // 0x0D 0x0A
  kLf,    // 0x0A
  kCr,    // 0x0D
  kNone,  // joining: every CR goes, and an LF directly after a CR with it
};

// Rewrites every newline (CR LF, lone CR, lone LF) in the form `newline`
// (kNone: as JoinLines).
JobResult ConvertNewlines(StreamPair* pair, Newline newline);
// Deletes every CR; an LF is kept unless it directly follows a CR.
JobResult JoinLines(StreamPair* pair);

}  // namespace zolt

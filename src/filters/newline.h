// Newline conversion and joining of lines.
#pragma once

#include "io/stream_pair.h"

namespace zolt {

// The form a newline conversion gives every newline.
enum class Newline {
  kCrLf,  // 0x0D 0x0A
  kLf,    // 0x0A
  kCr,    // 0x0D
};

// Rewrites every newline (CR LF, lone CR, lone LF) in the form `newline`.
int ConvertNewlines(StreamPair* pair, Newline newline);
// Deletes every CR; an LF is kept unless it directly follows a CR.
int JoinLines(StreamPair* pair);

}  // namespace zolt

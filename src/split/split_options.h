// The split switch -Sn1[.n2][L]: what it asks for, read once by the front
// end and handed to the split job.
#pragma once

#include <cstdint>

namespace zolt {

// The largest n1 taken; longer digit strings saturate here so that n1 * 1000
// always fits a signed 64-bit count.
constexpr int64_t kMaxSplitCount = INT64_MAX / 1000;

struct SplitOptions {
  int64_t n1 = 0;          // piece size in thousands of bytes, or lines/matches per piece
  int digits = 2;          // digits of a piece number: n2 clamped to 2..5
  bool line_mode = false;  // the switch ends in L or l
};

// Reads n1, n2 and the line-mode flag from a switch such as "-S10L" or
// "-s1.3": a two-character prefix, then the digits of n1.
SplitOptions ParseSplitOptions(const char* text);

}  // namespace zolt

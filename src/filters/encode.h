// Conversion between code page 932 and UTF-8 (-Eu, -Es): exact, through
// the table of encode_table, one block at a time in constant memory. Input
// that cannot be converted stops the job with its line and byte, or, when
// asked, is replaced and counted.
#pragma once

#include "io/stream_pair.h"
#include "support/job_result.h"

namespace zolt {

// Converts code page 932 input to UTF-8 (no byte-order mark written). An
// unconvertible unit (a lone byte, or a lead byte and its trail-range byte)
// stops the job with the message line, or with `replace` becomes U+FFFD.
// 0, or -1 when it stopped.
JobResult EncodeToUtf8(StreamPair* pair, bool replace);

// Converts UTF-8 input to code page 932, skipping one byte-order mark at the
// start. An ill-formed sequence or a character without a code stops the job
// with the message line, or with `replace` each maximal ill-formed part and
// each such character becomes 0x81 0xAC. 0, or -1 when it stopped.
JobResult EncodeToCp932(StreamPair* pair, bool replace);

}  // namespace zolt

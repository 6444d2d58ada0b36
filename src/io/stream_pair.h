// Binding the input and output of a filter run, and standard output as
// the output of any job.
#pragma once

#include <string>

#include "io/stream.h"

namespace zolt {

struct StreamPair {
  InStream input;
  OutStream output;
  bool redirected = false;  // the input is the redirected standard input
};

// Result of BindStreams.
enum class BindResult {
  kBound,
  kMissing,     // input or output could not be bound
  kSameFile,    // the output is the input under another name
  kUnreadable,  // the redirected standard input cannot be read
};

// Binds `out` to standard output, switched to untranslated mode; on a
// character device (a terminal) it writes each block through at once.
void BindStdout(OutStream* out);

// Takes over a redirected standard input: binds `in` to a duplicate of it
// and re-attaches standard input to the console. False when standard input
// is a character device (not redirected) or cannot be taken over.
bool OpenRedirectedInput(InStream* in);

// Binds input and output from the file arguments `names` (the switch or
// program name excluded) and the redirection of standard input, which is
// taken over only with fewer than two names. A named output is emptied only
// once written to (OpenMode::kWrite), and never when it is the input under
// another name.
BindResult BindStreams(int count, char** names, StreamPair* pair);

// Flushes and closes what BindStreams opened. False when the output could
// not be completely written.
bool ReleaseStreams(StreamPair* pair);

}  // namespace zolt

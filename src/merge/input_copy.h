// Copying one input of a merge into its output, with its progress line.
#pragma once

#include <string>

#include "io/stream.h"
#include "merge/write_time.h"
#include "support/platform.h"

namespace zolt {

// The state of a merge's copy: the output and what the inputs did.
struct MergeCopy {
  OutStream out;
  FileId out_id;           // the output's identity when it is a regular file
  bool show_names = true;  // print each input's name before its byte count
  CommonWriteTime write_time;
  bool input_failed = false;  // an input could not be opened, read or used
};

// Opens the input `name`, copies it to the end of the output, prints its
// progress line (the name when shown, then the byte count) and notes its
// last-write time. An input that cannot be opened or read, or that is the
// output itself, is reported and marks the copy. False when writing the
// output failed.
bool CopyNamedInput(MergeCopy* copy, const std::string& name);

}  // namespace zolt

// Copying the inputs of a merge into its output.
#pragma once

#include <string>

#include "support/platform.h"
#include "io/stream.h"

namespace zolt {

// The state of one merge copy.
struct MergeRun {
  OutStream out;
  bool to_file = false;    // false: standard output
  FileId out_id;           // the output's identity when it is a regular file
  bool show_names = true;  // print each input's name before its byte count
  FileTime write_time;     // last-write time of the first input read
  bool times_differ = false;
  bool input_failed = false;  // an input could not be opened, read or used
};

// Opens the output file `name` for appending or, without `append`, empties
// it; a missing file is created. False when it cannot be opened.
bool OpenMergeOutput(OutStream* out, const std::string& name, bool append);

// Copies the open input `in` to the end of the output in work-buffer
// blocks and prints its progress line (name when shown, byte count), then
// notes its last-write time. Returns false when writing the output failed.
bool CopyInput(InStream* in, MergeRun* run, const std::string& name);

// Opens the input `name`, copies it with CopyInput and closes it. An input
// that cannot be opened, or that is the output itself, is reported and
// skipped. Returns false when writing the output failed.
bool CopyNamedInput(MergeRun* run, const std::string& name);

// Gives the closed output file the common last-write time of the inputs,
// when there is one and the output is a regular file.
void StampOutput(const MergeRun& run, const std::string& name);

}  // namespace zolt

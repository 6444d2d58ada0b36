// The merge job: whole files copied, byte for byte, into one output.
//
// The folder holds the argument scan (merge_args: plain inputs, the output
// option and the total size), the one wildcard's sorted list of files
// (wildcard_list), list files, read once by the scan so that a pipe will do
// (list_file), the run that checks, opens the output and copies every input
// in argument order (merge_run), the copy of one input with its progress
// line (input_copy) and the output's time stamp, the last-write time its
// inputs share (write_time).
#pragma once

#include "support/job_result.h"

namespace zolt {

// The Merge job. argv[0] is the switch.
JobResult Merge(int argc, char** argv);

}  // namespace zolt

// The split job (-S): one input cut into numbered pieces by size, by line
// count or at lines that match a pattern. split.cpp is the driver (the
// arguments, the checks in their fixed order, the start lines);
// split_options reads the switch; pieces names the pieces, holds the
// settings of a run and writes the pieces one after another; output_dir
// probes the output directory; split_size and split_lines are the cutters.
#pragma once

#include "split/split_options.h"
#include "support/job_result.h"

namespace zolt {

// The Split job with the switch read into `options` and the `argc`
// arguments after it: [-#PATTERN | --#PATTERN] FILE [OUTDIR], FILE left out
// when standard input is redirected.
JobResult Split(const SplitOptions& options, int argc, char** argv);

}  // namespace zolt

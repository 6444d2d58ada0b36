// The run of a merge after its argument scan.
#pragma once

#include "merge/merge_args.h"
#include "support/job_result.h"

namespace zolt {

// Refuses an output that is among the inputs, prints the total, checks the
// free space and the number of inputs, opens the output and copies every
// input into it in argument order. Fails when the run was refused, an input
// was missed or the output could not be completely written.
JobResult RunMerge(const MergeScan& scan);

}  // namespace zolt

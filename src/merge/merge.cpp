#include "merge/merge.h"

#include <new>

#include "merge/merge_args.h"
#include "merge/merge_run.h"
#include "support/messages.h"

namespace zolt {

JobResult Merge(int argc, char** argv) {
  if (argc < 2) return JobResult::kFailed;
  try {
    MergeScan scan;
    if (!MergeArgs(argc - 1, argv + 1, &scan)) return JobResult::kFailed;
    return RunMerge(scan);
  } catch (const std::bad_alloc&) {
    PrintMessage(Text::kMemoryError);
    return JobResult::kFailed;
  }
}

}  // namespace zolt

#include "filters/plain_copy.h"

#include "io/copy.h"
#include "io/work_buffer.h"

namespace zolt {

// No per-byte work. From a file the system copies the data itself where it
// can; whatever it leaves (or cannot do) moves in whole blocks from the input
// stream's buffer to the output, which reports the errors. The work buffer
// is taken as the job requires, but the data never passes through it.
JobResult CopyUnchanged(StreamPair* pair) {
  WorkBuffer work;
  if (!work.Allocate()) return JobResult::kFailed;
  CopyStream(&pair->input, &pair->output, CopyBy::kSystem);
  return JobResult::kDone;
}

}  // namespace zolt

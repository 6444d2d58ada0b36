// The outcome of a job, as the entry point turns it into the exit status.
#pragma once

namespace zolt {

// What a job returns: it did all it was asked (kDone), or it failed or was
// refused (kFailed), its message, if the failure has one, already printed.
enum class JobResult { kDone, kFailed };

// The process exit status for `result`: 0 when done, 1 when failed.
constexpr int ExitStatus(JobResult result) {
  return result == JobResult::kDone ? 0 : 1;
}

}  // namespace zolt

// Byte-at-a-time references for the filter jobs, written from the
// description of each filter rather than from its code, and a way to run a
// job by its switch over bytes held in memory. The unit tests and the filter
// fuzz target compare the block-wise filters against the references.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/job_result.h"
#include "support/platform.h"

namespace zolt::testing {

// The switch of every filter job: the plain copy (""), each newline form,
// join, case, control codes, katakana, every TAB width and both duplicate-
// line jobs.
extern const std::vector<std::string> kFilterSwitches;

// What the job of switch `sw` makes of `in`, one byte at a time.
std::string Reference(const std::string& sw, const std::string& in);

struct FilterRun {
  std::string out;                      // bytes written to the output
  std::string err;                      // bytes written to standard error
  JobResult result = JobResult::kDone;  // what the job returned
  bool closed = false;                  // the output closed without error
  size_t blocks_left = 0;               // allocated blocks not released
};

// Runs the job of switch `sw` on `input`, delivered in reads of the sizes in
// `reads` (cycled; empty means whole blocks), with `allocation_budget`
// bytes allocatable; `vectors` caps the width the filters' vectors may take.
FilterRun RunFilterJob(const std::string& sw, const std::string& input,
                       const std::vector<size_t>& reads = {}, size_t allocation_budget = SIZE_MAX,
                       VectorWidth vectors = VectorWidth::k64);

}  // namespace zolt::testing

// Fuzz target for the filter jobs. The first byte picks the job and the
// width of the vectors, the second how the input is cut into reads; the
// rest is the input. Every job must
// succeed, release what it allocated and give exactly the bytes of its
// byte-at-a-time reference, whatever the read boundaries.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "unit/filter_references.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zolt::testing;
  if (size < 2) return 0;
  const std::string& sw = kFilterSwitches[data[0] % kFilterSwitches.size()];
  // Read sizes: whole blocks, one byte at a time, or a cycle of small sizes.
  std::vector<size_t> reads;
  unsigned cut = data[1];
  if (cut % 4 == 1) reads = {1};
  if (cut % 4 >= 2) reads = {1 + cut / 4 % 7, 1 + cut / 32, 2 + cut % 5};
  std::string input(reinterpret_cast<const char*>(data + 2), size - 2);
  auto vectors = static_cast<zolt::VectorWidth>(data[0] / kFilterSwitches.size() % 3);
  FilterRun run = RunFilterJob(sw, input, reads, SIZE_MAX, vectors);
  Require(run.result == zolt::JobResult::kDone && run.closed, "the job succeeds");
  Require(run.out == Reference(sw, input), "the output is the reference's");
  Require(run.blocks_left == 0, "every block allocated is released");
  return 0;
}

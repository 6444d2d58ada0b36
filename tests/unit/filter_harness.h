// Runs a filter job over bytes held in memory.
//
// A MemoryPlatform stands in for the system: the input descriptor yields the
// bytes in reads of chosen sizes (so a job sees any block boundaries), the
// output and standard error are captured, and allocations can be made to
// fail beyond a budget. Everything else goes to the native platform.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "io/stream_pair.h"

namespace zolt::testing {

struct FilterRun {
  std::string out;  // bytes written to the output
  std::string err;  // bytes written to standard error
  int result = 0;   // what the job returned
};

// Runs `job` with the input `input`, delivered in reads of the sizes in
// `reads` (repeated from the start when used up; empty means whole
// blocks). `allocation_budget` bytes may be allocated; beyond them
// allocation fails.
FilterRun RunJob(const std::function<int(StreamPair*)>& job, const std::string& input,
                 const std::vector<size_t>& reads = {}, size_t allocation_budget = SIZE_MAX);

// Read sizes that cut `size` bytes at random places: mostly short reads
// (size 1 included), some long ones.
std::vector<size_t> RandomReads(std::mt19937* rng, size_t size);

// Random text biased towards the bytes the filters treat specially: CR,
// LF, TAB, control codes, Shift-JIS lead bytes, half-width katakana and
// sound marks, and letters.
std::string RandomText(std::mt19937* rng, size_t max_length);

using Job = std::function<int(StreamPair*)>;
using Reference = std::function<std::string(const std::string&)>;
using Generator = std::function<std::string(std::mt19937*, size_t max_length)>;

// Runs `job` on many random texts (RandomText unless `generate` is given),
// each cut into reads at random places or a byte at a time, and expects
// exactly the bytes `reference` gives for the whole text. Reports the first
// text that differs.
void CheckAgainstReference(const Job& job, const Reference& reference, unsigned seed,
                           const Generator& generate = RandomText);

// The newline job of type 0 (the plain copy), 1 (CR LF), 2 (LF) or 4 (CR).
int ConvertNewlineType(StreamPair* pair, int type);

// Bytes as hexadecimal pairs, for failure messages.
std::string Hex(const std::string& bytes);

}  // namespace zolt::testing

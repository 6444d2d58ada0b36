#include "pattern/pattern.h"

#include <new>
#include <vector>

#include "pattern/pattern_match.h"

namespace zolt {

namespace {

// Scratch memory above this size is given back after a search.
constexpr size_t kKeptScratchBytes = size_t{4} << 20;

// Frees the scratch when it holds more than kKeptScratchBytes.
void TrimScratch(SearchScratch* scratch) {
  size_t bytes = scratch->codes.capacity() * sizeof(uint32_t) +
                 scratch->stack.capacity() * sizeof(PendingChoice) +
                 scratch->visited.capacity() * sizeof(uint64_t);
  if (bytes > kKeptScratchBytes) *scratch = SearchScratch();
}

}  // namespace

void ReleasePattern(CompiledPattern* compiled) {
  delete compiled;
}

PatternHandle CompilePattern(std::string_view pattern) {
  PatternHandle compiled(new CompiledPattern);
  BuildCompiledPattern(pattern, compiled.get());
  return compiled;
}

bool SearchCompiled(const CompiledPattern& compiled, std::string_view text, TextIs what) {
  size_t start = 0;
  size_t end = 0;
  bool found = false;
  try {
    found = FindMatch(compiled, text, what, &start, &end);
  } catch (const std::bad_alloc&) {
    compiled.scratch = SearchScratch();  // give back what the search got
    throw;
  }
  TrimScratch(&compiled.scratch);
  return found;
}

const LineStartFilter* StartFilterOf(const CompiledPattern& compiled) {
  return compiled.start_filter.get();
}

std::string_view RequiredBytesOf(const CompiledPattern& compiled) {
  return compiled.required;
}

}  // namespace zolt

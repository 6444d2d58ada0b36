// Compile + search times of the pattern engine on lines of 1 KB to 16 KB,
// for ordinary patterns and for patterns that make a plain backtracking
// matcher exponential or polynomial. Each pattern reports its growth.
#include <benchmark/benchmark.h>

#include <string>

#include "pattern/pattern.h"

namespace {

// A line of `length` bytes: Shift-JIS prose with no match for the patterns
// below except where a pattern is built to match.
std::string ProseLine(size_t length) {
  const std::string piece = "\x82\xB1\x82\xEA\x82\xCD\x96\x7B\x82\xC5\x82\xB7\x81\x42 text 12.5, ";
  std::string line;
  while (line.size() + piece.size() <= length) line += piece;
  line.append(length - line.size(), 'z');
  return line;
}

void Run(benchmark::State& state, const char* pattern, const std::string& line) {
  bool found = false;
  for (auto _ : state) {
    found = zolt::SearchCompiled(*zolt::CompilePattern(pattern), line, zolt::TextIs::kWholeLine);
    benchmark::DoNotOptimize(found);
  }
  state.counters["match"] = found;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(line.size()));
  state.SetComplexityN(state.range(0));
}

void Ordinary(benchmark::State& state, const char* pattern) {
  Run(state, pattern, ProseLine(static_cast<size_t>(state.range(0))));
}

void RunOfA(benchmark::State& state, const char* pattern) {
  Run(state, pattern, std::string(static_cast<size_t>(state.range(0)), 'a'));
}

// Compile once, search the same line many times, as the split job may do.
void CompiledOnce(benchmark::State& state) {
  std::string line = ProseLine(static_cast<size_t>(state.range(0)));
  zolt::PatternHandle compiled = zolt::CompilePattern("^\x91\xE6[0-9]+\x8F\xCD");
  for (auto _ : state)
    benchmark::DoNotOptimize(zolt::SearchCompiled(*compiled, line, zolt::TextIs::kWholeLine));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(line.size()));
  state.SetComplexityN(state.range(0));
}

#define LINES RangeMultiplier(2)->Range(1 << 10, 1 << 14)->Complexity()

BENCHMARK_CAPTURE(Ordinary, literal, "chapter")->LINES;
BENCHMARK_CAPTURE(Ordinary, anchored_kanji, "^\x91\xE6")->LINES;
BENCHMARK_CAPTURE(Ordinary, number, "[0-9]+\\.[0-9]+x")->LINES;
BENCHMARK_CAPTURE(Ordinary, dot_star, "\x91\xE6.*\x8F\xCD")->LINES;
BENCHMARK_CAPTURE(Ordinary, alternation, "(abc|def|ghi)+j")->LINES;
BENCHMARK_CAPTURE(RunOfA, nested_star, "(a*)*b")->LINES;
BENCHMARK_CAPTURE(RunOfA, same_alternatives, "(a|a)*b")->LINES;
BENCHMARK_CAPTURE(RunOfA, three_dot_stars, ".*.*.*x")->LINES;
BENCHMARK_CAPTURE(RunOfA, overlapping, "(a|aa)*c")->LINES;
BENCHMARK_CAPTURE(RunOfA, match_to_end, "(a|b)*$")->LINES;
BENCHMARK(CompiledOnce)->LINES;

}  // namespace

BENCHMARK_MAIN();

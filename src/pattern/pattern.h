// The pattern engine's entry points.
#pragma once

#include <cstdint>
#include <memory>

namespace zolt {

// Where a match lies in a line, in characters and in bytes.
struct MatchSpan {
  uint32_t StartChar = 0;
  uint32_t LengthChars = 0;
  uint32_t StartByte = 0;
  uint32_t LengthBytes = 0;
};

// A pattern compiled once and searched many times.
struct CompiledPattern;

void ReleasePattern(CompiledPattern* compiled);
struct CompiledPatternDeleter {
  void operator()(CompiledPattern* p) const { ReleasePattern(p); }
};
using PatternHandle = std::unique_ptr<CompiledPattern, CompiledPatternDeleter>;

// Compiles `pattern` (NUL-terminated Shift-JIS text). Every text compiles;
// only a memory shortage (std::bad_alloc) can stop it.
PatternHandle CompileOnce(const char* pattern);

// Searches the NUL-terminated `line` with a compiled pattern: 1 with `span`
// filled on the leftmost match, 0 when there is none, -1 when memory ran
// short. Time grows with (pattern size x line length), never faster. The
// search keeps its memory in the compiled pattern, so one compiled pattern
// serves one thread at a time.
int SearchCompiled(const CompiledPattern& compiled, const char* line, MatchSpan* span);

// Compiles `pattern` and searches `line` with it: 1 on a match, 0 when there
// is none, -1 when memory ran short.
int PatternSearch(MatchSpan* span, const char* line, const char* pattern);

}  // namespace zolt

// The engine's entry points: compile once, search many lines.
#include <new>
#include <vector>

#include "pattern/char_reader.h"
#include "pattern/pattern.h"
#include "pattern/pattern_match.h"

namespace zolt {

void ReleasePattern(CompiledPattern* compiled) {
  delete compiled;
}

PatternHandle CompileOnce(const char* pattern) {
  PatternHandle compiled(new CompiledPattern);
  BuildCompiledPattern(pattern, compiled.get());
  return compiled;
}

int SearchCompiled(const CompiledPattern& compiled, const char* line, MatchSpan* span) {
  size_t start = 0;
  size_t end = 0;
  try {
    std::vector<uint32_t> codes;
    ToCodeString(line, &codes);
    if (!FindMatch(compiled, codes, &start, &end)) return 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
  const char* match = SkipChars(line, start);
  const char* after = SkipChars(match, end - start);
  span->StartChar = static_cast<uint32_t>(start);
  span->LengthChars = static_cast<uint32_t>(end - start);
  span->StartByte = static_cast<uint32_t>(match - line);
  span->LengthBytes = static_cast<uint32_t>(after - match);
  return 1;
}

int PatternSearch(MatchSpan* span, const char* line, const char* pattern) {
  try {
    return SearchCompiled(*CompileOnce(pattern), line, span);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

}  // namespace zolt

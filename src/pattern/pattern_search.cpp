// Placeholder until the engine is built: nothing matches.
#include <string>

#include "pattern/pattern.h"

namespace zolt {

struct CompiledPattern {
  std::string text;
};

void ReleasePattern(CompiledPattern* compiled) {
  delete compiled;
}

PatternHandle CompileOnce(const char* pattern) {
  return PatternHandle(new CompiledPattern{pattern});
}

int SearchCompiled(const CompiledPattern&, const char*, MatchSpan*) {
  return 0;
}

int PatternSearch(MatchSpan* span, const char* line, const char* pattern) {
  return SearchCompiled(*CompileOnce(pattern), line, span);
}

}  // namespace zolt

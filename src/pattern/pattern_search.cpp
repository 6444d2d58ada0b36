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

// True when the pattern cannot match `line` whatever follows its first
// character: an anchored pattern whose first word is a character fails at
// once on a line that starts with another one. Spares the conversion of the
// whole line for the lines that a chapter pattern such as ^X passes over.
bool FirstCharacterRules(const CompiledPattern& compiled, const char* line) {
  const std::vector<PatternWord>& words = compiled.words;
  if (words.size() < 2 || words[0] != OP_BOL || !IsLiteralWord(words[1])) return false;
  CharRead ch = NextChar(&line);
  bool whole = ch.kind == CharKind::kSingle || ch.kind == CharKind::kDouble;
  uint32_t first = whole ? ch.code : kEndOfText;
  return static_cast<PatternWord>(first) != words[1];
}

}  // namespace

int SearchCompiled(const CompiledPattern& compiled, const char* line, MatchSpan* span) {
  if (FirstCharacterRules(compiled, line)) return 0;
  SearchScratch& scratch = compiled.scratch;
  size_t start = 0;
  size_t end = 0;
  bool found = false;
  bool short_of_memory = false;
  try {
    ToCodeString(line, &scratch.codes);
    found = FindMatch(compiled, &scratch, &start, &end);
  } catch (const std::bad_alloc&) {
    short_of_memory = true;
  }
  TrimScratch(&scratch);
  if (short_of_memory) return -1;
  if (!found) return 0;
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
    return -1;
  }
}

}  // namespace zolt

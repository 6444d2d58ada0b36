// The pattern engine: a pattern of Shift-JIS text is compiled once into a
// list of instructions and then searched for in one line after another, each
// character (single or double byte) being one 16-bit code. The search
// follows the exact order of a plain backtracking matcher (greedy
// repetition, left alternative first, leftmost start), so it finds the match
// such a matcher finds; a memo bit per (branch instruction, text position)
// state bounds its work by (instructions x line characters). This header is
// the engine's interface; char_reader reads characters, pattern_program
// holds the instruction list, pattern_escape and pattern_compile build it,
// and pattern_match runs it.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string_view>

namespace zolt {

// A compiled pattern, with the working memory of its searches.
struct CompiledPattern;

// Frees a compiled pattern.
void ReleasePattern(CompiledPattern* compiled);

// Deleter of PatternHandle.
struct CompiledPatternDeleter {
  void operator()(CompiledPattern* p) const { ReleasePattern(p); }
};
using PatternHandle = std::unique_ptr<CompiledPattern, CompiledPatternDeleter>;

// Compiles `pattern` (Shift-JIS text, up to its first NUL byte). Every text
// compiles; a memory shortage throws std::bad_alloc.
PatternHandle CompilePattern(std::string_view pattern);

// What a searched text is: a whole line (its end is the end of the line,
// where '$' matches), or the first chunk of a line that goes on after it.
enum class TextIs : uint8_t { kWholeLine, kFirstChunk };

// True when `text`, up to its first NUL byte, holds a match for the compiled
// pattern.
// A memory shortage throws std::bad_alloc: it is never taken for "no match".
// Uses the pattern's working memory, so one compiled pattern serves one
// search at a time. Time grows with (pattern size x line length), never
// faster.
bool SearchCompiled(const CompiledPattern& compiled, std::string_view text, TextIs what);

// The first bytes of the lines a pattern that must match at the line's start
// with a given character can match; a line whose bytes it rules out never
// matches, so the search is needed only for the others.
struct LineStartFilter {
  enum Opens : uint8_t { kNever, kSingle, kLead };
  std::array<Opens, 256> first{};  // what a line starting with the byte opens
  std::bitset<65536> pairs;        // (lead << 8 | second) that read as the character
  int only = -1;                   // the one byte that may open a match, or -1
  int only_second = -1;            // when `only` is a lead byte: its one second byte, or -1

  // Whether a line starting at p[0] (p[1] after it when `more`) may match.
  bool MayMatch(const unsigned char* p, bool more) const {
    Opens opens = first[p[0]];
    if (opens != kLead || !more) return opens != kNever;
    return pairs[static_cast<size_t>(p[0]) << 8 | p[1]];
  }
};

// The pattern's line-start filter, or null when its match may start a line
// with any byte.
const LineStartFilter* StartFilterOf(const CompiledPattern& compiled);

// Bytes that every line the pattern matches holds in a row, read as the
// search reads them (a line without them never matches); empty when the
// pattern has a line-start filter or no such bytes are known.
std::string_view RequiredBytesOf(const CompiledPattern& compiled);

}  // namespace zolt

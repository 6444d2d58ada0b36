// Fuzz target for the pattern engine. The input's first byte gives the
// pattern's length; the pattern and then the line follow. The line, and then
// its second half with the same compiled pattern, are searched; for small
// inputs a plain recursive matcher that follows the matching rules step by
// step with no memo must find the same match.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "pattern/char_reader.h"
#include "pattern/pattern.h"
#include "pattern/pattern_match.h"

namespace zolt {
namespace {

// The plain matcher: a direct, exponential rendering of the matching rules.
struct Reference {
  const std::vector<PatternWord>& words;
  const ScratchVector<uint32_t>& text;  // ends with kEndOfText
  long budget;
  bool exhausted = false;

  bool ClassHas(size_t list, uint32_t c) {
    if (c == kEndOfText) return false;
    bool negated = words[list] == '^';
    list += negated;
    bool found = false;
    while (words[list] != 0 && !found) {
      if (words[list] == RANGE_MARK) {
        PatternWord a = words[list + 1], b = words[list + 2];
        found = c >= std::min(a, b) && c <= std::max(a, b);
        list += 3;
      } else if (words[list] == OP_LITERAL) {
        found = c == words[list + 1];
        list += 2;
      } else {
        found = c == words[list];
        list += 1;
      }
    }
    return found != negated;
  }

  // Returns true with *end on success; sets `exhausted` when out of steps.
  bool MatchHere(size_t w, size_t t, size_t mark, size_t* end) {
    for (;;) {
      if (--budget < 0) exhausted = true;
      if (exhausted) return false;
      PatternWord x = words[w++];
      uint32_t c = text[t];
      if (x == OP_END) {
        *end = t;
        return true;
      }
      if (x == OP_LITERAL) {
        if (c != words[w++]) return false;
        ++t;
      } else if (x == OP_EOL) {
        if (words[w] != OP_END) {
          if (c != '$') return false;
          ++t;
        } else if (c != kEndOfText) {
          return false;
        }
      } else if (x == OP_ANY) {
        if (c == kEndOfText) return false;
        ++t;
      } else if (x == OP_CLASS) {
        if (!ClassHas(w + 1, c)) return false;
        ++t;
        w += static_cast<size_t>(words[w] / 2);
      } else if (x == OP_ALT) {
        if (MatchHere(w + 1, t, mark, end) || exhausted) return !exhausted;
        w += static_cast<size_t>(words[w] / 2);
      } else if (x == OP_JUMP) {
        w += static_cast<size_t>(words[w] / 2);
      } else if (x == OP_STAR || x == OP_PLUS || x == OP_QUEST) {
        PatternWord offset = words[w];
        if (offset > 0 && x != OP_PLUS) {
          if (MatchHere(w + 1, t, mark, end) || exhausted) return !exhausted;
          w += static_cast<size_t>(offset / 2);
        } else if (offset > 0 || x == OP_QUEST) {
          ++w;
        } else {
          size_t back = static_cast<size_t>(static_cast<PatternWord>(w) + offset / 2);
          if (t != mark && (MatchHere(back, t, t, end) || exhausted)) return !exhausted;
          ++w;
        }
      } else {  // a literal; any other word is read as one too
        if (c != x) return false;
        ++t;
      }
    }
  }

  // Leftmost match: true with its start and end; `exhausted` if undecided.
  bool Search(size_t* start, size_t* end) {
    if (words[0] == OP_BOL) {
      *start = 0;
      return MatchHere(1, 0, 0, end);
    }
    for (*start = 0; *start < text.size(); ++*start)
      if (MatchHere(0, *start, *start, end) || exhausted) return !exhausted;
    return false;
  }
};

}  // namespace
}  // namespace zolt

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zolt;
  if (size == 0) return 0;
  const uint8_t* at = data + 1;
  const std::string pattern = Take(&at, data + size, data[0]).c_str();  // up to a NUL
  const std::string line = Take(&at, data + size, size).c_str();

  PatternHandle compiled = CompileOnce(pattern.c_str());
  for (const std::string& text : {line, line.substr(line.size() / 2)}) {
    size_t start = 0, end = 0, ref_start = 0, ref_end = 0;
    bool found = FindMatch(*compiled, text.c_str(), &start, &end);
    Require(found == SearchCompiled(*compiled, text.c_str()), "search and match agree");
    ScratchVector<uint32_t> codes;
    ToCodeString(text.c_str(), &codes);
    if (pattern.size() > 24 || codes.size() > 40) continue;
    Reference reference{compiled->words, codes, 2000000};
    bool expected = reference.Search(&ref_start, &ref_end);
    if (reference.exhausted) continue;
    Require(expected == found, "same outcome as the plain matcher");
    Require(!found || (start == ref_start && end == ref_end), "same span as the plain matcher");
  }
  return 0;
}

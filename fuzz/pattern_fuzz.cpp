// Fuzz target for the pattern engine. The input's first byte gives the
// pattern's length; the pattern and then the line follow. Every input checks
// that the compiled words are well formed, that compile-once and
// compile-per-call searches agree, and that the span lies inside the line.
// Small inputs are also run through a plain recursive matcher that follows
// the matching rules step by step with no memo, and both must find the same
// match.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "pattern/char_reader.h"
#include "pattern/pattern.h"
#include "pattern/pattern_compile.h"
#include "pattern/pattern_match.h"

namespace zolt {
namespace {

// Checks that every instruction, offset and class list stays inside the words
// and that offsets land on instruction boundaries.
void CheckWords(const std::vector<PatternWord>& words) {
  size_t size = words.size();
  Require(size > 0 && words[size - 1] == OP_END, "compiled words end with OP_END");
  std::vector<bool> boundary(size + 1, false);
  std::vector<size_t> targets;
  size_t at = 0;
  if (words[0] == OP_BOL) at = 1;
  while (at < size) {
    boundary[at] = true;
    PatternWord op = words[at];
    Require(op >= 0 && op <= 0xFFFF, "instruction word is a 16-bit value");
    Require(op != OP_BOL || at == 0, "OP_BOL only first");
    Require(op != OP_END || at == size - 1, "OP_END only last");
    if (!IsLiteralWord(op) && HasOffset(op)) {
      Require(at + 1 < size, "offset inside the words");
      PatternWord offset = words[at + 1];
      Require(offset % 2 == 0 && offset != 0, "offset is a non-zero even byte count");
      PatternWord target = static_cast<PatternWord>(at + 1) + offset / 2;
      Require(target >= 0 && target < static_cast<PatternWord>(size), "offset target inside");
      targets.push_back(static_cast<size_t>(target));
      if (op == OP_CLASS) {
        size_t i = at + 2;
        while (i < static_cast<size_t>(target) && words[i] != 0)
          i += words[i] == RANGE_MARK ? 3 : words[i] == OP_LITERAL ? 2 : 1;
        Require(i < static_cast<size_t>(target), "class list ends before its offset target");
      }
    }
    if (op == OP_LITERAL)
      Require(at + 1 < size && words[at + 1] >= 0 && words[at + 1] <= 0xFFFF,
              "literal code present");
    size_t length = InstructionLength(words, at);
    Require(length > 0 && at + length <= size, "instruction inside the words");
    at += length;
  }
  for (size_t target : targets) Require(boundary[target], "offset lands on an instruction");
}

// The plain matcher: a direct, exponential rendering of the matching rules.
struct Reference {
  const std::vector<PatternWord>& words;
  const std::vector<uint32_t>& text;  // ends with kEndOfText
  long budget;
  bool exhausted = false;

  bool ClassHas(size_t list, uint32_t c) {
    if (c == kEndOfText) return false;
    bool negated = words[list] == '^';
    if (negated) ++list;
    bool found = false;
    while (words[list] != 0 && !found) {
      if (words[list] == RANGE_MARK) {
        PatternWord a = words[list + 1], b = words[list + 2];
        PatternWord low = a < b ? a : b, high = a < b ? b : a;
        found = c >= low && c <= high;
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
      if (--budget < 0) {
        exhausted = true;
        return false;
      }
      PatternWord x = words[w++];
      uint32_t c = text[t];
      if (IsLiteralWord(x)) {
        if (c != x) return false;
        ++t;
        continue;
      }
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
        if (MatchHere(w + 1, t, mark, end)) return true;
        if (exhausted) return false;
        w += static_cast<size_t>(words[w] / 2);
      } else if (x == OP_JUMP) {
        w += static_cast<size_t>(words[w] / 2);
      } else if (x == OP_STAR || x == OP_PLUS || x == OP_QUEST) {
        PatternWord offset = words[w];
        if (offset > 0 && x != OP_PLUS) {
          if (MatchHere(w + 1, t, mark, end)) return true;
          if (exhausted) return false;
          w += static_cast<size_t>(offset / 2);
        } else if (offset > 0 || x == OP_QUEST) {
          ++w;
        } else {
          size_t exit = w + 1;
          if (t != mark) {
            size_t target = static_cast<size_t>(static_cast<PatternWord>(w) + offset / 2);
            if (MatchHere(target, t, t, end)) return true;
            if (exhausted) return false;
          }
          w = exit;
        }
      } else {
        if (c != static_cast<uint32_t>(x)) return false;
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
    for (size_t s = 0; s < text.size(); ++s) {
      if (MatchHere(0, s, s, end)) {
        *start = s;
        return true;
      }
      if (exhausted) return false;
    }
    return false;
  }
};

// Codes of a line and the byte offset of each character, read directly.
void DecodeLine(const std::string& line, std::vector<uint32_t>* codes,
                std::vector<size_t>* offsets) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(line.c_str());
  size_t i = 0;
  while (p[i] != 0) {
    bool lead = (p[i] >= 0x81 && p[i] <= 0x9F) || (p[i] >= 0xE0 && p[i] <= 0xFC);
    if (lead && p[i + 1] == 0) break;
    offsets->push_back(i);
    if (lead) {
      codes->push_back(SjisToJis(p[i], p[i + 1]));
      i += 2;
    } else {
      codes->push_back(p[i]);
      i += 1;
    }
  }
  offsets->push_back(i);
  codes->push_back(kEndOfText);
}

}  // namespace
}  // namespace zolt

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zolt;
  if (size == 0) return 0;
  size_t pattern_length = data[0];
  if (pattern_length > size - 1) pattern_length = size - 1;
  std::string pattern(reinterpret_cast<const char*>(data + 1), pattern_length);
  std::string line(reinterpret_cast<const char*>(data + 1 + pattern_length),
                   size - 1 - pattern_length);
  pattern.resize(std::strlen(pattern.c_str()));
  line.resize(std::strlen(line.c_str()));

  PatternHandle compiled = CompileOnce(pattern.c_str());
  CheckWords(compiled->words);

  MatchSpan span;
  int found = SearchCompiled(*compiled, line.c_str(), &span);
  MatchSpan again;
  int found_again = PatternSearch(&again, line.c_str(), pattern.c_str());
  Require(found == 0 || found == 1, "result is 0 or 1");
  Require(found == found_again, "compile-once and per-call searches agree");

  std::vector<uint32_t> codes;
  std::vector<size_t> offsets;
  DecodeLine(line, &codes, &offsets);
  if (found) {
    Require(span.StartByte == again.StartByte && span.LengthBytes == again.LengthBytes &&
                span.StartChar == again.StartChar && span.LengthChars == again.LengthChars,
            "compile-once and per-call spans agree");
    size_t chars = codes.size() - 1;
    Require(span.StartChar + span.LengthChars <= chars, "span inside the line's characters");
    Require(span.StartByte == offsets[span.StartChar], "start byte is the start character's");
    Require(span.StartByte + span.LengthBytes == offsets[span.StartChar + span.LengthChars],
            "end byte is the end character's");
    Require(compiled->words[0] != OP_BOL || span.StartChar == 0, "anchored match starts at 0");
  }

  if (pattern.size() <= 24 && codes.size() <= 40) {
    Reference reference{compiled->words, codes, 2000000};
    size_t start = 0;
    size_t end = 0;
    bool expected = reference.Search(&start, &end);
    if (!reference.exhausted) {
      Require(expected == (found == 1), "same outcome as the plain matcher");
      if (expected) {
        Require(span.StartChar == start, "same start as the plain matcher");
        Require(span.StartChar + span.LengthChars == end, "same end as the plain matcher");
      }
    }
  }
  return 0;
}

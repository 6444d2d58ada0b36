#include "pattern/pattern_match.h"

#include <algorithm>

#include "pattern/char_reader.h"
#include "pattern/pattern_compile.h"

namespace zolt {

namespace {

// One bit per (slot, text position, at-mark) state already entered.
class Visited {
 public:
  Visited(size_t slots, size_t positions, ScratchVector<uint64_t>* bits)
      : slots_(slots), positions_(positions), bits_(bits) {}

  // Marks the state; false when it was marked before.
  bool Enter(int32_t slot, size_t t, bool at_mark) {
    if (!cleared_) {
      bits_->assign((slots_ * positions_ * 2 + 63) / 64, 0);
      cleared_ = true;
    }
    size_t bit = (static_cast<size_t>(slot) * positions_ + t) * 2 + (at_mark ? 1 : 0);
    uint64_t mask = uint64_t{1} << (bit % 64);
    uint64_t& word = (*bits_)[bit / 64];
    if (word & mask) return false;
    word |= mask;
    return true;
  }

 private:
  size_t slots_;
  size_t positions_;
  ScratchVector<uint64_t>* bits_;
  bool cleared_ = false;  // the bits are cleared when the first state is entered
};

// The class test for code c against the member list at `list`.
bool ClassHas(const PatternWord* list, uint32_t c) {
  if (c == kEndOfText) return false;
  bool negated = false;
  if (*list == '^') {
    negated = true;
    ++list;
  }
  bool found = false;
  while (*list != 0 && !found) {
    if (*list == RANGE_MARK) {
      PatternWord low = std::min(list[1], list[2]);
      PatternWord high = std::max(list[1], list[2]);
      found = c >= low && c <= high;
      list += 3;
    } else if (*list == OP_LITERAL) {
      found = c == list[1];
      list += 2;
    } else {
      found = c == *list;
      ++list;
    }
  }
  return found != negated;
}

// Runs the compiled words from word `w` at text position `s` (the mark is s).
bool MatchFrom(const CompiledPattern& compiled, const uint32_t* text, bool line_ends, size_t w,
               size_t s, Visited* visited, ScratchVector<PendingChoice>* stack, size_t* end) {
  const PatternWord* words = compiled.words.data();
  const int32_t* slot = compiled.slot.data();
  size_t t = s;
  size_t mark = s;
  stack->clear();
  for (;;) {
    bool ok = true;
    if (slot[w] >= 0 && !visited->Enter(slot[w], t, t == mark)) {
      ok = false;
    } else {
      PatternWord x = words[w++];
      uint32_t c = text[t];
      if (IsLiteralWord(x)) {
        ok = c == x;
        t += ok;
      } else {
        switch (MetaClass[x >> 8]) {
          case kMetaEnd:
            *end = t;
            return true;
          case kMetaDollar:
            if (words[w] == OP_END) {
              ok = c == kEndOfText && line_ends;
            } else {
              ok = c == '$';
              t += ok;
            }
            break;
          case kMetaDot:
            ok = c != kEndOfText;
            t += ok;
            break;
          case kMetaBackslash:
            ok = c == words[w++];
            t += ok;
            break;
          case kMetaBracket:
            ok = ClassHas(words + w + 1, c);
            t += ok;
            w += static_cast<size_t>(words[w] / 2);
            break;
          case kMetaBar:
            stack->push_back({w + static_cast<size_t>(words[w] / 2), t, mark});
            ++w;
            break;
          case kMetaDel:
            w += static_cast<size_t>(words[w] / 2);
            break;
          case kMetaStar:
          case kMetaPlus:
          case kMetaQuest: {
            PatternWord offset = words[w];
            if (offset > 0) {
              if (x != OP_PLUS) stack->push_back({w + static_cast<size_t>(offset / 2), t, mark});
              ++w;
            } else if (x == OP_QUEST || t == mark) {
              ++w;
            } else {
              stack->push_back({w + 1, t, mark});
              mark = t;
              w -= static_cast<size_t>(-offset / 2);
            }
            break;
          }
          default:  // a bare code that no compilation produces: compare it
            ok = c == static_cast<uint32_t>(x);
            t += ok;
            break;
        }
      }
    }
    if (ok) continue;
    if (stack->empty()) return false;
    PendingChoice next = stack->back();
    stack->pop_back();
    w = next.w;
    t = next.t;
    mark = next.mark;
  }
}

// True when the pattern cannot match `line` whatever follows its first
// character: an anchored pattern whose first word is a character fails at
// once on a line that starts with another one. Spares the conversion of the
// whole line for the lines that a chapter pattern such as ^X passes over.
bool FirstCharacterRules(const CompiledPattern& compiled, std::string_view text) {
  const std::vector<PatternWord>& words = compiled.words;
  if (words.size() < 2 || words[0] != OP_BOL || !IsLiteralWord(words[1])) return false;
  char first_two[3] = {};
  text.copy(first_two, 2);
  const char* line = first_two;
  CharRead ch = NextChar(&line);
  bool whole = ch.kind == CharKind::kSingle || ch.kind == CharKind::kDouble;
  uint32_t first = whole ? ch.code : kEndOfText;
  return static_cast<PatternWord>(first) != words[1];
}

// Marks word `w` as one where paths branch or join.
void AddSlot(CompiledPattern* compiled, size_t w) {
  if (compiled->slot[w] < 0) compiled->slot[w] = static_cast<int32_t>(compiled->slot_count++);
}

}  // namespace

void BuildCompiledPattern(const char* pattern, CompiledPattern* compiled) {
  compiled->words = CompilePattern(pattern);
  const std::vector<PatternWord>& words = compiled->words;
  compiled->slot.assign(words.size(), -1);
  compiled->slot_count = 0;
  // Every word other than these is reached only from the word before it.
  for (size_t at = words[0] == OP_BOL ? 1 : 0; at < words.size();
       at += InstructionLength(words, at)) {
    PatternWord op = words[at];
    if (IsLiteralWord(op) || op == OP_CLASS || !HasOffset(op)) continue;
    PatternWord offset = words[at + 1];
    size_t target = static_cast<size_t>(static_cast<PatternWord>(at + 1) + offset / 2);
    bool branches = op == OP_ALT || (offset > 0 ? op != OP_PLUS : op != OP_QUEST);
    if (branches) AddSlot(compiled, at);
    if (op != OP_QUEST || offset > 0) AddSlot(compiled, target);
  }
}

bool FindMatch(const CompiledPattern& compiled, std::string_view text, TextIs what, size_t* start,
               size_t* end) {
  if (FirstCharacterRules(compiled, text)) return false;
  SearchScratch* scratch = &compiled.scratch;
  ToCodeString(text, &scratch->codes);
  bool line_ends = what == TextIs::kWholeLine;
  const ScratchVector<uint32_t>& codes = scratch->codes;
  Visited visited(compiled.slot_count, codes.size(), &scratch->visited);
  ScratchVector<PendingChoice>* stack = &scratch->stack;
  if (compiled.words[0] == OP_BOL) {
    *start = 0;
    return MatchFrom(compiled, codes.data(), line_ends, 1, 0, &visited, stack, end);
  }
  for (size_t s = 0; s < codes.size(); ++s) {
    if (MatchFrom(compiled, codes.data(), line_ends, 0, s, &visited, stack, end)) {
      *start = s;
      return true;
    }
  }
  return false;
}

}  // namespace zolt

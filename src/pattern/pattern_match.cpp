#include "pattern/pattern_match.h"

#include <algorithm>
#include <string>

#include "pattern/char_reader.h"
#include "pattern/pattern_compile.h"
#include "support/sjis.h"

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

// The searches of one line: the text, and where the current path stands.
struct Matcher {
  const CompiledPattern& compiled;
  const uint32_t* text;  // the CodeString
  bool line_ends;        // the end of the text is the end of the line
  Visited* visited;
  ScratchVector<PendingChoice>* stack;
  size_t w = 0;  // the next instruction
  size_t t = 0;  // the text position
  size_t mark = 0;
};

// True when the class holds the code `c` (never the end of the text).
bool ClassHas(const CharClass& set, uint32_t c) {
  if (c == kEndOfText) return false;
  bool found = std::any_of(set.ranges.begin(), set.ranges.end(),
                           [c](CharRange range) { return c >= range.low && c <= range.high; });
  return found != set.negated;
}

// Takes the character at the text position when `fits`.
bool Consume(Matcher* m, bool fits) {
  m->t += fits;
  return fits;
}

// Ends a round of a repeated atom: another round, with the end of the
// repetition left for later, unless this round consumed nothing.
bool LoopBack(Matcher* m, size_t atom) {
  if (m->t == m->mark) return true;
  m->stack->push_back({m->w, m->t, m->mark});
  m->mark = m->t;
  m->w = atom;
  return true;
}

// Runs one instruction other than kEnd (m->w is already past it); false when
// the path fails there.
bool Step(Matcher* m, const Instruction& op) {
  uint32_t c = m->text[m->t];
  switch (op.op) {
    case Op::kChar:
      return Consume(m, c == op.value);
    case Op::kLineEnd:
      return c == kEndOfText && m->line_ends;
    case Op::kAny:
      return Consume(m, c != kEndOfText);
    case Op::kClass:
      return Consume(m, ClassHas(m->compiled.program.classes[op.value], c));
    case Op::kBranch:
      m->stack->push_back({op.target, m->t, m->mark});
      return true;
    case Op::kJump:
      m->w = op.target;
      return true;
    case Op::kLoopBack:
      return LoopBack(m, op.target);
    case Op::kEnd:
      break;
  }
  return true;
}

// Runs the instructions from the first at text position `s` (the mark is
// s), taking up the choices left for later until one path reaches kEnd.
bool MatchFrom(Matcher* m, size_t s, size_t* end) {
  const std::vector<Instruction>& code = m->compiled.program.code;
  const int32_t* slot = m->compiled.slot.data();
  m->w = 0;
  m->t = s;
  m->mark = s;
  m->stack->clear();
  for (;;) {
    bool ok = slot[m->w] < 0 || m->visited->Enter(slot[m->w], m->t, m->t == m->mark);
    if (ok && code[m->w].op == Op::kEnd) {
      *end = m->t;
      return true;
    }
    if (ok) ok = Step(m, code[m->w++]);
    if (ok) continue;
    if (m->stack->empty()) return false;
    PendingChoice next = m->stack->back();
    m->stack->pop_back();
    m->w = next.w;
    m->t = next.t;
    m->mark = next.mark;
  }
}

// True when an anchored pattern whose first instruction is a character is
// ruled out by the first character of `text`. Spares the conversion of the
// whole line for the lines that a chapter pattern such as ^X passes over.
bool RuledOutByFirstCharacter(const Program& program, std::string_view text) {
  if (!program.anchored || program.code[0].op != Op::kChar) return false;
  CharRead ch = NextChar(&text);
  bool whole = ch.kind == CharKind::kSingle || ch.kind == CharKind::kDouble;
  return !whole || ch.code != program.code[0].value;
}

// Whether `text` starts with the characters of an anchored literal program;
// *end is their count.
bool StartsWithLiteral(const Program& program, std::string_view text, size_t* end) {
  for (*end = 0; program.code[*end].op == Op::kChar; ++*end) {
    CharRead ch = NextChar(&text);
    bool whole = ch.kind == CharKind::kSingle || ch.kind == CharKind::kDouble;
    if (!whole || ch.code != program.code[*end].value) return false;
  }
  return true;
}

// True when the program is '^' and characters only.
bool IsAnchoredLiteral(const Program& program) {
  if (!program.anchored) return false;
  return std::all_of(program.code.begin(), program.code.end() - 1,
                     [](const Instruction& op) { return op.op == Op::kChar; });
}

// The one second byte that makes a character the filter lets through with
// the lead byte `lead`, or -1 when there are more.
int OnlySecond(const LineStartFilter& filter, unsigned lead) {
  int second = -1;
  for (unsigned s = 0; s < 256; ++s) {
    if (!filter.pairs[lead << 8 | s]) continue;
    if (second >= 0) return -1;
    second = static_cast<int>(s);
  }
  return second;
}

// The line-start filter of a program whose match must start the line with a
// character, or null. Every byte and pair of bytes is read as the search
// reads it, so the filter rules out exactly the lines the search does.
std::unique_ptr<LineStartFilter> MakeStartFilter(const Program& program) {
  if (!program.anchored || program.code[0].op != Op::kChar) return nullptr;
  auto filter = std::make_unique<LineStartFilter>();
  uint32_t want = program.code[0].value;
  int opening = 0;
  for (unsigned b = 1; b < 256; ++b) {
    unsigned char lead = static_cast<unsigned char>(b);
    if (!IsSjisLead(lead)) {
      if (b == want) filter->first[b] = LineStartFilter::kSingle;
    } else {
      for (unsigned s = 1; s < 256; ++s) {
        if (SjisToJis(lead, static_cast<unsigned char>(s)) != want) continue;
        filter->first[b] = LineStartFilter::kLead;
        filter->pairs.set(b << 8 | s);
      }
    }
    if (filter->first[b] != LineStartFilter::kNever) filter->only = ++opening == 1 ? int(b) : -1;
  }
  if (filter->only >= 0 &&
      filter->first[static_cast<size_t>(filter->only)] == LineStartFilter::kLead)
    filter->only_second = OnlySecond(*filter, static_cast<unsigned>(filter->only));
  return filter;
}

// The bytes of the one way text spells the character `code`, or nothing
// when there are more ways or none.
std::string OnlySpelling(uint32_t code) {
  std::string spelling;
  int ways = 0;
  if (code > 0 && code < 0x100 && !IsSjisLead(static_cast<unsigned char>(code))) {
    spelling = std::string(1, static_cast<char>(code));
    ++ways;
  }
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    for (unsigned s = 1; s < 256 && IsSjisLead(static_cast<unsigned char>(lead)); ++s) {
      if (SjisToJis(static_cast<unsigned char>(lead), static_cast<unsigned char>(s)) != code)
        continue;
      if (++ways > 1) return {};
      spelling = {static_cast<char>(lead), static_cast<char>(s)};
    }
  }
  return spelling;
}

// Bytes in a row that every line the program matches holds: the longest run
// of characters of one spelling each (at most 16 bytes) among the
// instructions every match passes, those before the first with a target.
std::string RequiredBytes(const Program& program) {
  constexpr size_t kEnough = 16;
  std::string best;
  std::string run;
  for (const Instruction& op : program.code) {
    if (HasTarget(op.op) || op.op == Op::kEnd || best.size() >= kEnough) break;
    std::string spelling = op.op == Op::kChar ? OnlySpelling(op.value) : std::string();
    if (spelling.empty()) {
      run.clear();
    } else {
      run += spelling;
    }
    if (run.size() > best.size()) best = run;
  }
  return best;
}

// Marks instruction `w` as one where paths branch or join.
void AddSlot(CompiledPattern* compiled, size_t w) {
  if (compiled->slot[w] < 0) compiled->slot[w] = static_cast<int32_t>(compiled->slot_count++);
}

}  // namespace

void BuildCompiledPattern(std::string_view pattern, CompiledPattern* compiled) {
  compiled->program = CompileProgram(pattern);
  const std::vector<Instruction>& code = compiled->program.code;
  compiled->slot.assign(code.size(), -1);
  compiled->slot_count = 0;
  compiled->anchored_literal = IsAnchoredLiteral(compiled->program);
  compiled->start_filter = MakeStartFilter(compiled->program);
  if (!compiled->start_filter) compiled->required = RequiredBytes(compiled->program);
  // Every instruction other than these is reached only from the one before.
  for (size_t at = 0; at < code.size(); ++at) {
    if (!HasTarget(code[at].op)) continue;
    AddSlot(compiled, at);
    AddSlot(compiled, code[at].target);
    if (code[at].op == Op::kLoopBack) AddSlot(compiled, at + 1);
  }
}

bool FindMatch(const CompiledPattern& compiled, std::string_view text, TextIs what, size_t* start,
               size_t* end) {
  if (compiled.anchored_literal) {
    *start = 0;
    return StartsWithLiteral(compiled.program, text, end);
  }
  if (RuledOutByFirstCharacter(compiled.program, text)) return false;
  SearchScratch* scratch = &compiled.scratch;
  ToCodeString(text, &scratch->codes);
  const ScratchVector<uint32_t>& codes = scratch->codes;
  Visited visited(compiled.slot_count, codes.size(), &scratch->visited);
  Matcher m{compiled, codes.data(), what == TextIs::kWholeLine, &visited, &scratch->stack};
  size_t last_start = compiled.program.anchored ? 0 : codes.size() - 1;
  for (*start = 0; *start <= last_start; ++*start)
    if (MatchFrom(&m, *start, end)) return true;
  return false;
}

}  // namespace zolt

#include "pattern/pattern_compile.h"

#include <algorithm>
#include <cstddef>

#include "pattern/char_reader.h"
#include "pattern/pattern_escape.h"

namespace zolt {

namespace {

// Instructions under construction, as a linked list: wrapping an item or a
// left alternative puts an instruction in front of instructions already
// emitted, and the list makes that cost nothing, so compilation stays
// linear. Node 0 is the head. A target is held as an offset from the
// instruction's own place until the list is laid out.
struct InstructionList {
  struct Node {
    Instruction instruction;
    ptrdiff_t offset;
    size_t next;
  };
  std::vector<Node> nodes{{{}, 0, 0}};
  size_t last = 0;   // node of the last instruction (0 while empty)
  size_t count = 0;  // number of instructions
};

// Appends an instruction; returns its node.
size_t Append(InstructionList* list, Op op, uint32_t value = 0, ptrdiff_t offset = 0) {
  list->nodes.push_back({{op, value, 0}, offset, 0});
  size_t node = list->nodes.size() - 1;
  list->nodes[list->last].next = node;
  list->last = node;
  ++list->count;
  return node;
}

// Puts a branch to `offset` instructions on right after node `before`.
void InsertBranch(InstructionList* list, size_t before, ptrdiff_t offset) {
  list->nodes.push_back({{Op::kBranch, 0, 0}, offset, list->nodes[before].next});
  size_t node = list->nodes.size() - 1;
  list->nodes[before].next = node;
  if (before == list->last) list->last = node;
  ++list->count;
}

// One level of the pattern: the top, a group's inside, or the right
// alternative after a '|'.
struct Level {
  enum Kind { kTop, kGroup, kRight } kind;
  size_t level_before;  // node before the level's first instruction
  size_t level_count;   // instructions emitted before the level
  size_t item_before;   // node before the most recent item's first instruction
  size_t item_count;    // instructions emitted before that item
  size_t jump_node;     // kRight: the kJump whose target the level's end gives
};

struct Compiler {
  std::string_view rest;  // the pattern text not read yet
  InstructionList out;
  std::vector<Level> levels;
  std::vector<CharClass> classes;
};

// A level of `kind` whose instructions begin after those emitted so far.
Level StartLevel(Level::Kind kind, const InstructionList& out) {
  return {kind, out.last, out.count, out.last, out.count, 0};
}

// Notes that an item of the innermost level begins with the next instruction.
void NoteItem(Compiler* c) {
  c->levels.back().item_before = c->out.last;
  c->levels.back().item_count = c->out.count;
}

// Emits an item of one instruction.
void EmitItem(Compiler* c, Op op, uint32_t value = 0) {
  NoteItem(c);
  Append(&c->out, op, value);
}

// Reads the bound after a '-' into `range`; false when the class ends
// there (the pattern ends, or ']' follows and the '-' is dropped).
bool ReadRangeEnd(Compiler* c, CharRange* range) {
  CharRead next = NextChar(&c->rest);
  if (next.kind == CharKind::kEnd || next.kind == CharKind::kLoneLead) return false;
  bool plain = next.kind == CharKind::kSingle;
  if (plain && next.code == ']') return false;
  CharCode bound = next.code;
  if (plain && next.code == '\\' && !ReadEscape(&c->rest, &bound)) return false;
  *range = {std::min<uint32_t>(range->low, bound), std::max<uint32_t>(range->low, bound)};
  return true;
}

// Compiles a class after its '[' up to its ']' or the pattern's end. A
// first member '^' read as a single byte (plainly or by an escape) that
// opens no range negates the class instead.
void CompileClass(Compiler* c) {
  CharClass set;
  bool pending = false;      // the last member may still open a range
  bool caret_first = false;  // the first member is such a '^'
  for (;;) {
    CharRead ch = NextChar(&c->rest);
    if (ch.kind == CharKind::kEnd || ch.kind == CharKind::kLoneLead) break;
    bool plain = ch.kind == CharKind::kSingle;
    if (plain && ch.code == ']') break;
    if (plain && ch.code == '-' && pending) {
      if (!ReadRangeEnd(c, &set.ranges.back())) break;
      caret_first = caret_first && set.ranges.size() > 1;
      pending = false;
      continue;
    }
    CharCode code = ch.code;
    if (plain && ch.code == '\\' && !ReadEscape(&c->rest, &code)) break;
    if (set.ranges.empty()) caret_first = code == '^' && ch.kind == CharKind::kSingle;
    set.ranges.push_back({code, code});
    pending = !(plain && ch.code == '-');
  }
  if (caret_first) set.ranges.erase(set.ranges.begin());
  set.negated = caret_first;
  c->classes.push_back(std::move(set));
  EmitItem(c, Op::kClass, static_cast<uint32_t>(c->classes.size() - 1));
}

// Applies '*', '+' or '?' to the most recent item, when there is one.
void CompileRepeat(Compiler* c, CharCode op) {
  InstructionList& out = c->out;
  const Level& level = c->levels.back();
  ptrdiff_t atom = static_cast<ptrdiff_t>(out.count - level.item_count);
  if (atom == 0) return;
  Instruction& last = out.nodes[out.last].instruction;
  if (op == '?' && last.op == Op::kLineEnd) last = {Op::kChar, '$', 0};  // '$' is not last
  if (op != '+') InsertBranch(&out, level.item_before, atom + (op == '*' ? 2 : 1));
  if (op != '?') Append(&out, Op::kLoopBack, 0, -atom);
}

// At '|': the level so far becomes the left alternative, and a level for
// the right one begins. Ignored when the level is still empty.
void CompileBar(Compiler* c) {
  InstructionList& out = c->out;
  const Level& level = c->levels.back();
  ptrdiff_t left = static_cast<ptrdiff_t>(out.count - level.level_count);
  if (left == 0) return;
  InsertBranch(&out, level.level_before, left + 2);
  size_t jump = Append(&out, Op::kJump);
  c->levels.push_back(StartLevel(Level::kRight, out));
  c->levels.back().jump_node = jump;
}

// Ends the innermost level at a ')' (by_paren) or at the pattern's end. A
// right alternative ends the level that holds its '|' too. Returns true when
// the whole compilation is over.
bool EndLevels(Compiler* c, bool by_paren) {
  for (;;) {
    Level level = c->levels.back();
    c->levels.pop_back();
    if (level.kind == Level::kRight) {
      ptrdiff_t right = static_cast<ptrdiff_t>(c->out.count - level.level_count);
      c->out.nodes[level.jump_node].offset = right + 1;
      continue;
    }
    if (level.kind == Level::kTop) return true;
    if (by_paren) return false;
  }
}

// Compiles the next character of the pattern; false when the compilation is
// over. Nested levels live on an explicit stack, so deep nesting cannot
// exhaust the machine stack.
bool CompileNext(Compiler* c) {
  CharRead ch = NextChar(&c->rest);
  if (ch.kind == CharKind::kEnd) return !EndLevels(c, false);
  if (ch.kind != CharKind::kSingle || ch.code >= 0x80) {
    EmitItem(c, Op::kChar, ch.code);
    return true;
  }
  CharCode code;
  switch (ch.code) {
    case ')':
      return !EndLevels(c, true);
    case '$':
      EmitItem(c, Op::kLineEnd);
      break;
    case '.':
      EmitItem(c, Op::kAny);
      break;
    case '(':
      NoteItem(c);
      c->levels.push_back(StartLevel(Level::kGroup, c->out));
      break;
    case '[':
      NoteItem(c);
      CompileClass(c);
      break;
    case '\\':
      NoteItem(c);
      if (ReadEscape(&c->rest, &code)) Append(&c->out, Op::kChar, code);
      break;
    case '*':
    case '+':
    case '?':
      CompileRepeat(c, ch.code);
      break;
    case '|':
      CompileBar(c);
      break;
    default:
      EmitItem(c, Op::kChar, ch.code);
  }
  return true;
}

// Lays the list out in order, with targets as indices. A '$' is the end of
// the line only when the end of the pattern follows it.
std::vector<Instruction> LayOut(const InstructionList& list) {
  std::vector<Instruction> code;
  code.reserve(list.count);
  for (size_t node = list.nodes[0].next; node != 0; node = list.nodes[node].next) {
    const InstructionList::Node& n = list.nodes[node];
    code.push_back(n.instruction);
    if (HasTarget(n.instruction.op))
      code.back().target = static_cast<size_t>(static_cast<ptrdiff_t>(code.size() - 1) + n.offset);
  }
  for (size_t i = 0; i + 1 < code.size(); ++i)
    if (code[i].op == Op::kLineEnd && code[i + 1].op != Op::kEnd) code[i] = {Op::kChar, '$', 0};
  return code;
}

}  // namespace

Program CompileProgram(std::string_view pattern) {
  Compiler c{pattern, {}, {}, {}};
  Program program;
  if (!pattern.empty() && pattern[0] == '^') {
    program.anchored = true;
    c.rest.remove_prefix(1);
  }
  c.levels.push_back(StartLevel(Level::kTop, c.out));
  while (CompileNext(&c)) {
  }
  Append(&c.out, Op::kEnd);
  program.code = LayOut(c.out);
  program.classes = std::move(c.classes);
  return program;
}

}  // namespace zolt

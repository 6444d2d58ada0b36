#include "pattern/pattern_compile.h"

#include <cstddef>

#include "pattern/char_reader.h"
#include "pattern/pattern_escape.h"

namespace zolt {

namespace {

// Compiled words under construction, as a linked list: wrapping an item or a
// left alternative puts words in front of words already emitted, and the list
// makes that cost nothing, so compilation stays linear. Node 0 is the head.
struct WordList {
  struct Node {
    PatternWord word;
    size_t next;
  };
  std::vector<Node> nodes{{0, 0}};
  size_t last = 0;   // node of the last word (0 while empty)
  size_t count = 0;  // number of words
};

// Appends `word`; returns its node.
size_t Append(WordList* list, PatternWord word) {
  list->nodes.push_back({word, 0});
  size_t node = list->nodes.size() - 1;
  list->nodes[list->last].next = node;
  list->last = node;
  ++list->count;
  return node;
}

// Puts `first` and `second` right after node `before`.
void InsertPair(WordList* list, size_t before, PatternWord first, PatternWord second) {
  size_t after = list->nodes[before].next;
  bool at_end = before == list->last;
  list->nodes.push_back({second, after});
  size_t second_node = list->nodes.size() - 1;
  list->nodes.push_back({first, second_node});
  list->nodes[before].next = list->nodes.size() - 1;
  if (at_end) list->last = second_node;
  list->count += 2;
}

// Emits a literal code, behind OP_LITERAL when the bare word would read as an
// operator.
void EmitLiteral(WordList* list, CharCode code) {
  if (!IsLiteralWord(code)) Append(list, OP_LITERAL);
  Append(list, code);
}

// Adds a plain class member. 0, RANGE_MARK and OP_LITERAL would be read as
// list structure, and a double-byte character whose code is '^' would negate
// the class; those go behind OP_LITERAL.
void AddMember(std::vector<PatternWord>* list, CharCode code, bool double_byte) {
  if (code == 0 || code == RANGE_MARK || code == OP_LITERAL ||
      (code == '^' && double_byte && list->empty()))
    list->push_back(OP_LITERAL);
  list->push_back(code);
}

// Compiles a class after its '[' up to its ']' or the pattern's end.
void CompileClass(const char** pos, WordList* out) {
  std::vector<PatternWord> list;
  bool has_pending = false;  // the last plain member may still open a range
  size_t pending_at = 0;     // where its words start in the list
  CharCode pending = 0;
  for (;;) {
    CharRead ch = NextChar(pos);
    if (ch.kind == CharKind::kEnd || ch.kind == CharKind::kLoneLead) break;
    bool plain = ch.kind == CharKind::kSingle;
    if (plain && ch.code == ']') break;
    if (plain && ch.code == '-') {
      if (!has_pending) {
        list.push_back('-');
        continue;
      }
      CharRead next = NextChar(pos);
      if (next.kind == CharKind::kEnd || next.kind == CharKind::kLoneLead) {
        list.push_back(0);
        continue;
      }
      if (next.kind == CharKind::kSingle && next.code == ']') break;
      CharCode bound = next.code;
      if (next.kind == CharKind::kSingle && next.code == '\\' && !ReadEscape(pos, &bound)) {
        list.push_back(0);
        continue;
      }
      list.resize(pending_at);
      list.insert(list.end(), {RANGE_MARK, pending, bound});
      has_pending = false;
      continue;
    }
    CharCode code = ch.code;
    if (plain && ch.code == '\\' && !ReadEscape(pos, &code)) break;
    has_pending = true;
    pending_at = list.size();
    pending = code;
    AddMember(&list, code, ch.kind == CharKind::kDouble);
  }
  list.push_back(0);
  Append(out, OP_CLASS);
  Append(out, 2 + 2 * static_cast<PatternWord>(list.size()));
  for (PatternWord word : list) Append(out, word);
}

// One level of the pattern: the top, a group's inside, or the right
// alternative after a '|'.
struct Level {
  enum Kind { kTop, kGroup, kRight } kind;
  size_t level_before;  // node before the level's first word
  size_t level_count;   // words emitted before the level
  size_t item_before;   // node before the most recent item's first word
  size_t item_count;    // words emitted before that item
  size_t jump_offset;   // kRight: node of the OP_JUMP offset to fill in
};

// A level of `kind` whose words begin after those emitted so far.
Level StartLevel(Level::Kind kind, const WordList& out) {
  return {kind, out.last, out.count, out.last, out.count, 0};
}

// Ends the innermost level at a ')' (by_paren) or at the pattern's end. A
// right alternative ends the level that holds its '|' too. Returns true when
// the whole compilation is over.
bool EndLevels(std::vector<Level>* levels, WordList* out, bool by_paren) {
  for (;;) {
    Level level = levels->back();
    levels->pop_back();
    if (level.kind == Level::kRight) {
      PatternWord right = static_cast<PatternWord>(out->count - level.level_count);
      out->nodes[level.jump_offset].word = 2 * right + 2;
      continue;
    }
    if (level.kind == Level::kTop) return true;
    if (by_paren) return false;
  }
}

// Compiles the rest of the pattern, keeping the nested levels on an explicit
// stack so that deep nesting cannot exhaust the machine stack.
void CompileSequence(const char** pos, WordList* out) {
  std::vector<Level> levels{StartLevel(Level::kTop, *out)};
  for (;;) {
    Level& level = levels.back();
    size_t here_node = out->last;
    size_t here_count = out->count;
    CharRead ch = NextChar(pos);
    if (ch.kind == CharKind::kEnd) {
      EndLevels(&levels, out, false);
      return;
    }
    if (ch.kind != CharKind::kSingle || ch.code >= 0x80) {
      level.item_before = here_node;
      level.item_count = here_count;
      EmitLiteral(out, ch.code);
      continue;
    }
    switch (MetaClass[ch.code]) {
      case kMetaClose:
        if (EndLevels(&levels, out, true)) return;
        break;
      case kMetaDollar:
      case kMetaDot:
        level.item_before = here_node;
        level.item_count = here_count;
        Append(out, ch.code == '$' ? OP_EOL : OP_ANY);
        break;
      case kMetaOpen:
        level.item_before = here_node;
        level.item_count = here_count;
        levels.push_back(StartLevel(Level::kGroup, *out));
        break;
      case kMetaBracket:
        level.item_before = here_node;
        level.item_count = here_count;
        CompileClass(pos, out);
        break;
      case kMetaBackslash: {
        level.item_before = here_node;
        level.item_count = here_count;
        CharCode code;
        if (ReadEscape(pos, &code)) EmitLiteral(out, code);
        break;
      }
      case kMetaStar:
      case kMetaPlus:
      case kMetaQuest: {
        if (out->count == level.item_count) break;
        PatternWord op = static_cast<PatternWord>(ch.code) << 8;
        PatternWord atom = static_cast<PatternWord>(out->count - level.item_count);
        InsertPair(out, level.item_before, op, 2 * atom + 6);
        Append(out, op);
        Append(out, -(2 * atom + 2));
        break;
      }
      case kMetaBar: {
        if (out->count == level.level_count) break;
        PatternWord left = static_cast<PatternWord>(out->count - level.level_count);
        InsertPair(out, level.level_before, OP_ALT, 2 * left + 6);
        Append(out, OP_JUMP);
        size_t offset = Append(out, 0);
        levels.push_back(StartLevel(Level::kRight, *out));
        levels.back().jump_offset = offset;
        break;
      }
      default:
        level.item_before = here_node;
        level.item_count = here_count;
        EmitLiteral(out, ch.code);
        break;
    }
  }
}

}  // namespace

std::vector<PatternWord> CompilePattern(const char* pattern) {
  WordList out;
  if (pattern[0] == '^') {
    Append(&out, OP_BOL);
    ++pattern;
  }
  CompileSequence(&pattern, &out);
  Append(&out, OP_END);
  std::vector<PatternWord> words;
  words.reserve(out.count);
  for (size_t node = out.nodes[0].next; node != 0; node = out.nodes[node].next)
    words.push_back(out.nodes[node].word);
  return words;
}

}  // namespace zolt

// Fuzz target for the pattern engine. The input's first byte gives the
// pattern's length; the pattern and then the line follow. The line, its
// second half, and the line as the first chunk of a longer one are searched
// with one compiled pattern; for small inputs a plain backtracking matcher
// that reads the pattern text itself, with no memo, must find the same match.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "pattern/char_reader.h"
#include "pattern/pattern.h"
#include "pattern/pattern_match.h"
#include "support/sjis.h"

namespace {

using zolt::kEndOfText;
enum Read { kEnd, kOne, kTwo, kLone };

// Takes one character off the front of `s`: its kind and code.
Read Next(std::string_view& s, uint32_t* code) {
  auto byte = [&s](size_t i) { return static_cast<unsigned char>(i < s.size() ? s[i] : 0); };
  unsigned char b = byte(0), b2 = byte(1);
  if (b == 0) return kEnd;
  bool lead = zolt::IsSjisLead(b);
  s.remove_prefix(lead && b2 ? 2 : 1);
  *code = !lead ? b : b2 ? zolt::SjisToJis(b, b2) : uint32_t{b} << 8;
  return !lead ? kOne : b2 ? kTwo : kLone;
}

// The code of the escape after a backslash; false at the pattern's end.
bool Escape(std::string_view& s, uint32_t* code) {
  Read k = Next(s, code);
  if (k != kOne) return k != kEnd;
  uint32_t c = *code >= 'a' && *code <= 'z' && *code != 'j' ? *code - 32 : *code, v = 0, d;
  int digits = c == 'j' || c == 'J' ? 4 : c == 'X' ? 2 : 0;
  for (int i = 0; i < digits; ++i) {
    Read kd = Next(s, &d);
    if (kd == kEnd || kd == kLone) return false;
    d = kd == kTwo ? 0 : d >= 'a' && d <= 'f' ? d - 32 : d;
    v = v * 16 + (d >= '0' && d <= '9' ? d - '0' : d >= 'A' && d <= 'F' ? d - 'A' + 10 : 0);
  }
  size_t named = std::string_view("T\tN\nR\r").find(char(c));  // odd (npos) when not named
  *code = c == 'J'    ? zolt::SjisToJis(static_cast<unsigned char>(v >> 8), v & 0xFF)
          : digits    ? v
          : named % 2 ? c
                      : static_cast<unsigned char>("T\tN\nR\r"[named + 1]);
  return true;
}

// An item of a pattern: kSeq holds items, kAlt its two sides, a repetition its atom.
struct Node {
  enum Kind { kChar, kAny, kAnchor, kClass, kSeq, kAlt, kStar, kPlus, kQuest } kind;
  uint32_t code = 0;
  std::vector<Node> kids = {};
  std::vector<std::pair<uint32_t, uint32_t>> set = {};  // kClass
  bool negated = false;
  bool dollar = false;  // a kChar '$' that is the end anchor when it ends the pattern
  bool Empty() const {
    return kind == kSeq &&
           std::all_of(kids.begin(), kids.end(), [](const Node& n) { return n.Empty(); });
  }
};

// A class after its '['.
Node Class(std::string_view& s) {
  Node n{Node::kClass};
  bool pending = false, caret = false;
  for (uint32_t c, b;;) {
    Read k = Next(s, &c);
    if (k == kEnd || k == kLone || (k == kOne && c == ']')) break;
    if (k == kOne && c == '-' && pending) {
      Read kb = Next(s, &b);
      if (kb == kEnd || kb == kLone || (kb == kOne && b == ']')) break;
      if (kb == kOne && b == '\\' && !Escape(s, &b)) break;
      uint32_t a = n.set.back().first;
      n.set.back() = {std::min(a, b), std::max(a, b)};
      caret = caret && n.set.size() > 1;
      pending = false;
      continue;
    }
    pending = !(k == kOne && c == '-');
    if (k == kOne && c == '\\' && !Escape(s, &c)) break;
    if (n.set.empty()) caret = c == '^' && k == kOne;
    n.set.push_back({c, c});
  }
  n.negated = caret;
  if (caret) n.set.erase(n.set.begin());
  return n;
}

// One level, up to the pattern's end or through the ')' that ends it (at the
// top, that ends the pattern). After a '|' the rest is the right side.
Node Level(std::string_view& s) {
  Node seq{Node::kSeq};
  for (uint32_t c;;) {
    Read k = Next(s, &c);
    if (k == kEnd || (k == kOne && c == ')')) return seq;
    if (k != kOne || std::string_view("$.([\\*+?|").find(char(c)) == std::string_view::npos) {
      seq.kids.push_back({Node::kChar, c});
    } else if (c == '$' || c == '.') {
      seq.kids.push_back({c == '.' ? Node::kAny : Node::kChar, c, {}, {}, false, c == '$'});
    } else if (c == '(' || c == '[') {
      seq.kids.push_back(c == '(' ? Level(s) : Class(s));
    } else if (c == '\\') {
      seq.kids.push_back(Escape(s, &c) ? Node{Node::kChar, c} : Node{Node::kSeq});
    } else if (c == '|' && !seq.Empty()) {
      return {Node::kAlt, 0, {seq, Level(s)}};
    } else if (c != '|' && !seq.kids.empty() && !seq.kids.back().Empty()) {
      Node::Kind kind = c == '*' ? Node::kStar : c == '+' ? Node::kPlus : Node::kQuest;
      seq.kids.back() = {kind, 0, {seq.kids.back()}};
    }
  }
}

// Makes the '$' that ends the pattern, if one does, the end anchor.
void MarkAnchor(Node* n) {
  if (n->dollar) n->kind = Node::kAnchor;
  if (n->kind == Node::kAlt) MarkAnchor(&n->kids[1]);
  auto last =
      std::find_if(n->kids.rbegin(), n->kids.rend(), [](const Node& k) { return !k.Empty(); });
  if (n->kind == Node::kSeq && last != n->kids.rend()) MarkAnchor(&*last);
}

// The rules of matching, followed literally with continuations.
struct Reference {
  std::vector<uint32_t> text;  // the codes, then kEndOfText
  bool line_ends;
  long budget = 100000;
  using Then = std::function<bool(size_t, size_t)>;  // (text position, mark)

  bool Seq(const Node& n, size_t i, size_t t, size_t mark, const Then& k) {
    if (i == n.kids.size()) return k(t, mark);
    return Match(n.kids[i], t, mark,
                 [&](size_t t2, size_t m2) { return Seq(n, i + 1, t2, m2, k); });
  }
  bool Match(const Node& n, size_t t, size_t mark, const Then& k) {
    if (--budget < 0) throw budget;
    uint32_t c = text[t];
    auto in = [c](std::pair<uint32_t, uint32_t> r) { return c >= r.first && c <= r.second; };
    if (n.kind == Node::kStar || n.kind == Node::kPlus) {
      Then again = [&](size_t t2, size_t m2) {  // the end of a round
        return (t2 != m2 && Match(n.kids[0], t2, t2, again)) || k(t2, m2);
      };
      return Match(n.kids[0], t, mark, again) || (n.kind == Node::kStar && k(t, mark));
    }
    bool in_class = std::any_of(n.set.begin(), n.set.end(), in) != n.negated;
    switch (n.kind) {  // clang-format off
      case Node::kChar: return c == n.code && k(t + 1, mark);
      case Node::kAny: return c != kEndOfText && k(t + 1, mark);
      case Node::kAnchor: return c == kEndOfText && line_ends && k(t, mark);
      case Node::kClass: return c != kEndOfText && in_class && k(t + 1, mark);
      case Node::kSeq: return Seq(n, 0, t, mark, k);
      case Node::kAlt: return Match(n.kids[0], t, mark, k) || Match(n.kids[1], t, mark, k);
      case Node::kQuest: return Match(n.kids[0], t, mark, k) || k(t, mark);
      default: return false;
    }  // clang-format on
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zolt;
  if (size == 0) return 0;
  const uint8_t* at = data + 1;
  const std::string pattern = Take(&at, data + size, data[0]);
  const std::string line = Take(&at, data + size, size);

  PatternHandle compiled = CompilePattern(pattern);
  for (int round = 0; round < 3; ++round) {
    std::string_view text = std::string_view(line).substr(round == 1 ? line.size() / 2 : 0);
    TextIs what = round == 2 ? TextIs::kFirstChunk : TextIs::kWholeLine;
    size_t start = 0, end = 0, ref_end = 0;
    bool found = FindMatch(*compiled, text, what, &start, &end);
    Require(found == SearchCompiled(*compiled, text, what), "search and match agree");
    if (pattern.size() > 24 || text.size() > 40) continue;
    bool anchored = pattern[0] == '^';  // '\0' when the pattern is empty
    std::string_view rest = std::string_view(pattern).substr(anchored);
    Node root = Level(rest);
    MarkAnchor(&root);
    Reference reference{{}, what == TextIs::kWholeLine};
    for (uint32_t c, k; (k = Next(text, &c)) == kOne || k == kTwo;) reference.text.push_back(c);
    reference.text.push_back(kEndOfText);
    size_t ref_start = 0, last = anchored ? 0 : reference.text.size() - 1;
    bool expected = false;
    auto done = [&](size_t t, size_t) { return ref_end = t, true; };
    try {
      while (!(expected = reference.Match(root, ref_start, ref_start, done)) && ref_start < last)
        ++ref_start;
    } catch (long) {
      continue;
    }
    Require(expected == found, "same outcome as the plain matcher");
    Require(!found || (start == ref_start && end == ref_end), "same span as the plain matcher");
  }
  return 0;
}

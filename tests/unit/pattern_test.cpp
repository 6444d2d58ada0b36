#include "pattern/pattern.h"

#include <gtest/gtest.h>

#include <string>

#include "pattern/pattern_match.h"

namespace zolt {
namespace {

// A pattern, a line (or the first chunk of a longer one) and the leftmost
// match as "start length" in characters, or "" for no match.
struct Case {
  std::string pattern, line;
  std::string span = "";
  TextIs what = TextIs::kWholeLine;
};
constexpr TextIs kChunk = TextIs::kFirstChunk;

// Shift-JIS bytes of the characters used below.
const std::string kA = "\x82\xA0";   // あ
const std::string kI = "\x82\xA2";   // い
const std::string kKa = "\x83\x4A";  // カ
const std::string kCircled1 = "\x87\x40";
const std::string kHiragana = "[\x82\x9F-\x82\xF1]";  // ぁ-ん

// Lines that make a plain backtracking matcher run for ever, and large
// patterns whose offsets do not fit in 16 bits.
const std::string kRun(16383, 'a');
const std::string kHuge(1 << 18, 'a');
const std::string kAtom(20000, 'a');
std::string Alternatives() {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "x" + std::to_string(i) + "|";
  return text + "zz";
}

// clang-format off
const Case kCases[] = {
    // Literals, double-byte and half-width characters, the code conversion.
    {"abc", "xxabcyy", "2 3"}, {kA + kI, "x" + kA + kI, "1 2"}, {"abc", "ABC"}, {"x", "\x81\x78"},
    {"\xB6\xC5", "a\xB6\xC5", "1 2"}, {"", "abc", "0 0"}, {"", "", "0 0"},
    {"a\x7F\x80", "xa\x7F\x80", "1 3"},
    {"\\j2121\\j2160\\j5E7E\\j5F21\\j2D21", "\x81\x40\x81\x80\x9F\xFC\xE0\x40\x87\x40", "0 5"},
    // Alternation: the left side first, the anchor over both sides.
    {"a|ab", "ab", "0 1"}, {"(a|ab)c", "abc", "0 3"}, {"(ab|a)(bc|c)", "abc", "0 3"},
    {"a|b|c", "xxc", "2 1"}, {"a|", "b", "0 0"}, {"x(ab|cd)*y", "xabcdaby", "0 8"},
    {"|a", "xa", "1 1"}, {"a||b", "xb", "1 1"}, {"a|*b", "xb", "1 1"}, {"a|b)c", "xbc", "1 1"},
    // Repetition: greedy, giving back, an empty iteration ends the loop.
    {"a*ab", "aaab", "0 4"}, {"a*", "bbb", "0 0"}, {"^a*", "bbb", "0 0"}, {"a+", ""},
    {"a?", "", "0 0"}, {"b+$", "abbb", "1 3"}, {"[0-9]+\\.[0-9]+", "v 12.5x", "2 4"},
    {"(a*)*b", "aaab", "0 4"}, {"(a*)*b", "aaac"}, {"(a?)*c", "c", "0 1"}, {"a**", "aa", "0 2"},
    {"ba?c", "xbcx", "1 2"}, {"(ab)+", "xababa", "1 4"}, {kA + "+", "x" + kA + kA + "y", "1 2"},
    {"a*?", "aa", "0 2"}, {"a+*", "baa", "0 0"}, {"$?x", "$x", "0 2"}, {".\\.*", "a..b", "0 3"},
    {"*a", "xa", "1 1"}, {"^*a", "a", "0 1"}, {"(*a)", "xa", "1 1"}, {"()*a", "xa", "1 1"},
    {"a()*", "xa", "1 1"}, {"a)b", "xab", "1 1"}, {"(ab", "xab", "1 2"}, {"ba?", "baa", "0 2"},
    {"(a(b?)*)*", "aba", "0 2"}, {"(a(b?)*)*c", "abac", "0 4"}, {"(a(b|c?))*", "aa", "0 2"},
    // Anchors, the end of the text, a lead byte before the end.
    {"$", "abc\n", "4 0"}, {"c$", "abc\n"}, {"c\\n$", "abc\n", "2 2"},
    {"c\\r\\n$", "abc\r\n", "2 3"}, {"x$", "abx", "2 1"}, {".*", "ab\r\n", "0 4"}, {".", ""},
    {"^b", "ab"}, {"^a|b", "xb"}, {"^", "abc", "0 0"}, {"^^a", "^a", "0 2"}, {"^^a", "a"},
    {"a|b$", "xa", "1 1"}, {"a|b$", "bx"}, {"a|b$", "xb", "1 1"}, {"a$b", "a$b", "0 3"},
    {"a$|b", "xa$", "1 2"}, {"a$|b", "a"}, {"(a$)", "ba", "1 1"}, {"(a$)", "ab"},
    {"$*x", "$$x", "0 3"}, {"a$?", "a$", "0 2"}, {".*", "ab\x82", "0 2"}, {"$", "ab\x82", "2 0"}, {"\\n$", "a\x82\n"},
    {".$", "a\x82\n", "1 1"}, {"$", "abc", "", kChunk}, {"c$", "abc", "", kChunk},
    {"(c$)", "abc", "", kChunk}, {"c$|b", "abc", "1 1", kChunk}, {"^a.*", "ab", "0 2", kChunk},
    {"b$", std::string("ab\0c", 4), "1 1"}, {"c", std::string("ab\0c", 4)}, {"a\x82", "a\x82"}, {"a\x82", "a\x82\x40"}, {"^a", "ab", "0 1"},
    {"^a", "ba"}, {"^" + kA, kA + "x", "0 1"}, {"^" + kA, "\x82"}, {"^" + kA, ""},
    // Classes.
    {"[^b]", ""}, {"a[^b]", "a\n", "0 2"}, {"[" + kCircled1 + "]", kCircled1, "0 1"},
    {"[z-a]", "m", "0 1"}, {"[a-]", "-"}, {"[a-]x", "ax", "0 2"}, {"[-a]", "-", "0 1"},
    {"[a-c-e]", "-", "0 1"}, {"[a-c-e]", "d"}, {"[a-c-e]", "xbe", "1 1"}, {"[]a]", "xa]"},
    {"[^]", "x", "0 1"}, {"[^]", ""}, {"[\\^a]", "a"}, {"[\\^a]", "b", "0 1"}, {"[\\x5Ea]", "a"},
    {"[a^]", "^", "0 1"}, {"[^-a]", "_", "0 1"}, {"[^-a]", "b"}, {kHiragana, "a"},
    {kHiragana, "\x82\xF1", "0 1"}, {kHiragana, "\x82\x9F", "0 1"}, {kHiragana, kKa + kA, "1 1"},
    {"[.*$(|]", "x|", "1 1"}, {"[\\]]", "]", "0 1"}, {"[a-\\]]", "_", "0 1"}, {"[a-\\]]", "b"},
    {"[abc", "c", "0 1"}, {"[a-", "a", "0 1"}, {"[a-", "-"}, {"[a\\", "a", "0 1"},
    {"[a-\\", "a", "0 1"}, {"[a\x82", "a", "0 1"}, {"[a\x82", "x"},
    // Escapes, also cut short by the end of the pattern.
    {"\\a\\z", "AZ", "0 2"}, {"\\a", "a"}, {"\\t", "x\ty", "1 1"}, {"\\T", "x\ty", "1 1"},
    {"\\R", "\r", "0 1"}, {"\\x41", "A", "0 1"}, {"\\X4a", "J", "0 1"}, {"\\x4A", "J", "0 1"},
    {"\\x4g", "@", "0 1"}, {"\\x4" + kA, "@", "0 1"}, {"\\j2422", kA, "0 1"}, {"\\J82A0", kA, "0 1"},
    {"\\.", "a.", "1 1"}, {"\\\\", "a\\", "1 1"}, {"\\" + kA, kA, "0 1"}, {"ab\\", "xab", "1 2"},
    {"ab\\x", "xab", "1 2"}, {"ab\\x4", "xab", "1 2"}, {"ab\\j24", "ab", "0 2"}, {"ab\\J82A", "ab", "0 2"},
    {"ab\\x4\x82", "ab", "0 2"},
    // Literal codes that must never act as operators or list structure.
    {"a\\x00b", "ac"}, {"a\\x00b", "ab"}, {"a\\x00b", "a\xF0\x1F\x62", "0 3"},
    {"a.b", "a\xF0\x1F\x62", "0 3"}, {"b", "\xF0\x1F\x62", "1 1"}, {"\\j2A00", "\x85\x1F", "0 1"},
    {"\\j2A00", ""}, {"\x85\xFE", "\x85\x1F", "0 1"}, {"\x9F\x1F", "\x9F\x1F", "0 1"},
    {"[\\j2D00]", "a"}, {"[\\j2D00]", "\xF0\x1F"}, {"[\\x00]", "\xF0\x1F", "0 1"},
    {"[^\\x00]", "\xF0\x1F"}, {"[\\x00a]", "a", "0 1"}, {"[\\x00-a]", "\x01", "0 1"},
    {"a\xF0\xA9", "aa"}, {"a\xF0\xA9", "a\xF0\xA9", "0 2"}, {"[\xF0\xDC\x61]", "b"},
    {"[\xF0\xDC\x61]", "a", "0 1"}, {"!", "x\xF0\x9Fy", "1 1"},
    // Long lines and large patterns end at once and need no machine stack.
    {"(a*)*b", kRun}, {"(a|a)*b", kRun}, {".*.*.*x", kRun}, {"(a|aa)*c", kRun},
    {"(a*)*", kRun, "0 16383"}, {"(a|a)*$", kRun, "0 16383"}, {"a*a*a*b", kRun + "b", "0 16384"},
    {".*.*.*x", kRun + "x", "0 16384"}, {"(a|b)*c", kHuge + "c", "0 262145"}, {"(a|b)*c", kHuge},
    {"(.)*$", kHuge, "0 262144"}, {"(" + kAtom + ")*b", "x" + kAtom + kAtom + "b", "1 40001"},
    {"[" + kAtom + "b]", "xb", "1 1"}, {std::string(300000, '(') + "a", "xa", "1 1"},
    {Alternatives(), "zz", "0 2"}, {Alternatives(), "y4999"}, {Alternatives(), "-x4999", "1 2"},
};
// clang-format on

TEST(Pattern, FindsTheLeftmostMatchOfABacktrackingMatcher) {
  for (const Case& c : kCases) {
    SCOPED_TRACE("pattern <" + c.pattern.substr(0, 60) + "> line <" + c.line.substr(0, 60) + ">");
    PatternHandle compiled = CompilePattern(c.pattern);
    bool found = SearchCompiled(*compiled, c.line, c.what);
    size_t start = 0;
    size_t end = 0;
    // A second search on the same pattern must not see the first one's state.
    ASSERT_EQ(FindMatch(*compiled, c.line, c.what, &start, &end), found);
    EXPECT_EQ(found ? std::to_string(start) + " " + std::to_string(end - start) : "", c.span);
  }
}

}  // namespace
}  // namespace zolt

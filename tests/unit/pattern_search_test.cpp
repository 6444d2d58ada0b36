#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pattern/pattern.h"

namespace zolt {
namespace {

// A pattern, a line and the expected span "start_byte start_char
// length_bytes length_chars", or "" for no match.
struct Case {
  std::string pattern, line;
  const char* span = "";
};

template <size_t N>
void CheckAll(const Case (&cases)[N]) {
  for (const Case& c : cases) {
    SCOPED_TRACE("pattern <" + c.pattern.substr(0, 60) + "> line <" + c.line.substr(0, 60) + ">");
    MatchSpan span;
    int result = PatternSearch(&span, c.line.c_str(), c.pattern.c_str());
    ASSERT_EQ(result, *c.span ? 1 : 0);
    if (result == 0) continue;
    EXPECT_EQ(std::to_string(span.StartByte) + " " + std::to_string(span.StartChar) + " " +
                  std::to_string(span.LengthBytes) + " " + std::to_string(span.LengthChars),
              c.span);
  }
}

// Shift-JIS bytes of the characters used below.
const std::string kA = "\x82\xA0";   // あ
const std::string kI = "\x82\xA2";   // い
const std::string kKa = "\x83\x4A";  // カ
const std::string kCircled1 = "\x87\x40";
const std::string kHiragana = "[\x82\x9F-\x82\xF1]";  // ぁ-ん

TEST(PatternSearch, LiteralsAlternationAndRepetition) {
  // Literals and spans.
  // Alternation tries the left side first.
  // Repetition is greedy and gives back.
  // clang-format off
  const Case cases[] = {
      {"abc", "xxabcyy", "2 2 3 3"}, {kA + kI, "x" + kA + kI, "1 1 4 2"},
      {kHiragana, kKa + kA, "2 1 2 1"}, {"abc", "ABC", ""}, {"x", "\x81\x78", ""},
      {"\xB6\xC5", "a\xB6\xC5", "1 1 2 2"}, {"", "abc", "0 0 0 0"}, {"", "", "0 0 0 0"},
      {"a|ab", "ab", "0 0 1 1"}, {"(a|ab)c", "abc", "0 0 3 3"}, {"(ab|a)(bc|c)", "abc", "0 0 3 3"},
      {"a|b|c", "xxc", "2 2 1 1"}, {"a|", "b", "0 0 0 0"}, {"x(ab|cd)*y", "xabcdaby", "0 0 8 8"},
      {"a*ab", "aaab", "0 0 4 4"}, {"a*", "bbb", "0 0 0 0"}, {"^a*", "bbb", "0 0 0 0"},
      {"a+", ""}, {"a?", "", "0 0 0 0"}, {"b+$", "abbb", "1 1 3 3"},
      {"[0-9]+\\.[0-9]+", "v 12.5x", "2 2 4 4"}, {"(a*)*b", "aaab", "0 0 4 4"},
      {"(a*)*b", "aaac", ""}, {"(a?)*c", "c", "0 0 1 1"}, {"a**", "aa", "0 0 2 2"},
      {"ba?c", "xbcx", "1 1 2 2"}, {"(ab)+", "xababa", "1 1 4 4"},
      {kA + "+", "x" + kA + kA + "y", "1 1 4 2"}};
  // clang-format on
  CheckAll(cases);
}

TEST(PatternSearch, AnchorsAndTheEndOfTheText) {
  // A lead byte right before the terminator is not part of the text; one
  // before the LF takes the LF as its second byte.
  // In the pattern it is a literal that never matches.
  // clang-format off
  const Case cases[] = {
      {"$", "abc\n", "4 4 0 0"}, {"c$", "abc\n", ""}, {"c\\n$", "abc\n", "2 2 2 2"},
      {"c\\r\\n$", "abc\r\n", "2 2 3 3"}, {"x$", "abx", "2 2 1 1"}, {".*", "ab\r\n", "0 0 4 4"},
      {".", ""}, {"^b", "ab", ""}, {"^a|b", "xb", ""}, {"^", "abc", "0 0 0 0"},
      {"^^a", "^a", "0 0 2 2"}, {"^^a", "a", ""}, {"a|b$", "xa", "1 1 1 1"}, {"a|b$", "bx", ""},
      {"a|b$", "xb", "1 1 1 1"}, {"a$b", "a$b", "0 0 3 3"}, {"a$|b", "xa$", "1 1 2 2"},
      {"a$|b", "a", ""}, {"(a$)", "ba", "1 1 1 1"}, {"(a$)", "ab", ""}, {"$*x", "$$x", "0 0 3 3"},
      {".*", "ab\x82", "0 0 2 2"}, {"$", "ab\x82", "2 2 0 0"}, {"\\n$", "a\x82\n", ""},
      {".$", "a\x82\n", "1 1 2 1"}, {"a\x82", "a\x82", ""}, {"a\x82", "a\x82\x40", ""}};
  // clang-format on
  CheckAll(cases);
}

TEST(PatternSearch, ClassesAndEscapes) {
  // clang-format off
  const Case cases[] = {
      {"[^b]", ""}, {"a[^b]", "a\n", "0 0 2 2"}, {"[" + kCircled1 + "]", kCircled1, "0 0 2 1"},
      {"[z-a]", "m", "0 0 1 1"}, {"[a-]", "-", ""}, {"[a-]", "a", "0 0 1 1"},
      {"[-a]", "-", "0 0 1 1"}, {"[a-c-e]", "-", "0 0 1 1"}, {"[a-c-e]", "d", ""},
      {"[a-c-e]", "xbe", "1 1 1 1"}, {"[]a]", "xa]", ""}, {"[^]", "x", "0 0 1 1"}, {"[^]", ""},
      {"[\\^a]", "a", ""}, {"[\\^a]", "b", "0 0 1 1"}, {"[a^]", "^", "0 0 1 1"},
      {"[^-a]", "_", "0 0 1 1"}, {"[^-a]", "b", ""}, {kHiragana, "a", ""},
      {kHiragana, "\x82\xF1", "0 0 2 1"}, {"[.*]", "a*", "1 1 1 1"}, {"[\\]]", "]", "0 0 1 1"},
      {"\\a", "A", "0 0 1 1"}, {"\\a", "a", ""}, {"\\t", "x\ty", "1 1 1 1"},
      {"\\T", "x\ty", "1 1 1 1"}, {"\\x41", "A", "0 0 1 1"}, {"\\X4a", "J", "0 0 1 1"},
      {"\\x4A", "J", "0 0 1 1"}, {"\\j2422", kA, "0 0 2 1"}, {"\\J82A0", kA, "0 0 2 1"},
      {"\\.", "a.", "1 1 1 1"}, {"\\\\", "a\\", "1 1 1 1"}};
  // clang-format on
  CheckAll(cases);
}

TEST(PatternSearch, LiteralCodesNeverActAsOperators) {
  // A character whose code is 0 is a character that \x00 matches.
  // A double-byte character with an ASCII-like code is a literal.
  // Byte counts come from the bytes, not from the code's value.
  // clang-format off
  const Case cases[] = {
      {"a\\x00b", "ac", ""}, {"a\\x00b", "ab", ""}, {"a\\x00b", "a\xF0\x1F\x62", "0 0 4 3"},
      {"a.b", "a\xF0\x1F\x62", "0 0 4 3"}, {"b", "\xF0\x1F\x62", "2 1 1 1"},
      {"\\j2A00", "\x85\x1F", "0 0 2 1"}, {"\\j2A00", ""}, {"[\\j2D00]", "a", ""},
      {"[\\j2D00]x", "\x86\x1Fx", ""}, {"[\\x00]", "\xF0\x1F", "0 0 2 1"},
      {"[^\\x00]", "\xF0\x1F", ""}, {"ab\\", "xab", "1 1 2 2"}, {"a\xF0\xA9", "aa", ""},
      {"[\xF0\xDC\x61]", "b", ""}, {"[\xF0\xDC\x61]", "a", "0 0 1 1"},
      {"!", "x\xF0\x9Fy", "1 1 2 1"}};
  // clang-format on
  CheckAll(cases);
}

TEST(PatternSearch, PathologicalLongAndLargeInputsEndAtOnce) {
  const std::string run(16383, 'a');
  const std::string huge(1 << 18, 'a');
  const std::string atom(20000, 'a');
  std::string alternatives;
  for (int i = 0; i < 5000; ++i) alternatives += "x" + std::to_string(i) + "|";
  // Long lines need no machine stack.
  // Large patterns; x4 comes before x4999.
  // clang-format off
  const Case cases[] = {
      {"(a*)*b", run, ""}, {"(a|a)*b", run, ""}, {".*.*.*x", run, ""},
      {"(a|aa)*c", run, ""}, {"(a*)*", run, "0 0 16383 16383"},
      {"(a|a)*$", run, "0 0 16383 16383"}, {"a*a*a*b", run + "b", "0 0 16384 16384"},
      {".*.*.*x", run + "x", "0 0 16384 16384"}, {"(a|b)*c", huge + "c", "0 0 262145 262145"},
      {"(a|b)*c", huge, ""}, {"(.)*$", huge, "0 0 262144 262144"},
      {"(" + atom + ")*b", "x" + atom + atom + "b", "1 1 40001 40001"},
      {alternatives + "zz", "zz", "0 0 2 2"}, {alternatives + "zz", "y4999", ""},
      {alternatives + "zz", "-x4999", "1 1 2 2"}};
  // clang-format on
  CheckAll(cases);
}

TEST(CompileOnce, SearchesManyLinesLikePatternSearch) {
  const char* pattern = "(ab|a)(bc|c)$";
  PatternHandle compiled = CompileOnce(pattern);
  for (const char* line : {"abc", "xabc", "abcx", "", "ac", "\x82\xA0\x61\x62\x63"}) {
    MatchSpan once, fresh;
    int a = SearchCompiled(*compiled, line, &once);
    ASSERT_EQ(a, PatternSearch(&fresh, line, pattern)) << line;
    if (a == 0) continue;
    EXPECT_EQ(once.StartByte, fresh.StartByte);
    EXPECT_EQ(once.StartChar, fresh.StartChar);
    EXPECT_EQ(once.LengthBytes, fresh.LengthBytes);
    EXPECT_EQ(once.LengthChars, fresh.LengthChars);
  }
}

}  // namespace
}  // namespace zolt

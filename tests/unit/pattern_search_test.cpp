#include <gtest/gtest.h>

#include <string>

#include "pattern/pattern.h"

namespace zolt {
namespace {

// Expected outcome: no match, or a match with its span.
struct Expect {
  bool match;
  uint32_t start_byte = 0;
  uint32_t start_char = 0;
  uint32_t length_bytes = 0;
  uint32_t length_chars = 0;
};

const Expect kNone{false};
Expect At(uint32_t start_byte, uint32_t start_char, uint32_t length_bytes, uint32_t length_chars) {
  return {true, start_byte, start_char, length_bytes, length_chars};
}
// A match of single-byte characters only.
Expect Ascii(uint32_t start, uint32_t length) {
  return At(start, start, length, length);
}

void Check(const std::string& pattern, const std::string& line, Expect expect) {
  SCOPED_TRACE("pattern <" + pattern.substr(0, 60) + "> line <" + line.substr(0, 60) + ">");
  MatchSpan span;
  int result = PatternSearch(&span, line.c_str(), pattern.c_str());
  ASSERT_EQ(result, expect.match ? 1 : 0);
  if (!expect.match) return;
  EXPECT_EQ(span.StartByte, expect.start_byte);
  EXPECT_EQ(span.StartChar, expect.start_char);
  EXPECT_EQ(span.LengthBytes, expect.length_bytes);
  EXPECT_EQ(span.LengthChars, expect.length_chars);
}

// Shift-JIS bytes of the characters used below.
const std::string kA = "\x82\xA0";   // あ
const std::string kI = "\x82\xA2";   // い
const std::string kKa = "\x83\x4A";  // カ
const std::string kCircled1 = "\x87\x40";
const std::string kHiragana = "[\x82\x9F-\x82\xF1]";  // ぁ-ん

TEST(PatternSearch, LiteralsAndSpans) {
  Check("abc", "xxabcyy", Ascii(2, 3));
  Check(kA + kI, "x" + kA + kI, At(1, 1, 4, 2));
  Check(kHiragana, kKa + kA, At(2, 1, 2, 1));
  Check("abc", "ABC", kNone);
  Check("x", "\x81\x78", kNone);  // the x is the second byte of one character
  Check("\xB6\xC5", "a\xB6\xC5", Ascii(1, 2));
  Check("", "abc", Ascii(0, 0));
  Check("", "", Ascii(0, 0));
}

TEST(PatternSearch, AlternationTriesTheLeftSideFirst) {
  Check("a|ab", "ab", Ascii(0, 1));
  Check("(a|ab)c", "abc", Ascii(0, 3));
  Check("(ab|a)(bc|c)", "abc", Ascii(0, 3));
  Check("a|b|c", "xxc", Ascii(2, 1));
  Check("a|", "b", Ascii(0, 0));
  Check("x(ab|cd)*y", "xabcdaby", Ascii(0, 8));
}

TEST(PatternSearch, RepetitionIsGreedyAndGivesBack) {
  Check("a*ab", "aaab", Ascii(0, 4));
  Check("a*", "bbb", Ascii(0, 0));
  Check("^a*", "bbb", Ascii(0, 0));
  Check("a+", "", kNone);
  Check("a?", "", Ascii(0, 0));
  Check("b+$", "abbb", Ascii(1, 3));
  Check("[0-9]+\\.[0-9]+", "v 12.5x", Ascii(2, 4));
  Check("(a*)*b", "aaab", Ascii(0, 4));
  Check("(a*)*b", "aaac", kNone);
  Check("(a?)*c", "c", Ascii(0, 1));
  Check("a**", "aa", Ascii(0, 2));
  Check("ba?c", "xbcx", Ascii(1, 2));
  Check("(ab)+", "xababa", Ascii(1, 4));
  Check(kA + "+", "x" + kA + kA + "y", At(1, 1, 4, 2));
}

TEST(PatternSearch, AnchorsAndTheEndOfTheText) {
  Check("$", "abc\n", Ascii(4, 0));
  Check("c$", "abc\n", kNone);
  Check("c\\n$", "abc\n", Ascii(2, 2));
  Check("c\\r\\n$", "abc\r\n", Ascii(2, 3));
  Check("x$", "abx", Ascii(2, 1));
  Check(".*", "ab\r\n", Ascii(0, 4));
  Check(".", "", kNone);
  Check("^b", "ab", kNone);
  Check("^a|b", "xb", kNone);
  Check("^", "abc", Ascii(0, 0));
  Check("^^a", "^a", Ascii(0, 2));
  Check("^^a", "a", kNone);
  Check("a|b$", "xa", Ascii(1, 1));
  Check("a|b$", "bx", kNone);
  Check("a|b$", "xb", Ascii(1, 1));
  Check("a$b", "a$b", Ascii(0, 3));
  Check("a$|b", "xa$", Ascii(1, 2));
  Check("a$|b", "a", kNone);
  Check("(a$)", "ba", Ascii(1, 1));
  Check("(a$)", "ab", kNone);
  Check("$*x", "$$x", Ascii(0, 3));
}

TEST(PatternSearch, Classes) {
  Check("[^b]", "", kNone);
  Check("a[^b]", "a\n", Ascii(0, 2));
  Check("[" + kCircled1 + "]", kCircled1, At(0, 0, 2, 1));
  Check("[z-a]", "m", Ascii(0, 1));
  Check("[a-]", "-", kNone);
  Check("[a-]", "a", Ascii(0, 1));
  Check("[-a]", "-", Ascii(0, 1));
  Check("[a-c-e]", "-", Ascii(0, 1));
  Check("[a-c-e]", "d", kNone);
  Check("[a-c-e]", "xbe", Ascii(1, 1));
  Check("[]a]", "xa]", kNone);
  Check("[^]", "x", Ascii(0, 1));
  Check("[^]", "", kNone);
  Check("[\\^a]", "a", kNone);
  Check("[\\^a]", "b", Ascii(0, 1));
  Check("[a^]", "^", Ascii(0, 1));
  Check("[^-a]", "_", Ascii(0, 1));
  Check("[^-a]", "b", kNone);
  Check(kHiragana, "a", kNone);
  Check(kHiragana, "\x82\xF1", At(0, 0, 2, 1));
  Check("[.*]", "a*", Ascii(1, 1));
  Check("[\\]]", "]", Ascii(0, 1));
}

TEST(PatternSearch, Escapes) {
  Check("\\a", "A", Ascii(0, 1));
  Check("\\a", "a", kNone);
  Check("\\t", "x\ty", Ascii(1, 1));
  Check("\\T", "x\ty", Ascii(1, 1));
  Check("\\x41", "A", Ascii(0, 1));
  Check("\\X4a", "J", Ascii(0, 1));
  Check("\\x4A", "J", Ascii(0, 1));
  Check("\\j2422", kA, At(0, 0, 2, 1));
  Check("\\J82A0", kA, At(0, 0, 2, 1));
  Check("\\.", "a.", Ascii(1, 1));
  Check("\\\\", "a\\", Ascii(1, 1));
}

TEST(PatternSearch, LiteralCodesNeverActAsOperators) {
  Check("a\\x00b", "ac", kNone);
  Check("a\\x00b", "ab", kNone);
  // A character whose code is 0 is a character that \x00 matches.
  Check("a\\x00b",
        "a\xF0\x1F"
        "b",
        At(0, 0, 4, 3));
  Check("a.b",
        "a\xF0\x1F"
        "b",
        At(0, 0, 4, 3));
  Check("b",
        "\xF0\x1F"
        "b",
        At(2, 1, 1, 1));
  Check("\\j2A00", "\x85\x1F", At(0, 0, 2, 1));
  Check("\\j2A00", "", kNone);
  Check("[\\j2D00]", "a", kNone);
  Check("[\\j2D00]x", "\x86\x1Fx", kNone);
  Check("[\\x00]", "\xF0\x1F", At(0, 0, 2, 1));
  Check("[^\\x00]", "\xF0\x1F", kNone);
  Check("ab\\", "xab", Ascii(1, 2));
  // A double-byte character with an ASCII-like code is a literal.
  Check("a\xF0\xA9", "aa", kNone);
  Check(
      "[\xF0\xDC"
      "a]",
      "b", kNone);
  Check(
      "[\xF0\xDC"
      "a]",
      "a", Ascii(0, 1));
  // Byte counts come from the bytes, not from the code's value.
  Check("!", "x\xF0\x9Fy", At(1, 1, 2, 1));
}

TEST(PatternSearch, LeadBytesAtTheEdges) {
  // A lead byte right before the terminator is not part of the text.
  Check(".*", "ab\x82", Ascii(0, 2));
  Check("$", "ab\x82", Ascii(2, 0));
  // A lead byte before the LF takes the LF as its second byte.
  Check("\\n$", "a\x82\n", kNone);
  Check(".$", "a\x82\n", At(1, 1, 2, 1));
  // In the pattern it is a literal that never matches.
  Check("a\x82", "a\x82", kNone);
  Check("a\x82", "a\x82\x40", kNone);
}

TEST(PatternSearch, PathologicalPatternsEndAtOnce) {
  std::string run(16383, 'a');
  Check("(a*)*b", run, kNone);
  Check("(a|a)*b", run, kNone);
  Check(".*.*.*x", run, kNone);
  Check("(a|aa)*c", run, kNone);
  Check("(a*)*", run, Ascii(0, 16383));
  Check("(a|a)*$", run, Ascii(0, 16383));
  Check("a*a*a*b", run + "b", Ascii(0, 16384));
  Check(".*.*.*x", run + "x", Ascii(0, 16384));
}

TEST(PatternSearch, LongLinesNeedNoMachineStack) {
  std::string run(1 << 18, 'a');
  Check("(a|b)*c", run + "c", Ascii(0, (1 << 18) + 1));
  Check("(a|b)*c", run, kNone);
  Check("(.)*$", run, Ascii(0, 1 << 18));
}

TEST(PatternSearch, LargePatternsMatch) {
  std::string atom(20000, 'a');
  Check("(" + atom + ")*b", "x" + atom + atom + "b", Ascii(1, 40001));
  std::string alternatives;
  for (int i = 0; i < 5000; ++i) alternatives += "x" + std::to_string(i) + "|";
  Check(alternatives + "zz", "zz", Ascii(0, 2));
  Check(alternatives + "zz", "y4999", kNone);
  Check(alternatives + "zz", "-x4999", Ascii(1, 2));  // x4 comes before x4999
}

TEST(CompileOnce, SearchesManyLinesLikePatternSearch) {
  const char* pattern = "(ab|a)(bc|c)$";
  PatternHandle compiled = CompileOnce(pattern);
  for (const char* line : {"abc", "xabc", "abcx", "", "ac",
                           "\x82\xA0"
                           "abc"}) {
    MatchSpan once;
    MatchSpan fresh;
    int a = SearchCompiled(*compiled, line, &once);
    int b = PatternSearch(&fresh, line, pattern);
    ASSERT_EQ(a, b) << line;
    if (a == 0) continue;
    EXPECT_EQ(once.StartByte, fresh.StartByte);
    EXPECT_EQ(once.StartChar, fresh.StartChar);
    EXPECT_EQ(once.LengthBytes, fresh.LengthBytes);
    EXPECT_EQ(once.LengthChars, fresh.LengthChars);
  }
}

}  // namespace
}  // namespace zolt

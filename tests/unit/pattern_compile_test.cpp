#include "pattern/pattern_compile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pattern/char_reader.h"

namespace zolt {
namespace {

using Words = std::vector<uint16_t>;

Words Compile(const std::string& pattern) {
  Words packed;
  EXPECT_TRUE(PackWords(CompilePattern(pattern.c_str()), &packed)) << pattern;
  return packed;
}

// A pattern and its compiled words.
struct Case {
  std::string pattern;
  Words words;
};

template <size_t N>
void CheckAll(const Case (&cases)[N]) {
  for (const Case& c : cases) EXPECT_EQ(Compile(c.pattern), c.words) << c.pattern;
}

TEST(SjisToJis, GivesRowAndCellCodes) {
  EXPECT_EQ(SjisToJis(0x81, 0x40), 0x2121);
  EXPECT_EQ(SjisToJis(0x82, 0xA0), 0x2422);
  EXPECT_EQ(SjisToJis(0x87, 0x40), 0x2D21);
  EXPECT_EQ(SjisToJis(0x9F, 0xFC), 0x5E7E);
  EXPECT_EQ(SjisToJis(0xE0, 0x40), 0x5F21);
  // Invalid second bytes wrap instead of failing.
  EXPECT_EQ(SjisToJis(0xF0, 0x1F), 0x0000);
  EXPECT_EQ(SjisToJis(0x85, 0xFE), 0x2A00);
  EXPECT_EQ(SjisToJis(0xF0, 0x9F), 0x0021);
}

TEST(NextChar, ReadsCharactersAndStopsAtTheEnd) {
  const char text[] = "a\x82\xA0\x81\x2E\xB6\x82";
  const char* pos = text;
  CharRead ch = NextChar(&pos);
  EXPECT_EQ(ch.code, 'a');
  EXPECT_EQ(ch.kind, CharKind::kSingle);
  ch = NextChar(&pos);
  EXPECT_EQ(ch.code, 0x2422);
  EXPECT_EQ(ch.kind, CharKind::kDouble);
  // A lead byte takes any non-NUL byte after it, valid trail byte or not.
  ch = NextChar(&pos);
  EXPECT_EQ(ch.kind, CharKind::kDouble);
  EXPECT_EQ(pos, text + 5);
  ch = NextChar(&pos);
  EXPECT_EQ(ch.code, 0xB6);  // half-width katakana is single-byte
  ch = NextChar(&pos);
  EXPECT_EQ(ch.kind, CharKind::kLoneLead);
  EXPECT_EQ(ch.code, 0x8200);
  EXPECT_EQ(pos, text + 7);
  for (int i = 0; i < 2; ++i) {
    ch = NextChar(&pos);
    EXPECT_EQ(ch.kind, CharKind::kEnd);
    EXPECT_EQ(pos, text + 7);
  }
}

TEST(ToCodeString, DropsALeadByteAtTheEnd) {
  ScratchVector<uint32_t> codes;
  ToCodeString("a\x82\xA0\x82", &codes);
  EXPECT_EQ(codes, (ScratchVector<uint32_t>{'a', 0x2422, kEndOfText}));
  ToCodeString("", &codes);
  EXPECT_EQ(codes, (ScratchVector<uint32_t>{kEndOfText}));
  // A character whose code is 0 is still a character.
  ToCodeString("\xF0\x1Fz", &codes);
  EXPECT_EQ(codes, (ScratchVector<uint32_t>{0, 'z', kEndOfText}));
}

TEST(ReadEscape, NamedHexAndPlainEscapes) {
  struct Case {
    const char* text;
    CharCode code;
  } cases[] = {
      {"t", 0x09},       {"T", 0x09},          {"n", 0x0A},      {"N", 0x0A},  {"r", 0x0D},
      {"R", 0x0D},       {"x41", 'A'},         {"X4a", 'J'},     {"x4A", 'J'}, {"j2422", 0x2422},
      {"J82A0", 0x2422}, {"a", 'A'},           {"\\", '\\'},     {".", '.'},   {"]", ']'},
      {"^", '^'},        {"\x82\xA0", 0x2422}, {"x4g", 0x40},    {"x00", 0},   {"j2A00", 0x2A00},
      {"\xB6", 0xB6},    {"JF01F", 0},         {"\x82", 0x8200},
  };
  for (const Case& c : cases) {
    const char* pos = c.text;
    CharCode code = 0xFFFF;
    EXPECT_TRUE(ReadEscape(&pos, &code)) << c.text;
    EXPECT_EQ(code, c.code) << c.text;
    EXPECT_EQ(*pos, 0) << c.text;
  }
  // Cut short by the end: nothing, and never a read past the terminator.
  for (const char* text : {"", "x", "x4", "j242", "J", "x\x82"}) {
    const char* pos = text;
    CharCode code;
    EXPECT_FALSE(ReadEscape(&pos, &code)) << text;
    EXPECT_EQ(*pos, 0);
  }
}

TEST(CompilePattern, ListedExamplesWordForWord) {
  // clang-format off
  const Case cases[] = {
      {"ba*c", {0x0062, 0x2A00, 0x0008, 0x0061, 0x2A00, 0xFFFC, 0x0063, 0}},
      {"a|b", {0x7C00, 0x0008, 0x0061, 0x7F00, 0x0004, 0x0062, 0}},
      {"a|b|c", {0x7C00, 0x0008, 0x0061, 0x7F00, 0x000E, 0x7C00, 0x0008, 0x0062, 0x7F00, 0x0004, 0x0063, 0}},
      {"x(ab|cd)*y", {0x0078, 0x2A00, 0x0016, 0x7C00, 0x000A, 0x0061, 0x0062, 0x7F00, 0x0006, 0x0063, 0x0064, 0x2A00, 0xFFEE, 0x0079, 0}},
      {"[a-c]+", {0x2B00, 0x0012, 0x5B00, 0x000A, 0x2D00, 0x0061, 0x0063, 0, 0x2B00, 0xFFF2, 0}},
      {"^[^a-c]", {0x5E00, 0x5B00, 0x000C, 0x005E, 0x2D00, 0x0061, 0x0063, 0, 0}},
      {"a**", {0x2A00, 0x0010, 0x2A00, 0x0008, 0x0061, 0x2A00, 0xFFFC, 0x2A00, 0xFFF4, 0}},
      {"a|", {0x7C00, 0x0008, 0x0061, 0x7F00, 0x0002, 0}},
      {"\x82\xA0\x82\xA2", {0x2422, 0x2424, 0}}, {"[a-", {0x5B00, 0x0008, 0x0061, 0, 0, 0}},
      {"\xB6\xC5", {0x00B6, 0x00C5, 0}}};
  // clang-format on
  CheckAll(cases);
}

TEST(CompilePattern, RepetitionNestsAndAppliesToTheLastItem) {
  // clang-format off
  const Case cases[] = {
      {"a*?", Compile("(a*)?")}, {"a+*", Compile("(a+)*")},
      {"ab+", {'a', 0x2B00, 0x0008, 'b', 0x2B00, 0xFFFC, 0}},
      {"$?", {0x3F00, 0x0008, 0x2400, 0x3F00, 0xFFFC, 0}},
      {".\\.*", {0x2E00, 0x2A00, 0x0008, '.', 0x2A00, 0xFFFC, 0}}};
  // clang-format on
  CheckAll(cases);
}

TEST(CompilePattern, MalformedPatternsCompileAsDescribed) {
  // A ')' that closes a right alternative at the top ends the pattern.
  // Inside a class only ']', '-' and backslash are special.
  // A lead byte right before the end is a never-matching literal in the
  // main pattern and ends a class.
  // clang-format off
  const Case cases[] = {
      {"", {0}}, {"^", {0x5E00, 0}}, {"^^a", {0x5E00, '^', 'a', 0}}, {"a)b", Compile("a")},
      {"(ab", Compile("ab")}, {"[abc", Compile("[abc]")}, {"*a", Compile("a")},
      {"^*a", Compile("^a")}, {"(*a)", Compile("a")}, {"a|*b", Compile("a|b")},
      {"|a", Compile("a")}, {"a||b", Compile("a|b")}, {"()*a", Compile("a")},
      {"a()*", Compile("a")}, {"ab\\", Compile("ab")},
      {"(a|b)c", {0x7C00, 0x0008, 'a', 0x7F00, 0x0004, 'b', 'c', 0}}, {"a|b)c", Compile("a|b")},
      {"a$b", {'a', 0x2400, 'b', 0}}, {"[.*$(|]", {0x5B00, 0x000E, '.', '*', '$', '(', '|', 0, 0}},
      {"[]a]", {0x5B00, 0x0004, 0, 'a', ']', 0}}, {"[a-]", {0x5B00, 0x0006, 'a', 0, 0}},
      {"[-a]", {0x5B00, 0x0008, '-', 'a', 0, 0}},
      {"[a-c-e]", {0x5B00, 0x000E, 0x2D00, 'a', 'c', '-', 'e', 0, 0}},
      {"[a-\\]]", {0x5B00, 0x000A, 0x2D00, 'a', ']', 0, 0}}, {"[\\^a]", Compile("[^a]")},
      {"[\\x5Ea]", Compile("[^a]")}, {"[^-a]", {0x5B00, 0x000A, 0x2D00, '^', 'a', 0, 0}},
      {"a\x82", {'a', 0x8200, 0}}, {"[a\x82", {0x5B00, 0x0006, 'a', 0, 0}}};
  // clang-format on
  CheckAll(cases);
}

TEST(CompilePattern, LiteralsNeverReadAsOperators) {
  // A double-byte character whose code equals an ASCII metacharacter is a
  // literal, not that metacharacter.
  // Class members that would read as list structure.
  // Range bounds are positional and need no marker.
  // clang-format off
  const Case cases[] = {
      {"a\\x00b", {'a', 0x5C00, 0x0000, 'b', 0}}, {"\\j2A00", {0x5C00, 0x2A00, 0}},
      {"\\j5E00", {0x5C00, 0x5E00, 0}}, {"\\j5C00", {0x5C00, 0x5C00, 0}},
      {"\x85\xFE", {0x5C00, 0x2A00, 0}}, {"\x9F\x1F", {0x5C00, 0x5E00, 0}},
      {"a\xF0\xA9", {'a', 0x002B, 0}}, {"[\xF0\xDC\x61]", {0x5B00, 0x000A, 0x5C00, '^', 'a', 0, 0}},
      {"[\\x00a]", {0x5B00, 0x000A, 0x5C00, 0, 'a', 0, 0}},
      {"[\\j2D00]", {0x5B00, 0x0008, 0x5C00, 0x2D00, 0, 0}},
      {"[\\x00-a]", {0x5B00, 0x000A, 0x2D00, 0, 'a', 0, 0}}};
  // clang-format on
  CheckAll(cases);
}

TEST(CompilePattern, EscapesCutShortAddNothing) {
  // clang-format off
  const Case cases[] = {
      {"ab\\x", Compile("ab")}, {"ab\\x4", Compile("ab")}, {"ab\\j24", Compile("ab")},
      {"ab\\J82A", Compile("ab")}, {"[a-\\", Compile("[a-")},
      {"[a\\", {0x5B00, 0x0006, 'a', 0, 0}}};
  // clang-format on
  CheckAll(cases);
}

TEST(CompilePattern, LargeConstructsKeepExactOffsets) {
  std::string atom(20000, 'a');
  std::vector<PatternWord> words = CompilePattern(("(" + atom + ")*").c_str());
  ASSERT_EQ(words.size(), 20000u + 5);
  EXPECT_EQ(words[0], OP_STAR);
  EXPECT_EQ(words[1], 2 * 20000 + 6);
  EXPECT_EQ(words[20002], OP_STAR);
  EXPECT_EQ(words[20003], -(2 * 20000 + 2));
  Words packed;
  EXPECT_FALSE(PackWords(words, &packed));

  std::string long_class = "[" + std::string(40000, 'b') + "]";
  words = CompilePattern(long_class.c_str());
  EXPECT_EQ(words[1], 2 + 2 * 40001);
  EXPECT_EQ(words.size(), 40004u);
}

TEST(CompilePattern, DeepNestingUsesNoMachineStack) {
  std::string groups(300000, '(');
  std::vector<PatternWord> words = CompilePattern((groups + "a").c_str());
  EXPECT_EQ(words, (std::vector<PatternWord>{'a', 0}));
  std::string alternatives;
  for (int i = 0; i < 100000; ++i) alternatives += "a|";
  words = CompilePattern(alternatives.c_str());
  EXPECT_EQ(words.size(), 100000u * 5 + 1);
  EXPECT_EQ(words[4], 2 * (5 * (100000 - 1)) + 2);
}

}  // namespace
}  // namespace zolt

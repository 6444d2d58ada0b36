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

TEST(SjisToJis, GivesRowAndCellCodes) {
  EXPECT_EQ(SjisToJis(0x81, 0x40), 0x2121);
  EXPECT_EQ(SjisToJis(0x82, 0xA0), 0x2422);
  EXPECT_EQ(SjisToJis(0x87, 0x40), 0x2D21);
  EXPECT_EQ(SjisToJis(0x9F, 0xFC), 0x5E7E);
  EXPECT_EQ(SjisToJis(0xE0, 0x40), 0x5F21);
  // Every valid pair with a lead up to 0xEF against the closed form.
  for (int lead = 0x81; lead <= 0xEF; ++lead) {
    if (lead > 0x9F && lead < 0xE0) continue;
    for (int second = 0x40; second <= 0xFC; ++second) {
      if (second == 0x7F) continue;
      int high = ((2 * lead + 0x1F) % 128) + (second >= 0x9F ? 1 : 0);
      int low = second <= 0x7E ? second - 0x1F : second <= 0x9E ? second - 0x20 : second - 0x7E;
      ASSERT_EQ(SjisToJis(lead, second), high * 256 + low) << lead << " " << second;
    }
  }
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
  std::vector<uint32_t> codes;
  ToCodeString("a\x82\xA0\x82", &codes);
  EXPECT_EQ(codes, (std::vector<uint32_t>{'a', 0x2422, kEndOfText}));
  ToCodeString("", &codes);
  EXPECT_EQ(codes, (std::vector<uint32_t>{kEndOfText}));
  // A character whose code is 0 is still a character.
  ToCodeString("\xF0\x1Fz", &codes);
  EXPECT_EQ(codes, (std::vector<uint32_t>{0, 'z', kEndOfText}));
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
  EXPECT_EQ(Compile("ba*c"), (Words{0x0062, 0x2A00, 0x0008, 0x0061, 0x2A00, 0xFFFC, 0x0063, 0}));
  EXPECT_EQ(Compile("a|b"), (Words{0x7C00, 0x0008, 0x0061, 0x7F00, 0x0004, 0x0062, 0}));
  EXPECT_EQ(Compile("a|b|c"), (Words{0x7C00, 0x0008, 0x0061, 0x7F00, 0x000E, 0x7C00, 0x0008, 0x0062,
                                     0x7F00, 0x0004, 0x0063, 0}));
  EXPECT_EQ(Compile("x(ab|cd)*y"),
            (Words{0x0078, 0x2A00, 0x0016, 0x7C00, 0x000A, 0x0061, 0x0062, 0x7F00, 0x0006, 0x0063,
                   0x0064, 0x2A00, 0xFFEE, 0x0079, 0}));
  EXPECT_EQ(Compile("[a-c]+"),
            (Words{0x2B00, 0x0012, 0x5B00, 0x000A, 0x2D00, 0x0061, 0x0063, 0, 0x2B00, 0xFFF2, 0}));
  EXPECT_EQ(Compile("^[^a-c]"),
            (Words{0x5E00, 0x5B00, 0x000C, 0x005E, 0x2D00, 0x0061, 0x0063, 0, 0}));
  EXPECT_EQ(Compile("a**"),
            (Words{0x2A00, 0x0010, 0x2A00, 0x0008, 0x0061, 0x2A00, 0xFFFC, 0x2A00, 0xFFF4, 0}));
  EXPECT_EQ(Compile("a|"), (Words{0x7C00, 0x0008, 0x0061, 0x7F00, 0x0002, 0}));
  EXPECT_EQ(Compile("\x82\xA0\x82\xA2"), (Words{0x2422, 0x2424, 0}));
  EXPECT_EQ(Compile("[a-"), (Words{0x5B00, 0x0008, 0x0061, 0, 0, 0}));
  EXPECT_EQ(Compile("\xB6\xC5"), (Words{0x00B6, 0x00C5, 0}));
}

TEST(CompilePattern, RepetitionNestsAndAppliesToTheLastItem) {
  EXPECT_EQ(Compile("a*?"), Compile("(a*)?"));
  EXPECT_EQ(Compile("a+*"), Compile("(a+)*"));
  EXPECT_EQ(Compile("ab+"), (Words{'a', 0x2B00, 0x0008, 'b', 0x2B00, 0xFFFC, 0}));
  EXPECT_EQ(Compile("$?"), (Words{0x3F00, 0x0008, 0x2400, 0x3F00, 0xFFFC, 0}));
  EXPECT_EQ(Compile(".\\.*"), (Words{0x2E00, 0x2A00, 0x0008, '.', 0x2A00, 0xFFFC, 0}));
}

TEST(CompilePattern, MalformedPatternsCompileAsDescribed) {
  EXPECT_EQ(Compile(""), (Words{0}));
  EXPECT_EQ(Compile("^"), (Words{0x5E00, 0}));
  EXPECT_EQ(Compile("^^a"), (Words{0x5E00, '^', 'a', 0}));
  EXPECT_EQ(Compile("a)b"), Compile("a"));
  EXPECT_EQ(Compile("(ab"), Compile("ab"));
  EXPECT_EQ(Compile("[abc"), Compile("[abc]"));
  EXPECT_EQ(Compile("*a"), Compile("a"));
  EXPECT_EQ(Compile("^*a"), Compile("^a"));
  EXPECT_EQ(Compile("(*a)"), Compile("a"));
  EXPECT_EQ(Compile("a|*b"), Compile("a|b"));
  EXPECT_EQ(Compile("|a"), Compile("a"));
  EXPECT_EQ(Compile("a||b"), Compile("a|b"));
  EXPECT_EQ(Compile("()*a"), Compile("a"));
  EXPECT_EQ(Compile("a()*"), Compile("a"));
  EXPECT_EQ(Compile("ab\\"), Compile("ab"));
  EXPECT_EQ(Compile("(a|b)c"), (Words{0x7C00, 0x0008, 'a', 0x7F00, 0x0004, 'b', 'c', 0}));
  // A ')' that closes a right alternative at the top ends the pattern.
  EXPECT_EQ(Compile("a|b)c"), Compile("a|b"));
  EXPECT_EQ(Compile("a$b"), (Words{'a', 0x2400, 'b', 0}));
  // Inside a class only ']', '-' and backslash are special.
  EXPECT_EQ(Compile("[.*$(|]"), (Words{0x5B00, 0x000E, '.', '*', '$', '(', '|', 0, 0}));
  EXPECT_EQ(Compile("[]a]"), (Words{0x5B00, 0x0004, 0, 'a', ']', 0}));
  EXPECT_EQ(Compile("[a-]"), (Words{0x5B00, 0x0006, 'a', 0, 0}));
  EXPECT_EQ(Compile("[-a]"), (Words{0x5B00, 0x0008, '-', 'a', 0, 0}));
  EXPECT_EQ(Compile("[a-c-e]"), (Words{0x5B00, 0x000E, 0x2D00, 'a', 'c', '-', 'e', 0, 0}));
  EXPECT_EQ(Compile("[a-\\]]"), (Words{0x5B00, 0x000A, 0x2D00, 'a', ']', 0, 0}));
  EXPECT_EQ(Compile("[\\^a]"), Compile("[^a]"));
  EXPECT_EQ(Compile("[\\x5Ea]"), Compile("[^a]"));
  EXPECT_EQ(Compile("[^-a]"), (Words{0x5B00, 0x000A, 0x2D00, '^', 'a', 0, 0}));
  // A lead byte right before the end is a never-matching literal in the
  // main pattern and ends a class.
  EXPECT_EQ(Compile("a\x82"), (Words{'a', 0x8200, 0}));
  EXPECT_EQ(Compile("[a\x82"), (Words{0x5B00, 0x0006, 'a', 0, 0}));
}

TEST(CompilePattern, LiteralsNeverReadAsOperators) {
  EXPECT_EQ(Compile("a\\x00b"), (Words{'a', 0x5C00, 0x0000, 'b', 0}));
  EXPECT_EQ(Compile("\\j2A00"), (Words{0x5C00, 0x2A00, 0}));
  EXPECT_EQ(Compile("\\j5E00"), (Words{0x5C00, 0x5E00, 0}));
  EXPECT_EQ(Compile("\\j5C00"), (Words{0x5C00, 0x5C00, 0}));
  EXPECT_EQ(Compile("\x85\xFE"), (Words{0x5C00, 0x2A00, 0}));
  EXPECT_EQ(Compile("\x9F\x1F"), (Words{0x5C00, 0x5E00, 0}));
  // A double-byte character whose code equals an ASCII metacharacter is a
  // literal, not that metacharacter.
  EXPECT_EQ(Compile("a\xF0\xA9"), (Words{'a', 0x002B, 0}));
  EXPECT_EQ(Compile("[\xF0\xDC"
                    "a]"),
            (Words{0x5B00, 0x000A, 0x5C00, '^', 'a', 0, 0}));
  // Class members that would read as list structure.
  EXPECT_EQ(Compile("[\\x00a]"), (Words{0x5B00, 0x000A, 0x5C00, 0, 'a', 0, 0}));
  EXPECT_EQ(Compile("[\\j2D00]"), (Words{0x5B00, 0x0008, 0x5C00, 0x2D00, 0, 0}));
  // Range bounds are positional and need no marker.
  EXPECT_EQ(Compile("[\\x00-a]"), (Words{0x5B00, 0x000A, 0x2D00, 0, 'a', 0, 0}));
}

TEST(CompilePattern, EscapesCutShortAddNothing) {
  EXPECT_EQ(Compile("ab\\x"), Compile("ab"));
  EXPECT_EQ(Compile("ab\\x4"), Compile("ab"));
  EXPECT_EQ(Compile("ab\\j24"), Compile("ab"));
  EXPECT_EQ(Compile("ab\\J82A"), Compile("ab"));
  EXPECT_EQ(Compile("[a-\\"), Compile("[a-"));
  EXPECT_EQ(Compile("[a\\"), (Words{0x5B00, 0x0006, 'a', 0, 0}));
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

TEST(MetaClass, ClassesOfTheMetacharacters) {
  EXPECT_EQ(MetaClass[0], kMetaEnd);
  EXPECT_EQ(MetaClass['$'], kMetaDollar);
  EXPECT_EQ(MetaClass['('], kMetaOpen);
  EXPECT_EQ(MetaClass[')'], kMetaClose);
  EXPECT_EQ(MetaClass['*'], kMetaStar);
  EXPECT_EQ(MetaClass['+'], kMetaPlus);
  EXPECT_EQ(MetaClass['.'], kMetaDot);
  EXPECT_EQ(MetaClass['?'], kMetaQuest);
  EXPECT_EQ(MetaClass['['], kMetaBracket);
  EXPECT_EQ(MetaClass['\\'], kMetaBackslash);
  EXPECT_EQ(MetaClass['|'], kMetaBar);
  EXPECT_EQ(MetaClass[0x7F], kMetaDel);
  int literals = 0;
  for (int c = 0; c < 128; ++c) literals += MetaClass[c] == kMetaLiteral;
  EXPECT_EQ(literals, 128 - 12);
}

}  // namespace
}  // namespace zolt

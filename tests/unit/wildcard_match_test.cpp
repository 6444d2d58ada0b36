#include "support/wildcard_match.h"

#include <gtest/gtest.h>

namespace zolt {
namespace {

TEST(WildcardMatch, StarAndQuestionMark) {
  EXPECT_TRUE(WildcardMatch("*", "a"));
  EXPECT_TRUE(WildcardMatch("*.txt", "a.txt"));
  EXPECT_TRUE(WildcardMatch("*.txt", ".txt.txt") == false);  // leading dot
  EXPECT_TRUE(WildcardMatch("a*b*c", "aXbYbZc"));
  EXPECT_TRUE(WildcardMatch("a*b*c", "abc"));
  EXPECT_FALSE(WildcardMatch("a*b*c", "abcd"));
  EXPECT_TRUE(WildcardMatch("a?c", "abc"));
  EXPECT_FALSE(WildcardMatch("a?c", "ac"));
  EXPECT_FALSE(WildcardMatch("a?c", "abbc"));
  EXPECT_TRUE(WildcardMatch("**", ""));
  EXPECT_FALSE(WildcardMatch("?", ""));
  EXPECT_TRUE(WildcardMatch("*x", "xxx"));
  EXPECT_FALSE(WildcardMatch("*x", "xxy"));
}

TEST(WildcardMatch, CaseMattersAndOtherBytesAreLiteral) {
  EXPECT_FALSE(WildcardMatch("*.TXT", "a.txt"));
  EXPECT_TRUE(WildcardMatch("[a]*", "[a]b"));
  EXPECT_FALSE(WildcardMatch("[a]*", "ab"));
  // A backslash escapes nothing.
  EXPECT_TRUE(WildcardMatch("a\\*", "a\\b"));
  EXPECT_FALSE(WildcardMatch("a\\*", "a*"));
  EXPECT_TRUE(WildcardMatch("a\\?", "a\\x"));
}

TEST(WildcardMatch, LeadingDotNeedsADotInThePattern) {
  EXPECT_FALSE(WildcardMatch("*", ".profile"));
  EXPECT_FALSE(WildcardMatch("?profile", ".profile"));
  EXPECT_TRUE(WildcardMatch(".*", ".profile"));
  EXPECT_TRUE(WildcardMatch("*.*", "a.b"));
}

TEST(WildcardMatch, ShiftJisCharactersAreWhole) {
  // 表 is 0x95 0x5C: its second byte is a backslash.
  const char* hyo1 =
      "\x95\x5C"
      "1.txt";
  EXPECT_TRUE(WildcardMatch("\x95\x5C*.txt", hyo1));
  EXPECT_TRUE(WildcardMatch("?1.txt", hyo1));
  EXPECT_FALSE(WildcardMatch("??1.txt", hyo1));
  EXPECT_FALSE(WildcardMatch("\x95\x5C*.txt",
                             "\x95"
                             "a1.txt"));
  // ア is 0x83 0x41: the 'A' is the kanji's second byte, not a letter.
  EXPECT_FALSE(WildcardMatch("*A.txt", "\x83\x41.txt"));
  EXPECT_TRUE(WildcardMatch("*A.txt",
                            "\x83\x41"
                            "A.txt"));
  EXPECT_FALSE(WildcardMatch("*\x41", "\x83\x41"));
  EXPECT_TRUE(WildcardMatch("*\x83\x41", "x\x83\x41"));
  // A lead byte at the end of a name stands alone.
  EXPECT_TRUE(WildcardMatch("a?", "a\x95"));
}

TEST(HasWildcard, FindsStarOrQuestionMarkAnywhere) {
  EXPECT_TRUE(HasWildcard("-o*.TXT"));
  EXPECT_TRUE(HasWildcard("@l?st"));
  EXPECT_FALSE(HasWildcard("plain\\name"));
  EXPECT_FALSE(HasWildcard(""));
}

}  // namespace
}  // namespace zolt

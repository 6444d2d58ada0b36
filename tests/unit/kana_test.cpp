#include "filters/kana.h"

#include <gtest/gtest.h>

#include "filter_harness.h"
#include "filter_references.h"

namespace zolt {
namespace {

using testing::CheckAgainstReference;
using namespace testing;
using testing::RunJob;

std::string K(const std::string& in) {
  return RunJob(WidenKana, in).out;
}

TEST(Kana, FoldsSoundMarksWhereAFullWidthFormExists) {
  EXPECT_EQ(K("\xB6\xDE\xB7\xDE\xB8\xDE"), "\x83\x4B\x83\x4D\x83\x4F");  // ｶﾞｷﾞｸﾞ ガギグ
  EXPECT_EQ(K("\xCA\xDF\xCB\xDF\xCC\xDF\xCD\xDF\xCE\xDF"),
            "\x83\x70\x83\x73\x83\x76\x83\x79\x83\x7C");  // ﾊﾟ..ﾎﾟ パピプペポ
  EXPECT_EQ(K("\xCA\xDE"), "\x83\x6F");                   // ﾊﾞ バ
  EXPECT_EQ(K("\xC4\xDE"), "\x83\x68");                   // ﾄﾞ ド, the last voiced one
}

TEST(Kana, KeepsAMarkThatCannotCombine) {
  EXPECT_EQ(K("\xB3\xDE"), "\x83\x45\x81\x4A");      // ｳﾞ ウ゛
  EXPECT_EQ(K("\xDC\xDE"), "\x83\x8F\x81\x4A");      // ﾜﾞ ワ゛
  EXPECT_EQ(K("\xB6\xDF"), "\x83\x4A\x81\x4B");      // ｶﾟ カ゜
  EXPECT_EQ(K("\xB1\xDE"), "\x83\x41\x81\x4A");      // ｱﾞ ア゛
  EXPECT_EQ(K("\xC5\xDE"), "\x83\x69\x81\x4A");      // ﾅﾞ ナ゛, just after ﾄ
  EXPECT_EQ(K("\xDE\xDE"), "\x81\x4A\x81\x4A");      // ﾞﾞ ゛゛
  EXPECT_EQ(K("\xDF"), "\xDF");                      // ﾟ alone stays
  EXPECT_EQ(K("\x8A\xBF\xDE"), "\x8A\xBF\x81\x4A");  // a kanji, then ﾞ
}

TEST(Kana, ConvertsSignsAndLeavesOtherBytes) {
  EXPECT_EQ(K("\xB0\xA1\xA2\xB1\xA3\xA5"), "\x81\x5B\x81\x42\x81\x75\x83\x41\x81\x76\x81\x45");
  // A double-byte character whose second byte looks like katakana.
  EXPECT_EQ(K("\x83\xB1\x83\xDE"), "\x83\xB1\x83\xDE");
  EXPECT_EQ(K("ab\r\n\xA0"), "ab\r\n\xA0");
  EXPECT_EQ(K("\xB6\r\n"), "\x83\x4A\r\n");
}

TEST(Kana, EndOfInput) {
  EXPECT_EQ(K("\xB6"), "\x83\x4A");
  EXPECT_EQ(K("\xB6\xDE"), "\x83\x4B");
  EXPECT_EQ(K("a\x83"), "a\x83");  // a lone lead byte is kept
  EXPECT_EQ(K(""), "");
}

TEST(Kana, MatchesByteAtATimeReference) {
  CheckAgainstReference(WidenKana, ReferenceKana, 44);
}

}  // namespace
}  // namespace zolt

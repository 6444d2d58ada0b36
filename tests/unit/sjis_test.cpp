// The Shift-JIS byte rule behind path handling: a byte 0x5C (the Windows
// separator) that is the second byte of a kanji is no separator.
#include "support/sjis.h"

#include <gtest/gtest.h>

namespace zolt {
namespace {

TEST(Sjis, SeparatorsAndDotsAreNeverTheSecondByteOfAKanji) {
  // 0x8E 0x9A is one kanji whose second byte lies in a lead range; the
  // backslash after it is a character of its own.
  using enum SjisByte;
  const SjisByte classes[] = {kOutside, kLead, kTrail, kSingle, kOutside};
  for (int i = -1; i <= 3; ++i) EXPECT_EQ(SjisByteClass("\x8E\x9A\x5C", i), classes[i + 1]) << i;
  EXPECT_EQ(SjisByteClass("\x81\x2E", 1), kSingle);  // no trail byte after the lead byte
  EXPECT_EQ(SjisByteClass("a\x82", 1), kLead);       // a lead byte at the very end
  // 表 is 0x95 0x5C.
  const char path[] = "C:\\\x95\x5C\\a";
  EXPECT_EQ(SjisFindLast(path, '\\'), path + 5);
  EXPECT_EQ(SjisFindFirst(path, '\\'), path + 2);
  EXPECT_EQ(SjisFindLast("\x95\x5C", '\\'), nullptr);
  const char dot[] = "\x81\x2E";
  EXPECT_EQ(SjisFindFirst(dot, '.'), dot + 1);
}

}  // namespace
}  // namespace zolt

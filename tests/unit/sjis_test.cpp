#include "support/sjis.h"

#include <gtest/gtest.h>

namespace zolt {
namespace {

TEST(SjisByteClass, ClassifiesLeadTrailAndSingleBytes) {
  // 0x8E 0x9A is one kanji whose second byte lies in a lead range; the
  // backslash after it is a character of its own.
  const char text[] = "\x8E\x9A\x5C";
  EXPECT_EQ(SjisByteClass(text, 0), 1);
  EXPECT_EQ(SjisByteClass(text, 1), 2);
  EXPECT_EQ(SjisByteClass(text, 2), 0);
  EXPECT_EQ(SjisByteClass(text, 3), -1);
  EXPECT_EQ(SjisByteClass(text, -1), -1);
  EXPECT_EQ(SjisByteClass("", 0), -1);
  // A lead byte followed by a byte that cannot be a trail byte, and a lead
  // byte at the very end.
  EXPECT_EQ(SjisByteClass("\x81\x2E", 1), 0);
  EXPECT_EQ(SjisByteClass("a\x82", 1), 1);
}

TEST(SjisFind, NeverReturnsTheSecondByteOfAKanji) {
  const char kanji[] = "\x95\x5C";
  EXPECT_EQ(SjisFindLast(kanji, '\\'), nullptr);
  const char path[] = "C:\\\x95\x5C\\a";
  EXPECT_EQ(SjisFindLast(path, '\\'), path + 5);
  EXPECT_EQ(SjisFindFirst(path, '\\'), path + 2);
  const char dot[] = "\x81\x2E";
  EXPECT_EQ(SjisFindFirst(dot, '.'), dot + 1);
  EXPECT_EQ(SjisFindFirst("", '.'), nullptr);
  EXPECT_EQ(SjisFindLast("", '.'), nullptr);
}

}  // namespace
}  // namespace zolt

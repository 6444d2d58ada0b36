#include "support/texts.h"

#include <gtest/gtest.h>

#include "unit/fake_platform.h"

namespace zolt {
namespace {

TEST(Texts, EveryTextHasCp932Bytes) {
  for (int i = 0; i < static_cast<int>(Text::kCount); ++i) {
    std::string bytes;
    EXPECT_TRUE(Utf8ToCp932(TextUtf8(static_cast<Text>(i)), &bytes))
        << TextUtf8(static_cast<Text>(i));
  }
}

TEST(Texts, WrittenAsShiftJisUnlessTheLocaleIsUtf8) {
  FakePlatform fake;  // answers "not UTF-8"
  EXPECT_EQ(TextBytes(Text::kSameFile),
            "\x93\xFC\x97\xCD\x83t\x83@\x83"
            "C\x83\x8B\x82\xC6\x8F"
            "o\x97\xCD\x83t\x83@\x83"
            "C"
            "\x83\x8B\x82\xAA\x93\xAF\x96\xBC\x83t\x83@\x83"
            "C\x83\x8B\x82\xC5\x82\xB7!");
  EXPECT_EQ(TextBytes(Text::kBanner), "\x82yolt \x82jit %s %s\n");
  // Half-width and ASCII texts pass unchanged.
  EXPECT_EQ(TextBytes(Text::kDriveNotReady), "Drive Not Ready!");
}

TEST(Texts, TrailByte5CSurvivesConversion) {
  std::string bytes;
  ASSERT_TRUE(Utf8ToCp932("表示", &bytes));
  EXPECT_EQ(bytes, "\x95\x5C\x8E\xA6");
}

}  // namespace
}  // namespace zolt

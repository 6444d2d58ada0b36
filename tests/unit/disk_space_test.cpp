#include "support/disk_space.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "unit/fake_platform.h"

namespace zolt {
namespace {

TEST(CommaFormat, GroupsDigitsInThreesWithinTheCapacity) {
  const struct {
    int64_t value;
    size_t capacity;
    const char* text;
  } cases[] = {
      {999, 32, "999"},   {1000, 32, "1,000"},   {INT64_MAX, 32, "9,223,372,036,854,775,807"},
      {-123, 32, "-123"}, {-1234, 32, "-1,234"}, {1234567890, 5, "1,23"},
      {12, 1, ""},        {1234, 2, "1"},        {1234, 0, "unchanged"},
  };
  for (const auto& c : cases) {
    char buf[40] = "unchanged";
    EXPECT_EQ(CommaFormat(c.value, buf, c.capacity),
              static_cast<int>(c.capacity ? std::strlen(c.text) : 0));
    EXPECT_EQ(std::string(buf), c.text);
  }
}

TEST(CheckDiskSpace, ComparesSixtyFourBitCountsAndReportsAFailedQueryOnce) {
  FakePlatform fake;
  fake.utf8 = true;
  fake.free_bytes = (uint64_t{1} << 32) + 10;  // small in its low 32 bits
  EXPECT_EQ(CheckDiskSpace(1000, "out.txt"), 0);
  EXPECT_EQ(CheckDiskSpace((int64_t{1} << 32) + 10, "out.txt"), 0);
  EXPECT_EQ(CheckDiskSpace((int64_t{1} << 32) + 11, "out.txt"), -1);
  EXPECT_EQ(fake.free_paths.front(), "out.txt");
  EXPECT_EQ(fake.err, "");
  fake.free_bytes = kFreeSpaceUnknown;
  EXPECT_EQ(CheckDiskSpace(0, nullptr), -2);
  EXPECT_EQ(fake.err, "Drive Not Ready!\n");
}

}  // namespace
}  // namespace zolt

#include "support/disk_space.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fake_platform.h"

namespace zolt {
namespace {

std::string Comma(int64_t value) {
  char buf[32];
  int n = CommaFormat(value, buf, sizeof buf);
  EXPECT_EQ(static_cast<size_t>(n), std::strlen(buf));
  return buf;
}

TEST(CommaFormat, GroupsDigitsInThrees) {
  EXPECT_EQ(Comma(0), "0");
  EXPECT_EQ(Comma(7), "7");
  EXPECT_EQ(Comma(999), "999");
  EXPECT_EQ(Comma(1000), "1,000");
  EXPECT_EQ(Comma(999999), "999,999");
  EXPECT_EQ(Comma(1000000), "1,000,000");
  EXPECT_EQ(Comma(1234567), "1,234,567");
  EXPECT_EQ(Comma(2147483647), "2,147,483,647");
}

TEST(CommaFormat, CountsBeyondThirtyTwoBits) {
  EXPECT_EQ(Comma(2147483648LL), "2,147,483,648");
  EXPECT_EQ(Comma(4294967296LL), "4,294,967,296");
  EXPECT_EQ(Comma(5368709120LL), "5,368,709,120");
  EXPECT_EQ(Comma(INT64_MAX), "9,223,372,036,854,775,807");
  EXPECT_EQ(Comma(-1234), "-1,234");
  EXPECT_EQ(Comma(-123), "-123");
}

TEST(CommaFormat, NeverWritesPastTheCapacity) {
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  int n = CommaFormat(1234567890, buf, 5);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(std::string(buf), "1,23");
  EXPECT_EQ(buf[5], 'x');
  EXPECT_EQ(CommaFormat(1, buf, 0), 0);
  EXPECT_EQ(buf[0], '1');  // untouched
  EXPECT_EQ(CommaFormat(12, buf, 1), 0);
  EXPECT_EQ(buf[0], '\0');
}

TEST(CheckDiskSpace, EqualityIsEnoughOneByteMoreIsNot) {
  FakePlatform fake;
  fake.utf8 = true;
  fake.free_bytes = 1000;
  EXPECT_EQ(CheckDiskSpace(1000, "out.txt"), 0);
  EXPECT_EQ(CheckDiskSpace(1001, "out.txt"), -1);
  EXPECT_EQ(CheckDiskSpace(0, "out.txt"), 0);
  EXPECT_EQ(fake.err, "");
  ASSERT_EQ(fake.free_paths.size(), 3u);
  EXPECT_EQ(fake.free_paths[0], "out.txt");
}

TEST(CheckDiskSpace, ComparesSixtyFourBitCounts) {
  FakePlatform fake;
  fake.utf8 = true;
  fake.free_bytes = 5ULL << 30;  // 5 GiB
  EXPECT_EQ(CheckDiskSpace(2147483647, "x"), 0);
  EXPECT_EQ(CheckDiskSpace(5LL << 30, "x"), 0);
  EXPECT_EQ(CheckDiskSpace((5LL << 30) + 1, "x"), -1);
  // A free space whose low 32 bits are small must not look small.
  fake.free_bytes = (1ULL << 32) + 10;
  EXPECT_EQ(CheckDiskSpace(1000, "x"), 0);
  EXPECT_EQ(CheckDiskSpace((1LL << 32) + 11, "x"), -1);
}

TEST(CheckDiskSpace, QueryFailurePrintsDriveNotReadyOnce) {
  FakePlatform fake;
  fake.utf8 = true;
  fake.free_bytes = kFreeSpaceUnknown;
  EXPECT_EQ(CheckDiskSpace(1, nullptr), -2);
  EXPECT_EQ(fake.err, "Drive Not Ready!\n");
  EXPECT_EQ(fake.free_paths.back(), "<null>");
  fake.err.clear();
  EXPECT_EQ(CheckDiskSpace(0, ""), -2);
  EXPECT_EQ(fake.err, "Drive Not Ready!\n");
}

}  // namespace
}  // namespace zolt

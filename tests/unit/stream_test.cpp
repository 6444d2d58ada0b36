#include "io/stream.h"

#include <gtest/gtest.h>

#include "io/work_buffer.h"
#include "support/texts.h"
#include "unit/fake_platform.h"

namespace zolt {
namespace {

TEST(ReadLine, LongLinesArriveInPiecesOfSizeMinusOne) {
  FakePlatform fake;
  fake.read_chunk = 1000;  // lines straddle reads
  InStream in;
  AttachInput(&in, fake.AddInput(std::string(5000, 'x') + "\nab\r\ncd"), true);
  std::vector<char> line(4096);
  EXPECT_EQ(ReadLine(&in, line.data(), line.size()), 4095);
  EXPECT_EQ(std::string(line.data()), std::string(4095, 'x'));
  EXPECT_EQ(ReadLine(&in, line.data(), line.size()), 906);
  EXPECT_EQ(std::string(line.data()), std::string(905, 'x') + "\n");
  EXPECT_EQ(ReadLine(&in, line.data(), line.size()), 4);
  EXPECT_EQ(std::string(line.data()), "ab\r\n");
  EXPECT_EQ(ReadLine(&in, line.data(), line.size()), 2);  // last line without LF
  EXPECT_EQ(std::string(line.data()), "cd");
  EXPECT_EQ(ReadLine(&in, line.data(), line.size()), -1);
  EXPECT_EQ(line[0], '\0');
}

TEST(ReadLine, KeepsNulBytesAndStopsAtTheLimitExactly) {
  FakePlatform fake;
  InStream in;
  AttachInput(&in, fake.AddInput(std::string("a\0b\n", 4) + "1234\n"), true);
  char line[5];
  EXPECT_EQ(ReadLine(&in, line, sizeof line), 4);
  EXPECT_EQ(std::string(line, 4), std::string("a\0b\n", 4));
  EXPECT_EQ(ReadLine(&in, line, sizeof line), 4);
  EXPECT_EQ(std::string(line), "1234");
  EXPECT_EQ(ReadLine(&in, line, sizeof line), 1);
  EXPECT_EQ(std::string(line), "\n");
}

TEST(OutStream, FirstWriteFailureIsKeptAndReportedAtClose) {
  FakePlatform fake;
  fake.write_budget = 10;
  OutStream out;
  AttachOutput(&out, fake.AddOutput(), true, "o");
  WriteBytes(&out, "0123456789abc", 13);
  EXPECT_FALSE(out.failed);  // still buffered
  EXPECT_FALSE(CloseOutput(&out));
  EXPECT_TRUE(out.failed);
}

TEST(OutStream, CloseFailureIsAFailure) {
  FakePlatform fake;
  fake.fail_close = true;
  OutStream out;
  AttachOutput(&out, fake.AddOutput(), true, "o");
  WriteBytes(&out, "x", 1);
  EXPECT_FALSE(CloseOutput(&out));
}

TEST(OutStream, BlocksLargerThanTheBufferGoStraightThrough) {
  FakePlatform fake;
  int fd = fake.AddOutput();
  OutStream out;
  AttachOutput(&out, fd, true, "o");
  std::string big(3 * kStreamBlock + 7, 'q');
  WriteBytes(&out, "a", 1);
  WriteBytes(&out, big.data(), big.size());
  WriteByte(&out, 'z');
  EXPECT_TRUE(CloseOutput(&out));
  EXPECT_EQ(fake.Contents(fd), "a" + big + "z");
}

TEST(WorkBuffer, HalvesUntilAnAllocationSucceeds) {
  FakePlatform fake;
  fake.largest_allocation = 5000;
  WorkBuffer work;
  ASSERT_TRUE(work.Allocate());
  EXPECT_EQ(work.size(), 4096u);
  EXPECT_EQ(fake.err, "");
}

TEST(WorkBuffer, NoMemoryAtAllPrintsTheMessageWithoutNewline) {
  FakePlatform fake;
  fake.largest_allocation = 0;
  WorkBuffer work;
  EXPECT_FALSE(work.Allocate());
  EXPECT_EQ(work.size(), 0u);
  EXPECT_EQ(fake.err, "global buf memory allocate error!");
}

}  // namespace
}  // namespace zolt

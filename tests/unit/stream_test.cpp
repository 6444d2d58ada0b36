// Line reads in pieces and the work buffer's fallback, which no run of the
// program shows on demand.
#include "io/stream.h"

#include <gtest/gtest.h>

#include "io/work_buffer.h"
#include "unit/fake_platform.h"

namespace zolt {
namespace {

TEST(ReadLine, LongLinesArriveInPiecesOfSizeMinusOne) {
  FakePlatform fake;
  fake.read_chunk = 1000;  // lines straddle reads
  InStream in;
  const std::string nul_line("a\0\r\n", 4);
  AttachInput(&in, fake.AddInput(std::string(5000, 'x') + "\n" + nul_line + "cd"), true);
  std::vector<char> line(4096);
  for (const std::string& piece :
       {std::string(4095, 'x'), std::string(905, 'x') + "\n", nul_line, std::string("cd")}) {
    EXPECT_EQ(ReadLine(&in, line.data(), line.size()), static_cast<int64_t>(piece.size()));
    EXPECT_EQ(std::string(line.data(), piece.size() + 1), piece + '\0');
  }
  EXPECT_EQ(ReadLine(&in, line.data(), line.size()), -1);
  EXPECT_EQ(line[0], '\0');
  // A read error is no line, even after some bytes of one.
  fake.memory_files = true;
  fake.disk["in"] = std::string(1500, 'y');
  fake.read_fails_at = 1000;
  ASSERT_TRUE(OpenInput(&in, "in"));
  EXPECT_EQ(ReadLine(&in, line.data(), line.size()), -1);
}

TEST(WorkBuffer, HalvesUntilAnAllocationSucceedsAndSaysWhenNoneDoes) {
  FakePlatform fake;
  fake.largest_allocation = 5000;
  WorkBuffer work;
  ASSERT_TRUE(work.Allocate());
  EXPECT_EQ(work.size(), 4096u);
  EXPECT_EQ(fake.err, "");
  fake.largest_allocation = 0;
  WorkBuffer none;
  EXPECT_FALSE(none.Allocate());
  EXPECT_EQ(none.size(), 0u);
  EXPECT_EQ(fake.err, "global buf memory allocate error!");
}

}  // namespace
}  // namespace zolt

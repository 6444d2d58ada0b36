#include "split/split_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/work_buffer.h"
#include "split/split_naming.h"
#include "unit/fake_platform.h"

namespace zolt {
namespace {

// Runs the line cutter over `data` held in memory with a work buffer of
// `buffer` bytes; returns the pieces.
std::vector<std::string> CutLines(const std::string& data, int64_t n1, uint32_t buffer) {
  FakePlatform fake;
  fake.memory_files = true;
  fake.disk["in"] = data;
  SetPieceDigits(2);
  KeepMatchLine = true;
  WorkBuffer work;
  EXPECT_TRUE(work.Allocate(buffer));
  InStream in;
  EXPECT_TRUE(OpenInput(&in, "in"));
  EXPECT_TRUE(SplitByLines(&in, work, "", "p", n1, nullptr));
  CloseInput(&in);
  std::vector<std::string> pieces;
  for (int n = 0; fake.disk.count(PieceName("", "p", n)); ++n)
    pieces.push_back(fake.disk[PieceName("", "p", n)]);
  return pieces;
}

TEST(SplitByLines, ALineLongerThanAChunkIsNeverCutInTwo) {
  // Chunks of at most 7 bytes: "cccccccccc\n" arrives as three chunks.
  std::vector<std::string> pieces = CutLines("a\nb\ncccccccccc\nd\n", 2, 8);
  EXPECT_EQ(pieces, (std::vector<std::string>{"a\nb\n", "cccccccccc\nd\n"}));
  pieces = CutLines("aaaaaaaaaaaaaaaaaaaa\nbbbbbbbbbbbbbbbbbbbb\ncc\n", 1, 8);
  EXPECT_EQ(pieces,
            (std::vector<std::string>{"aaaaaaaaaaaaaaaaaaaa\n", "bbbbbbbbbbbbbbbbbbbb\n", "cc\n"}));
}

TEST(SplitByLines, ALastLineWithoutLfStaysInTheLastPiece) {
  EXPECT_EQ(CutLines("a\r\nb\r\nc\r\nd\r\ne", 2, 64),
            (std::vector<std::string>{"a\r\nb\r\n", "c\r\nd\r\ne"}));
  EXPECT_EQ(CutLines("a\nb\nc\nd\ne\n", 2, 64),
            (std::vector<std::string>{"a\nb\n", "c\nd\n", "e\n"}));
  EXPECT_EQ(CutLines("a\nb\n", 2, 64), (std::vector<std::string>{"a\nb\n"}));
}

}  // namespace
}  // namespace zolt

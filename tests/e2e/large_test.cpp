// Large data: a line of a thousand million bytes through the duplicate-line
// filter and the tab expansion, and ten thousand empty lines cut into pieces.
// The suite carries the ctest label "slow" (left out of the debug, sanitizer
// and memcheck runs); the long line also skips itself when the temporary
// directory lacks room.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {
namespace {

constexpr size_t kGigabyte = 1000 * 1000 * 1000;

// `unit` repeated to at least a mebibyte.
std::string Period(const std::string& unit) {
  std::string period = unit;
  while (period.size() < (1 << 20)) period += unit;
  return period;
}

// Writes `size` bytes made of `unit` repeated (size a multiple of its length).
void WriteRepeated(const std::string& path, const std::string& unit, size_t size) {
  const std::string block = Period(unit);
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  for (size_t n; size > 0; size -= n) {
    n = std::min(size, block.size());
    ASSERT_EQ(write(fd, block.data(), n), static_cast<ssize_t>(n));
  }
  close(fd);
}

// Runs zolt with `args` in `dir` and checks that its standard output is
// `unit` repeated to `size` bytes, without holding the output in memory.
void ExpectRepeatedOutput(const TempDir& dir, const std::vector<std::string>& args,
                          const std::string& unit, size_t size) {
  const std::string period = Period(unit);
  size_t total = 0;
  auto compare = [&](int out) {
    std::vector<char> block(1 << 20);
    bool same = true;
    for (ssize_t n; (n = read(out, block.data(), block.size())) > 0; total += size_t(n)) {
      for (size_t at = 0, length; same && at < static_cast<size_t>(n); at += length) {
        size_t phase = (total + at) % period.size();
        length = std::min(static_cast<size_t>(n) - at, period.size() - phase);
        same = std::memcmp(block.data() + at, period.data() + phase, length) == 0;
        EXPECT_TRUE(same) << "output differs after byte " << total + at;
      }
    }
  };
  EXPECT_EQ(RunZolt(args, {.input = Input::kDevNull, .cwd = dir.path(), .during = compare}).status,
            0);
  EXPECT_EQ(total, size);
}

TEST(Large, AThousandMillionByteLineThroughUniqAndTabs) {
  TempDir dir;
  if (FreeBytes(dir.path()) < 2 * kGigabyte) GTEST_SKIP() << "less than 2 GB free";
  // One line, no LF: "abc" and a TAB, over and over.
  WriteRepeated(dir / "LINE", "abc\t", kGigabyte);
  ExpectRepeatedOutput(dir, {"-U", "LINE"}, "abc\t", kGigabyte);
  ExpectRepeatedOutput(dir, {"-T8", "LINE"}, "abc     ", 2 * kGigabyte);
  // The same line twice, LF-terminated: the second copy is folded away.
  const std::string half = std::string(499999999, 'x') + "\n";
  WriteRepeated(dir / "TWICE", half, kGigabyte);
  ExpectRepeatedOutput(dir, {"-U", "TWICE"}, half, kGigabyte / 2);
}

// Four digits and a line a piece: exactly pieces 0000 to 9999, none more.
TEST(Large, TenThousandEmptyLinesInTenThousandPieces) {
  if (TargetIsWin32()) GTEST_SKIP() << "10,000 pieces through Wine take half a minute";
  TempDir dir({{"EMPTY", std::string(10000, '\n')}});
  EXPECT_EQ(RunZolt({"-S1.4L", "EMPTY", "."}, {.input = Input::kDevNull, .cwd = dir.path()}).status,
            0);
  std::vector<std::string> names = ListDir(dir.path());
  ASSERT_EQ(names.size(), 10001u);
  EXPECT_EQ(names[1], "EMPTY._0000");
  EXPECT_EQ(names.back(), "EMPTY._9999");
  EXPECT_EQ(ReadFile(dir / names.back()), "\n");
}

}  // namespace
}  // namespace e2e

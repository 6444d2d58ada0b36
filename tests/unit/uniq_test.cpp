#include "filters/uniq.h"

#include <gtest/gtest.h>

#include "filter_harness.h"
#include "filter_references.h"
#include "support/texts.h"

namespace zolt {
namespace {

using testing::CheckAgainstReference;
using namespace testing;
using testing::FilterRun;
using testing::RunJob;

// Lines drawn from a small set, in letter-case variants, so that runs of
// equal lines, prefixes of lines and near misses are common.
std::string RandomLines(std::mt19937* rng, size_t max_length) {
  static const std::string kLines[] = {"",
                                       "a",
                                       "ab",
                                       "abc",
                                       "abd",
                                       "\x83\x41",
                                       "\x83\x61",
                                       std::string("x\0y", 3),
                                       std::string("x\0z", 3),
                                       "\r",
                                       "abc\r"};
  std::string text;
  size_t length = (*rng)() % (max_length + 1);
  while (text.size() < length) {
    std::string line = kLines[(*rng)() % std::size(kLines)];
    if ((*rng)() % 50 == 0) line.append((*rng)() % 10000, 'q');
    for (char& c : line)
      if ((*rng)() % 4 == 0 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
    int copies = 1 + static_cast<int>((*rng)() % 3);
    for (int i = 0; i < copies; ++i) text += line + "\n";
  }
  if ((*rng)() % 2 == 0 && !text.empty()) text.pop_back();  // last line without LF
  return text;
}

FilterRun U(const std::string& in, size_t budget = SIZE_MAX) {
  return RunJob([](StreamPair* p) { return FoldDuplicateLines(p, false); }, in, {}, budget);
}
std::string UFold(const std::string& in) {
  return RunJob([](StreamPair* p) { return FoldDuplicateLines(p, true); }, in).out;
}

TEST(Uniq, FoldsRunsOfEqualLines) {
  EXPECT_EQ(U("a\na\nb\na\n").out, "a\nb\na\n");
  EXPECT_EQ(U("").out, "");
  EXPECT_EQ(U("\n\n").out, "\n");
  EXPECT_EQ(U("abc\r\nabc\n").out, "abc\r\nabc\n");
  EXPECT_EQ(U("abc\nabc").out, "abc\nabc");
  EXPECT_EQ(U("abc\nab").out, "abc\nab");
  EXPECT_EQ(U("ab\nabc\nabc\n").out, "ab\nabc\n");
  // NUL bytes are part of the line.
  EXPECT_EQ(U(std::string("x\0y\nx\0z\nx\0z\n", 12)).out, std::string("x\0y\nx\0z\n", 8));
}

TEST(Uniq, FoldedComparisonKeepsTheFirstOfARun) {
  EXPECT_EQ(UFold("Abc\nABC\nabc\n"), "Abc\n");
  EXPECT_EQ(U("Abc\nABC\nabc\n").out, "Abc\nABC\nabc\n");
  // Second bytes fold too: ア then ヂ.
  EXPECT_EQ(UFold("\x83\x41\n\x83\x61\n"), "\x83\x41\n");
  // A line that differs after a case-folded match is written as read.
  EXPECT_EQ(UFold("Abc\naBx\n"), "Abc\naBx\n");
  EXPECT_EQ(UFold("Abc\nABC\nabcd\n"), "Abc\nabcd\n");
}

TEST(Uniq, ComparesLongLinesWhole) {
  // Two halves of 4095 equal bytes are one line, not two equal pieces.
  std::string line(8190, 'x');
  line += '\n';
  EXPECT_EQ(U(line).out, line);
  std::string big(1 << 20, 'y');
  std::string other = big;
  other.back() = 'z';
  std::string in = big + "\n" + big + "\n" + other + "\n" + other;
  EXPECT_EQ(U(in).out, big + "\n" + other + "\n" + other);
}

TEST(Uniq, MemoryFollowsTheLongestLine) {
  // A hundred different lines of 10,000 bytes fit in room for a few.
  std::string in;
  for (int i = 0; i < 100; ++i) in += std::string(10000, static_cast<char>('A' + i % 26)) + "\n";
  FilterRun run = U(in, 40000);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.out.size(), in.size());
}

TEST(Uniq, ReportsAMemoryShortage) {
  const std::string message = TextBytes(Text::kUniqMemoryError) + "\n";
  FilterRun none = U("a\n", 0);
  EXPECT_EQ(none.result, -1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, message);
  FilterRun late = U("a\n" + std::string(5000, 'b') + "\n", 4096);
  EXPECT_EQ(late.result, -1);
  EXPECT_EQ(late.err, message);
}

TEST(Uniq, MatchesByteAtATimeReference) {
  CheckAgainstReference([](StreamPair* p) { return FoldDuplicateLines(p, false); },
                        [](const std::string& s) { return ReferenceUniq(s, false); }, 70,
                        RandomLines);
  CheckAgainstReference([](StreamPair* p) { return FoldDuplicateLines(p, true); },
                        [](const std::string& s) { return ReferenceUniq(s, true); }, 71,
                        RandomLines);
  CheckAgainstReference([](StreamPair* p) { return FoldDuplicateLines(p, false); },
                        [](const std::string& s) { return ReferenceUniq(s, false); }, 72);
}

}  // namespace
}  // namespace zolt

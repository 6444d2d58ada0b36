#include "filters/newline.h"

#include <gtest/gtest.h>

#include "filter_harness.h"
#include "filter_references.h"

namespace zolt {
namespace {

using testing::CheckAgainstReference;
using namespace testing;
using testing::RunJob;

std::string Crconv(const std::string& in, int type, size_t chunk = SIZE_MAX) {
  return RunJob([type](StreamPair* p) { return ConvertNewlineType(p, type); }, in, {chunk}).out;
}
std::string Join(const std::string& in, size_t chunk = SIZE_MAX) {
  return RunJob([](StreamPair* p) { return JoinLines(p); }, in, {chunk}).out;
}

TEST(Crconv, ConvertsEveryNewlineFormToTheChosenOne) {
  EXPECT_EQ(Crconv("a\r\nb\r\n", 2), "a\nb\n");
  EXPECT_EQ(Crconv("a\nb", 1), "a\r\nb");
  EXPECT_EQ(Crconv("a\r\n", 4), "a\r");
  EXPECT_EQ(Crconv("a\r\r\n", 1), "a\r\n\r\n");
  EXPECT_EQ(Crconv("\n\r", 1), "\r\n\r\n");
  EXPECT_EQ(Crconv("x\r\ny\r\n", 1), "x\r\ny\r\n");
  EXPECT_EQ(Crconv("", 2), "");
}

TEST(Crconv, PlainCopyIsByteExact) {
  std::string data("a\0b\r\n\x82\xA0\x1A\r", 9);
  EXPECT_EQ(Crconv(data, 0), data);
  EXPECT_EQ(Crconv("", 0), "");
  std::string big(300000, 'z');
  big[123456] = '\0';
  EXPECT_EQ(Crconv(big, 0, 7777), big);
}

TEST(Join, DeletesCrLfPairsAndEveryCr) {
  EXPECT_EQ(Join("abc\r\ndef\r\n"), "abcdef");
  EXPECT_EQ(Join("a\nb"), "a\nb");
  EXPECT_EQ(Join("a\rb"), "ab");
  EXPECT_EQ(Join("a\rx\n"), "ax\n");
  EXPECT_EQ(Join("\r\r\n"), "");
  EXPECT_EQ(Join("end\r"), "end");
}

TEST(NewlineFilters, MatchTheByteAtATimeReferenceAtAnyBlockBoundary) {
  for (int type : {1, 2, 4}) {
    CheckAgainstReference([type](StreamPair* p) { return ConvertNewlineType(p, type); },
                          [type](const std::string& in) { return ReferenceCrconv(in, type); },
                          100 + type);
  }
  CheckAgainstReference([](StreamPair* p) { return JoinLines(p); }, ReferenceJoin, 7);
}

// Lines that mostly end in CR LF, as real text does, now and then with a
// lone CR or LF: the filters skip whole chunks of well-formed pairs.
std::string MostlyCrLfLines(std::mt19937* rng, size_t max_length) {
  size_t length = (*rng)() % (max_length + 1);
  std::string text;
  while (text.size() < length) {
    text.append((*rng)() % 70, 'a');
    unsigned r = (*rng)() % 40;
    text += r == 0 ? "\r" : r == 1 ? "\n" : r == 2 ? "\n\r" : "\r\n";
  }
  return text;
}

TEST(NewlineFilters, MatchTheReferenceOnMostlyCrLfText) {
  for (int type : {1, 2, 4}) {
    CheckAgainstReference([type](StreamPair* p) { return ConvertNewlineType(p, type); },
                          [type](const std::string& in) { return ReferenceCrconv(in, type); },
                          200 + type, MostlyCrLfLines);
  }
  CheckAgainstReference([](StreamPair* p) { return JoinLines(p); }, ReferenceJoin, 207,
                        MostlyCrLfLines);
}

}  // namespace
}  // namespace zolt

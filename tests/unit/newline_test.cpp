#include "filters/newline.h"

#include <gtest/gtest.h>

#include <random>

#include "unit/filter_runner.h"

namespace zolt {
namespace {

std::string Crconv(const std::string& in, int type, size_t chunk = SIZE_MAX) {
  return RunFilterOn(
      in, [type](StreamPair* p) { return zolt::Crconv(p, type); }, chunk);
}
std::string Join(const std::string& in, size_t chunk = SIZE_MAX) {
  return RunFilterOn(
      in, [](StreamPair* p) { return zolt::Join(p); }, chunk);
}

// Byte-at-a-time references, written from the description of each filter.
std::string ReferenceCrconv(const std::string& in, int type) {
  const std::string nl = type == 1 ? "\r\n" : type == 2 ? "\n" : "\r";
  std::string out;
  bool after_cr = false;
  for (char b : in) {
    if (b == '\r') {
      out += nl;
      after_cr = true;
    } else if (b == '\n') {
      if (!after_cr) out += nl;
      after_cr = false;
    } else {
      out += b;
      after_cr = false;
    }
  }
  return out;
}

std::string ReferenceJoin(const std::string& in) {
  std::string out;
  char previous = 0;
  for (char b : in) {
    if (b == '\n' && previous != '\r') out += b;
    if (b != '\r' && b != '\n') out += b;
    previous = b;
  }
  return out;
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
  std::mt19937 rng(12345);
  const char alphabet[] = {'\r', '\n', 'a', '\x82', '\0'};
  for (int round = 0; round < 300; ++round) {
    std::string in;
    size_t length = rng() % 200;
    for (size_t i = 0; i < length; ++i) in += alphabet[rng() % sizeof alphabet];
    size_t chunk = 1 + rng() % 9;
    for (int type : {1, 2, 4}) {
      ASSERT_EQ(Crconv(in, type, chunk), ReferenceCrconv(in, type)) << round;
    }
    ASSERT_EQ(Join(in, chunk), ReferenceJoin(in)) << round;
  }
}

}  // namespace
}  // namespace zolt

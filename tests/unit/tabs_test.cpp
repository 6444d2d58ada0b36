#include "filters/tabs.h"

#include <gtest/gtest.h>

#include "filter_harness.h"
#include "filter_references.h"

namespace zolt {
namespace {

using testing::CheckAgainstReference;
using namespace testing;
using testing::RunJob;

std::string T(int n, const std::string& in) {
  return RunJob([n](StreamPair* p) { return ExpandTabs(p, n); }, in).out;
}

TEST(Tab2space, MovesToTheNextStop) {
  EXPECT_EQ(T(4, "a\tb"), "a   b");
  EXPECT_EQ(T(4, "abcd\te"), "abcd    e");
  EXPECT_EQ(T(4, "\t\t"), "        ");
  EXPECT_EQ(T(1, "a\t\tb"), "a  b");
  EXPECT_EQ(T(8, "\x93\xFA\x96\x7B\tx"), "\x93\xFA\x96\x7B    x");  // 日本 counts four
  EXPECT_EQ(T(3, "no tabs\r\n"), "no tabs\r\n");
}

TEST(Tab2space, EveryNewlineStartsAColumnAgain) {
  EXPECT_EQ(T(4, "abc\tx\r\n\ty"), "abc x\r\n    y");
  EXPECT_EQ(T(4, "ab\n\ty"), "ab\n    y");
  EXPECT_EQ(T(4, "ab\r\ty"), "ab\r    y");
}

TEST(Tab2space, MatchesByteAtATimeReference) {
  for (int n = 1; n <= 8; ++n) {
    CheckAgainstReference([n](StreamPair* p) { return ExpandTabs(p, n); },
                          [n](const std::string& s) { return ReferenceTabs(s, n); }, 50 + n);
  }
}

TEST(DeleteTabs, DropsTabsOnly) {
  EXPECT_EQ(RunJob(DeleteTabs, "\ta\tb\t\r\n").out, "ab\r\n");
  CheckAgainstReference(
      DeleteTabs,
      [](const std::string& s) {
        std::string out;
        for (char c : s)
          if (c != '\t') out += c;
        return out;
      },
      60);
}

}  // namespace
}  // namespace zolt

#include "support/wildcard_match.h"

#include <gtest/gtest.h>

namespace zolt {
namespace {

// A double-byte character is one character to '*' and '?': the 'A' of ア
// (0x83 0x41) is no letter. (Plain patterns, hidden names and letter case
// are rows of the merge table.)
TEST(WildcardMatch, ShiftJisCharactersAreWholeAndStarsBacktrack) {
  const struct {
    const char *pattern, *name;
    bool match;
  } cases[] = {
      {"*A.txt", "\x83\x41.txt", false},
      {"*A.txt", "\x83\x41\x41.txt", true},
      {"??1.txt", "\x95\x5C\x31.txt", false},
      {"a?", "a\x95", true},  // a lone lead byte at the end
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "abcd", false},
      {"*x", "xxx", true},
  };
  for (const auto& c : cases) EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern;
}

}  // namespace
}  // namespace zolt

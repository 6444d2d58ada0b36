// A byte-string comparison whose failure shows where the strings part.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace zolt::testing {

// Succeeds when `got` and `want` hold the same bytes; else says where they
// first differ and shows a few escaped bytes of each from there.
inline ::testing::AssertionResult SameBytes(const std::string& got, const std::string& want) {
  if (got == want) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
  auto shown = [at](const std::string& s) {
    return ::testing::PrintToString(s.substr(std::min(at, s.size()), 24));
  };
  return ::testing::AssertionFailure()
         << got.size() << " bytes, " << want.size() << " wanted; from byte " << at << " got "
         << shown(got) << ", want " << shown(want);
}

}  // namespace zolt::testing

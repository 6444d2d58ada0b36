#include <gtest/gtest.h>

#include "e2e/harness.h"

namespace e2e {
namespace {

TEST(Front, NoArgumentsAtATerminalPrintsUsage) {
  RunResult r = RunZolt({});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.substr(0, Banner().size()), Banner());
  EXPECT_NE(r.err.find("[Usage] ZOLT -[Cx|J|K|Tn|U[+]|L|P|D] [FILE] [NEW_FILE]\n"),
            std::string::npos);
}

}  // namespace
}  // namespace e2e

// The POSIX platform where only a real process shows it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/platform.h"

namespace zolt {
namespace {

// A closed standard descriptor that cannot be reopened (no descriptor left
// under the limit) is reported, not left for a data file to take.
TEST(PosixPlatform, AStandardDescriptorLeftClosedIsReported) {
  // None is closed here. (The calls also let the sanitizers, which need a
  // free descriptor for it, check the platform's type before the child.)
  EXPECT_TRUE(NativePlatform().OpenClosedStandardStreams());
  NativePlatform().LastError();
  pid_t child = fork();
  if (child == 0) {
    struct rlimit one = {1, 1};
    close(kStdout);
    setrlimit(RLIMIT_NOFILE, &one);
    _exit(NativePlatform().OpenClosedStandardStreams() ? 0 : 3);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 3);
}

}  // namespace
}  // namespace zolt

// The POSIX platform where only a real process shows it.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

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

// Messages are in UTF-8 when the first locale variable set names a UTF-8
// codeset, and in CP932 when none is set.
TEST(PosixPlatform, MessagesFollowTheFirstLocaleVariableSet) {
  const struct {
    const char *all, *ctype, *lang;
    bool utf8;
  } cases[] = {
      {nullptr, nullptr, nullptr, false},        {nullptr, nullptr, "ja_JP.UTF-8", true},
      {nullptr, "C", "ja_JP.UTF-8", false},      {"", "ja_JP.utf8", nullptr, true},
      {"ja_JP.SJIS", nullptr, "C.UTF-8", false}, {"C.UTF-8", "C", nullptr, true},
  };
  const char* const names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
  std::string saved[3];
  bool had[3];
  for (int i = 0; i < 3; ++i) {
    const char* value = getenv(names[i]);
    had[i] = value != nullptr;
    saved[i] = value ? value : "";
  }
  for (const auto& c : cases) {
    const char* values[] = {c.all, c.ctype, c.lang};
    for (int i = 0; i < 3; ++i) values[i] ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
    EXPECT_EQ(NativePlatform().MessagesInUtf8(), c.utf8)
        << (c.all ? c.all : "-") << " " << (c.ctype ? c.ctype : "-") << " "
        << (c.lang ? c.lang : "-");
  }
  for (int i = 0; i < 3; ++i) had[i] ? setenv(names[i], saved[i].c_str(), 1) : unsetenv(names[i]);
}

// The free space under a path and under an open descriptor is known, and the
// same for a file and its directory.
TEST(PosixPlatform, FreeSpaceIsKnownByPathAndByDescriptor) {
  char name[] = "/tmp/zolt-free-XXXXXX";
  int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  uint64_t by_path = NativePlatform().FreeBytes("/tmp/zolt-free-none/x");
  uint64_t by_fd = NativePlatform().FreeBytesOf(fd);
  close(fd);
  unlink(name);
  EXPECT_NE(by_path, kFreeSpaceUnknown);
  EXPECT_NE(by_fd, kFreeSpaceUnknown);
  EXPECT_GT(by_fd, 0u);
  // Files may come and go on /tmp meanwhile: within 1%.
  EXPECT_LT(by_path > by_fd ? by_path - by_fd : by_fd - by_path, by_fd / 100 + 1);
}

}  // namespace
}  // namespace zolt

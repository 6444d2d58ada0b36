// Runs the zolt binary as a user would, with a chosen standard input and
// output, and captures what it printed.
//
// The binary is the one built with the tests unless ZOLT_BIN names another;
// ZOLT_RUNNER (for example a Wine loader) is put in front of it when set.
// With ZOLT_TARGET=win32 the binary is the Windows build run under Wine:
// arguments naming files under a TempDir are given in their Windows form
// (Z:\tmp\...) and in UTF-8, from which Wine makes the Shift-JIS bytes the
// program sees; in RunResult::err those paths are host paths again and the
// CR LF line ends of standard error (text mode) are LF (err_raw keeps them).
// Tests whose expectations still differ ask TargetIsWin32().
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "same_bytes.h"

namespace e2e {

enum class Input {
  kTerminal,  // a pseudo-terminal with nothing typed
  kDevNull,   // /dev/null
  kFile,      // the file named in RunOptions::stdin_path
  kPipe,      // a pipe fed with RunOptions::stdin_data
};

enum class Output {
  kPipe,     // captured into RunResult::out
  kDevNull,  // /dev/null (a character device)
  kFile,     // the file named in RunOptions::stdout_path (truncated)
  kAppend,   // the file named in RunOptions::stdout_path (appended to)
};

// A relative stdin_path or stdout_path is taken in `cwd`.
struct RunOptions {
  Input input = Input::kTerminal;
  Output output = Output::kPipe;
  std::string stdin_path = {};
  std::string stdin_data = {};
  std::string stdout_path = {};
  std::string cwd = {};               // empty: the test's work directory
  std::vector<std::string> env = {};  // extra NAME=VALUE entries
  std::vector<int> closed = {};       // standard descriptors closed before the start
  // With Output::kPipe: called with the pipe's reading end while zolt runs,
  // in place of capturing RunResult::out; the end is closed on its return.
  std::function<void(int fd)> during = {};
  int64_t stdin_offset = 0;  // kFile: where standard input starts reading
};

struct RunResult {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;
  std::string err;      // as the native build would print it (see above)
  std::string err_raw;  // the bytes as written
};

// True when the binary under test is the Windows build (ZOLT_TARGET=win32).
bool TargetIsWin32();
// The host's name for a file the program names in Shift-JIS: the same
// bytes natively, their UTF-8 form under Wine.
std::string HostName(const std::string& sjis_path);

// Runs zolt with `args` (not including the program name), under LC_ALL=C.
RunResult RunZolt(const std::vector<std::string>& args, const RunOptions& options = {});

// Files as (name, bytes) pairs.
using Files = std::vector<std::pair<std::string, std::string>>;

// A fresh directory for one test holding `files` (see Make), removed with its
// contents at the end.
class TempDir {
 public:
  explicit TempDir(const Files& files = {});
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // Path of `name` inside the directory.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Makes `name` in the directory under its HostName: a name ending in / is a
  // directory, one starting with @ a symbolic link to `bytes`, with | a FIFO,
  // with = a hard link to the file `bytes` names; else a file of `bytes`.
  void Make(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

// Where a table row runs. kPosix rows need what Wine does not give the
// Windows build: a redirected stream's identity (standard handles inherited
// from the host have none), symbolic links or FIFOs.
enum class On { kBoth, kPosix, kWin32 };
// True when a row marked `on` runs against the binary under test.
bool RunsHere(On on);

// Whole files; ReadFile gives "<missing>" for a file that is absent, or
// `size` bytes (fewer at its end) from offset `at`.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path, int64_t at = 0, size_t size = SIZE_MAX);
// Reads `size` bytes from `fd`, fewer at the end of its data.
std::string ReadSome(int fd, size_t size = SIZE_MAX);
// Bytes free to an unprivileged user on the file system holding `path`.
uint64_t FreeBytes(const std::string& path);
// Names in a directory, sorted.
std::vector<std::string> ListDir(const std::string& path);
using zolt::testing::SameBytes;
// The banner every run prints first.
std::string Banner();
// Converts `in` between two iconv encodings; false when it cannot.
bool Convert(const char* to, const char* from, const std::string& in, std::string* out);
// The CP932 bytes of a UTF-8 string.
std::string Sjis(const std::string& utf8);
// A message line as zolt prints it under LC_ALL=C: `utf8` in CP932, then
// `variable` as it is.
std::string Msg(const std::string& utf8, const std::string& variable = "");

}  // namespace e2e

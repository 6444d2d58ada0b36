// How the binary meets the system: standard streams in every combination,
// untranslated data, file identity and Shift-JIS names. These hold for the
// native build and the Windows build alike; where the two differ the
// expectation says so.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "e2e/harness.h"

namespace e2e {
namespace {

const std::string kMixedNewlines = "one\r\ntwo\nthree\rfour\x1A\r\n";

std::string BindingFailure() {
  return Banner() + Sjis("入出力ファイルの指定をして下さい!") + "\n" + Sjis("\t-? で Usage 表示") +
         "\n";
}

TEST(PlatformStreams, DataPassesUntranslatedThroughEveryBinding) {
  TempDir dir;
  WriteFile(dir / "in.txt", kMixedNewlines);

  // Redirected standard input (a file, then a pipe) to standard output.
  RunOptions from_file;
  from_file.input = Input::kFile;
  from_file.stdin_path = dir / "in.txt";
  RunResult r = RunZolt({}, from_file);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kMixedNewlines);
  EXPECT_EQ(r.err, Banner());

  RunOptions from_pipe;
  from_pipe.input = Input::kPipe;
  from_pipe.stdin_data = kMixedNewlines;
  r = RunZolt({"-Cd"}, from_pipe);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "one\r\ntwo\r\nthree\r\nfour\x1A\r\n");

  // A named input at a terminal, to standard output in a file.
  RunOptions to_file;
  to_file.output = Output::kFile;
  to_file.stdout_path = dir / "stdout.txt";
  r = RunZolt({"-Cu", dir / "in.txt"}, to_file);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(dir / "stdout.txt"), "one\ntwo\nthree\nfour\x1A\n");

  // Redirected standard input to one named output (a relative name: an
  // absolute POSIX path in first place would read as a switch).
  from_file.cwd = dir.path();
  r = RunZolt({"out.txt"}, from_file);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadFile(dir / "out.txt"), kMixedNewlines);
}

TEST(PlatformStreams, TheNullDeviceAsInputCountsAsATerminal) {
  RunOptions null_input;
  null_input.input = Input::kDevNull;
  RunResult r = RunZolt({"-Cu"}, null_input);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, BindingFailure());
}

TEST(PlatformStreams, StandardErrorEndsLinesTheSystemsWay) {
  RunResult r = RunZolt({"-Cu"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, BindingFailure());
  // Standard error stays in text mode: on Windows every line ends CR LF.
  size_t lf = std::count(r.err_raw.begin(), r.err_raw.end(), '\n');
  size_t crlf = 0;
  for (size_t at = 0; (at = r.err_raw.find("\r\n", at)) != std::string::npos; ++at) ++crlf;
  EXPECT_EQ(lf, 3u);
  EXPECT_EQ(crlf, TargetIsWin32() ? 3u : 0u);
}

TEST(PlatformFiles, AnotherSpellingOfTheInputIsRefusedAsOutput) {
  TempDir dir;
  WriteFile(dir / "in.txt", "keep\r\n");
  RunOptions in_dir;
  in_dir.cwd = dir.path();
  // The names differ, the file is the same: only its identity tells.
  RunResult r = RunZolt({"-Cu", "in.txt", dir / "in.txt"}, in_dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Sjis("入力ファイルと出力ファイルが同名ファイルです!") + "\n");
  EXPECT_EQ(ReadFile(dir / "in.txt"), "keep\r\n");

  // A missing input leaves an existing output untouched.
  WriteFile(dir / "out.txt", "old");
  r = RunZolt({"-Cu", "missing.txt", "out.txt"}, in_dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir / "out.txt"), "old");
}

TEST(PlatformFiles, ShiftJisNamesEndingInTheSeparatorByte) {
  TempDir dir;
  // 表 and ソ both end in 0x5C, the byte of the Windows separator.
  const std::string kanji_dir = dir / Sjis("表ソ");
  ASSERT_EQ(mkdir(HostName(kanji_dir).c_str(), 0777), 0);
  WriteFile(HostName(kanji_dir + "/" + Sjis("入力.txt")), "a\r\nb\r\n");

  RunResult r =
      RunZolt({"-Cu", kanji_dir + "/" + Sjis("入力.txt"), kanji_dir + "/" + Sjis("表.txt")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner());
  EXPECT_EQ(ReadFile(HostName(kanji_dir + "/" + Sjis("表.txt"))), "a\nb\n");

  // Relative names inside the directory, too.
  RunOptions inside;
  inside.cwd = HostName(kanji_dir);
  r = RunZolt({"-Cm", Sjis("表.txt"), Sjis("ソ")}, inside);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(HostName(kanji_dir + "/" + Sjis("ソ"))), "a\rb\r");
}

}  // namespace
}  // namespace e2e

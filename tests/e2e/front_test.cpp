// The command line, stream binding and the newline jobs, end to end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {
namespace {

// The usage text by its first and last lines; it has 23.
const std::string kUsage = "[Usage] ZOLT -[Cx|Ex[+]|J|K|Tn|U[+]|L|P|D] [FILE] [NEW_FILE]\n";
const std::string kUsageEnd = "\tex. SORT < OLD.TXT | ZOLT -U > NEW.TXT\n";
const std::string kHint = Sjis("\t-? で Usage 表示\n");
const std::string kSpecify = Sjis("入出力ファイルの指定をして下さい!\n");
const std::string kSameFile = Sjis("入力ファイルと出力ファイルが同名ファイルです!\n");

const std::string kData("one\r\ntwo\nthree\rfour\x1A\r\n\0\x95\x5C", 25);
const std::string kUnix("one\ntwo\nthree\nfour\x1A\n\0\x95\x5C", 23);
const std::string kDos("one\r\ntwo\r\nthree\r\nfour\x1A\r\n\0\x95\x5C", 27);

// One run in a fresh directory holding in.txt (kData), out.txt ("OLD"),
// hard.txt (a hard link to in.txt), soft.txt (a symbolic link to it) and
// ア.txt ("ab\n") and the directories DIR and 表ソ (holding 入力.txt).
struct Case {
  std::vector<std::string> args;  // a leading % stands for the directory
  int status;
  std::string out;
  std::string err;  // after the banner; kUsage for the usage text
  Files after = {};
  Input input = Input::kTerminal;
  std::string in = "";  // kFile: a name in the directory; kPipe: the data
  Output output = Output::kPipe;
  std::string to = "";   // kFile, kAppend: a name in the directory, or an absolute path
  std::string cwd = "";  // a directory in the directory
  On on = On::kBoth;
  bool utf8 = false;  // run under a UTF-8 locale
};

TEST(Front, TableOfRuns) {
  std::string big_dos, big_unix;
  for (int i = 0; i < 40000; ++i) {
    big_dos += "line " + std::to_string(i) + "\r\n";
    big_unix += "line " + std::to_string(i) + "\n";
  }
  const std::string specify = kSpecify + kHint, kanji = Sjis("表ソ");
  const bool win32 = TargetIsWin32();
  const std::string cannot_write = Sjis("<error> 出力ファイルに書き込めません!: ");
  // clang-format off
  const Files fixture = {{"in.txt", kData}, {"out.txt", "OLD"}, {"=hard.txt", "in.txt"}, {"@soft.txt", "in.txt"},
                         {"DIR/", ""}, {kanji + "/", ""}, {kanji + "/" + Sjis("入力.txt"), "a\r\nb\r\n"}, {Sjis("ア.txt"), "ab\n"}};
  std::vector<Case> cases = {
      {.args = {}, .status = 1, .out = "", .err = kUsage},
      {.args = {"-?"}, .status = 1, .out = "", .err = kUsage},
      {.args = {"/?"}, .status = 1, .out = "", .err = win32 ? kUsage : specify},
      {.args = {"-H"}, .status = 1, .out = "", .err = kUsage},
      // Equal names, ignoring case, are refused with a switch; without one binding refuses.
      {.args = {"-L", "in.txt", "IN.TXT"}, .status = 1, .out = "", .err = kSameFile, .after = {{"in.txt", kData}}},
      {.args = {"-M", "a.txt", "A.TXT"}, .status = 1, .out = "", .err = kSameFile},
      {.args = {"-S10", "data", "data"}, .status = 1, .out = "", .err = kSameFile},
      {.args = {"in.txt", "IN.TXT"}, .status = 1, .out = "", .err = specify},
      // The same file under another name is never truncated.
      {.args = {"-Cu", "in.txt", "hard.txt"}, .status = 1, .out = "", .err = kSameFile, .after = {{"in.txt", kData}}},
      {.args = {"-Cu", "in.txt", "soft.txt"}, .status = 1, .out = "", .err = kSameFile, .after = {{"in.txt", kData}}, .on = On::kPosix},
      {.args = {"-Cu", "in.txt"}, .status = 1, .out = "", .err = kSameFile, .after = {{"in.txt", kData}},
       .input = Input::kFile, .in = "in.txt", .on = On::kPosix},
      {.args = {"-Cu", "in.txt"}, .status = 1, .out = "", .err = kSameFile, .after = {{"in.txt", kData}},
       .output = Output::kAppend, .to = "in.txt", .on = On::kPosix},
      // One name is the output only when standard input is redirected; two names win over it.
      {.args = {"-Cu", "out.txt"}, .status = 0, .out = "", .err = "", .after = {{"out.txt", kUnix}}, .input = Input::kFile, .in = "in.txt"},
      {.args = {"-Cd", "in.txt"}, .status = 0, .out = kDos, .err = ""},
      {.args = {"-Cu", "in.txt", "b.txt", "ignored"}, .status = 0, .out = "", .err = "",
       .after = {{"b.txt", kUnix}, {"ignored", "<missing>"}}, .input = Input::kFile, .in = "out.txt"},
      {.args = {"out.txt"}, .status = 0, .out = "", .err = "", .after = {{"out.txt", kData}}, .input = Input::kFile, .in = "in.txt"},
      // Binding failures leave the output untouched.
      {.args = {"-Cu", "missing.txt", "out.txt"}, .status = 1, .out = "", .err = specify, .after = {{"out.txt", "OLD"}}},
      {.args = {"-Cu"}, .status = 1, .out = "", .err = specify},
      {.args = {"-Cu"}, .status = 1, .out = "", .err = specify, .input = Input::kDevNull},
      {.args = {"-Cu", "in.txt", "no/such/dir/out.txt"}, .status = 1, .out = "", .err = specify},
      // Plain copies and newline jobs from every kind of input, data untranslated.
      {.args = {}, .status = 0, .out = kData, .err = "", .input = Input::kPipe, .in = kData},
      {.args = {"-Cd"}, .status = 0, .out = "", .err = "", .input = Input::kPipe, .in = ""},
      // Only '-' starts a switch on POSIX: a name may start with '/'.
      {.args = {"%in.txt", "%abs.txt"}, .status = 0, .out = "", .err = "", .after = {{"abs.txt", kData}}},
      {.args = {"%in.txt"}, .status = 0, .out = kData, .err = ""},
      {.args = {"-Cu", "%in.txt"}, .status = 0, .out = "", .err = "", .after = {{"captured", kUnix}}, .output = Output::kFile, .to = "captured"},
      {.args = {"-Cdos"}, .status = 0, .out = "a\r\nb\r\nc\r\nd", .err = "", .input = Input::kPipe, .in = "a\r\nb\rc\nd"},
      {.args = {"-cu"}, .status = 0, .out = "a\nb\nc\nd", .err = "", .input = Input::kPipe, .in = "a\r\nb\rc\nd"},
      {.args = {"-Cm"}, .status = 0, .out = "a\rb\rc\rd", .err = "", .input = Input::kPipe, .in = "a\r\nb\rc\nd"},
      {.args = {"-J"}, .status = 0, .out = "abc\nd", .err = "", .input = Input::kPipe, .in = "a\r\nb\rc\nd"},
      {.args = {"-Cu"}, .status = 0, .out = big_unix, .err = "", .input = Input::kPipe, .in = big_dos},
      // Shift-JIS names ending in 0x5C, the byte of the Windows separator, absolute and relative.
      {.args = {"-Cu", "%" + kanji + "/" + Sjis("入力.txt"), "%" + kanji + "/" + Sjis("表.txt")}, .status = 0, .out = "", .err = "",
       .after = {{kanji + "/" + Sjis("表.txt"), "a\nb\n"}}},
      // ア and ヂ differ only in the case of their trail bytes: two names.
      {.args = {"-P", Sjis("ア.txt"), Sjis("ヂ.txt")}, .status = 0, .out = "", .err = "", .after = {{Sjis("ヂ.txt"), "AB\n"}}},
      {.args = {"-Cm", Sjis("入力.txt"), Sjis("ソ")}, .status = 0, .out = "", .err = "", .after = {{kanji + "/" + Sjis("ソ"), "a\rb\r"}}, .cwd = kanji},
      // A directory as input cannot be opened: the output is not touched.
      {.args = {"-L", "DIR", "out.txt"}, .status = 1, .out = "", .err = specify, .after = {{"out.txt", "OLD"}}},
      {.args = {"-U"}, .status = 1, .out = "", .err = Sjis("ファイルが読み込めません: ") + "stdin\n", .input = Input::kFile, .in = "DIR"},
      {.args = {"-L", "out.txt"}, .status = 1, .out = "", .err = Sjis("ファイルが読み込めません: ") + "stdin\n", .after = {{"out.txt", "OLD"}},
       .input = Input::kFile, .in = "DIR", .on = On::kPosix},
      // Standard input named as the input: read as a file, never taken over first.
      {.args = {"-P", "/dev/stdin", "b.txt"}, .status = 0, .out = "", .err = "", .after = {{"b.txt", "HI\n"}}, .input = Input::kPipe, .in = "hi\n", .on = On::kPosix},
      {.args = {"-L", "/dev/fd/0", "in.txt"}, .status = 1, .out = "", .err = kSameFile, .after = {{"in.txt", kData}}, .input = Input::kFile, .in = "in.txt", .on = On::kPosix},
      // A null device output works; write failures are reported.
      {.args = {"-Cd"}, .status = 0, .out = "", .err = "", .input = Input::kPipe, .in = big_dos, .output = Output::kDevNull},
      {.args = {"-Cu", "in.txt", "/dev/full"}, .status = 1, .out = "", .err = cannot_write + "/dev/full\n"},
      {.args = {"in.txt"}, .status = 1, .out = "", .err = cannot_write + "stdout\n", .output = Output::kFile, .to = "/dev/full"},
      // Messages follow a UTF-8 locale, except in the Windows build.
      {.args = {"-X"}, .status = 1, .out = "", .err = win32 ? Sjis("<error> スイッチが不正です!:-X\n") + kHint
                                                          : "<error> スイッチが不正です!:-X\n\t-? で Usage 表示\n", .utf8 = true},
  };
  // Invalid switches are named as typed.
  for (std::string sw : {"-X", "-C", "-Cz", "-T9", "-T10", "-T99999999999", "-T", "-", "-S", "-Sx", "-@", "-E", "-Ex", "--helpx"})
    cases.push_back({.args = {sw, "in", "out"}, .status = 1, .out = "", .err = Sjis("<error> スイッチが不正です!:") + sw + "\n" + kHint});
  // clang-format on
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("case " + std::to_string(index++));
    if (!RunsHere(c.on)) continue;
    TempDir dir(fixture);
    std::vector<std::string> args = c.args;
    for (std::string& arg : args)
      if (arg[0] == '%') arg = dir / arg.substr(1);
    RunOptions options{.input = c.input,
                       .output = c.output,
                       .stdin_path = c.in,
                       .stdin_data = c.in,
                       .stdout_path = c.to,
                       .cwd = HostName(dir / c.cwd)};
    if (c.utf8) options.env = {"LC_ALL=ja_JP.UTF-8"};
    RunResult r = RunZolt(args, options);
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(SameBytes(r.out, c.out));
    const std::string banner =
        c.utf8 && !win32 ? "Ｚolt Ｋit Ver2.15 [WIN32 版] (C) Zolt Kit developers\n" : Banner();
    if (c.err == kUsage) {
      EXPECT_EQ(r.err.substr(0, banner.size() + kUsage.size()), banner + kUsage);
      EXPECT_TRUE(r.err.ends_with(kUsageEnd)) << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 24);
    } else {
      EXPECT_EQ(r.err, banner + c.err);
    }
    // Standard error stays in text mode: on Windows every line ends CR LF.
    EXPECT_EQ(std::count(r.err_raw.begin(), r.err_raw.end(), '\r'),
              win32 ? std::count(r.err.begin(), r.err.end(), '\n') : 0);
    for (const auto& [name, bytes] : c.after) EXPECT_EQ(ReadFile(HostName(dir / name)), bytes);
  }
}

TEST(Front, ABrokenPipeEndsQuietly) {
  if (getenv("ZOLT_RUNNER"))
    GTEST_SKIP() << "the pipe status of a wrapped program is the wrapper's";
  // Read only the start of a long output, then close the pipe.
  TempDir dir({{"big.txt", std::string(8 << 20, 'y')}});
  auto read_start = [](int out) { EXPECT_EQ(ReadSome(out, 10), "yyyyyyyyyy"); };
  RunResult r =
      RunZolt({"big.txt"}, {.input = Input::kDevNull, .cwd = dir.path(), .during = read_start});
  EXPECT_EQ(r.status, 128 + SIGPIPE);  // killed by SIGPIPE, like other filters
}

}  // namespace
}  // namespace e2e

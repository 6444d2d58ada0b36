// The command line, stream binding and the newline jobs, end to end.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "e2e/harness.h"

namespace e2e {
namespace {

std::string Usage() {
  return Sjis(
      "[Usage] ZOLT -[Cx|J|K|Tn|U[+]|L|P|D] [FILE] [NEW_FILE]\n"
      "        ZOLT -M FILE FILE [...] [-o[+] NEW_FILE]\n"
      "        ZOLT -Sn1[.n2][L] [-#PATTERN] FILE [OUTDIR]\n"
      "\t-Cx:   改行コード変換(Crconv). x = d or u or m\n"
      "\t       Cd: MSDOS形式[0D0A], Cu: UNIX形式[0A], Cm: MAC形式[0D]\n"
      "\t-J:    MS-DOS 改行コード[0D0Ah]の削除(Join)\n"
      "\t-K:    半角カナを全角カナに変換(Kana)\n"
      "\t-M:    ファイルの結合(Merge)\n"
      "\t-Sn1[.n2][L]:  ファイルの分割(Split)\n"
      "\t       n1 = 分割サイズ( KB単位 ) or n1 = 分割行数( L 指定時 )\n"
      "\t       n2 = 分割番号を振る拡張子の桁数 2 <= n2 <= 5(WIN32 only)\n"
      "\t-#PATTERN  -#に続けて分割パターンを記述\n"
      "\t--#PATTERN 同上。ただし分割パターンマッチ行は出力しない\n"
      "\t-Tn:   TABコードを nバイト分のスペースに変換(Tab2space)\n"
      "\t     0 <= n <= 8. -T0 で TABコード削除\n"
      "\t-U:    連続した重複行を単一化(Uniq). -U+ で英大文字小文字同一視\n"
      "\t-L:    英大文字を小文字に変換(Lower)\n"
      "\t-P:    英小文字を大文字に変換(uPper)\n"
      "\t-D:    TABコードを除くコントロールコードを削除(Deletecontrolchar)\n"
      "\t入出力ファイルには標準入出力が使えます(-M, -Sn[L] 除く)\n"
      "\tex. SORT < OLD.TXT | ZOLT -U > NEW.TXT\n");
}

const std::string kHint = Sjis("\t-? で Usage 表示\n");
const std::string kSpecify = Sjis("入出力ファイルの指定をして下さい!\n");
const std::string kSameFile = Sjis("入力ファイルと出力ファイルが同名ファイルです!\n");
std::string Invalid(const std::string& arg) {
  return Sjis("<error> スイッチが不正です!:") + arg + "\n" + kHint;
}

TEST(Usage, NoArgumentsAtATerminalAndTheHelpSwitches) {
  RunResult r = RunZolt({});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, Banner() + Usage());
  for (std::string help : {"-?", "/?", "-h", "-H"}) {
    r = RunZolt({help});
    EXPECT_EQ(r.status, 1) << help;
    EXPECT_EQ(r.err, Banner() + Usage()) << help;
  }
}

TEST(Usage, InvalidSwitchesAreNamedAsTyped) {
  for (std::string arg : {"-X", "-C", "-Cz", "-T9", "-T10", "-T", "-", "/tmp/a.txt", "-S"}) {
    RunResult r = RunZolt({arg, "in", "out"});
    EXPECT_EQ(r.status, 1) << arg;
    EXPECT_EQ(r.err, Banner() + Invalid(arg)) << arg;
    EXPECT_EQ(r.out, "");
  }
}

TEST(Usage, MessagesFollowAUtf8Locale) {
  RunOptions utf8;
  utf8.env = {"LC_ALL=ja_JP.UTF-8"};
  RunResult r = RunZolt({"-X"}, utf8);
  const std::string text =
      "Ｚolt Ｋit Ver2.15 [WIN32 版] (C) Zolt Kit developers\n"
      "<error> スイッチが不正です!:-X\n\t-? で Usage 表示\n";
  // The Windows build writes the system's code page whatever the locale.
  EXPECT_EQ(r.err, TargetIsWin32() ? Sjis(text) : text);
}

TEST(SameName, ThreeArgumentsWithEqualNamesAreRefused) {
  TempDir dir;
  WriteFile(dir / "x.txt", "data");
  RunOptions at_dir;
  at_dir.cwd = dir.path();
  for (std::vector<std::string> args : {std::vector<std::string>{"-L", "x.txt", "X.TXT"},
                                        {"-M", "a.txt", "A.TXT"},
                                        {"-S10", "data", "data"}}) {
    RunResult r = RunZolt(args, at_dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, Banner() + kSameFile);
  }
  EXPECT_EQ(ReadFile(dir / "x.txt"), "data");
  // Without a switch the check does not apply; binding refuses instead.
  RunResult r = RunZolt({"x.txt", "X.TXT"}, at_dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + kSpecify + kHint);
}

TEST(SameName, TheSameFileUnderAnotherNameIsNeverTruncated) {
  TempDir dir;
  const std::string text = "one\r\ntwo\r\n";
  WriteFile(dir / "a.txt", text);
  ASSERT_EQ(link((dir / "a.txt").c_str(), (dir / "hard.txt").c_str()), 0);
  ASSERT_EQ(symlink("a.txt", (dir / "soft.txt").c_str()), 0);
  RunOptions at_dir;
  at_dir.cwd = dir.path();
  for (std::string other : {"./a.txt", "hard.txt", "soft.txt"}) {
    RunResult r = RunZolt({"-Cu", "a.txt", other}, at_dir);
    EXPECT_EQ(r.status, 1) << other;
    EXPECT_EQ(r.err, Banner() + kSameFile) << other;
    EXPECT_EQ(ReadFile(dir / "a.txt"), text);
  }
  if (TargetIsWin32())
    GTEST_SKIP() << "Wine gives standard handles inherited from the host no volume serial "
                    "number, so the identity of a redirected standard stream cannot be told";
  // Redirected input named as the output.
  RunOptions redirected = at_dir;
  redirected.input = Input::kFile;
  redirected.stdin_path = dir / "a.txt";
  RunResult r = RunZolt({"-Cu", "a.txt"}, redirected);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + kSameFile);
  EXPECT_EQ(ReadFile(dir / "a.txt"), text);
  // Standard output appended to the input file.
  RunOptions appended = at_dir;
  appended.output = Output::kAppend;
  appended.stdout_path = dir / "a.txt";
  r = RunZolt({"-Cu", "a.txt"}, appended);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + kSameFile);
  EXPECT_EQ(ReadFile(dir / "a.txt"), text);
}

TEST(Binding, OneNameIsTheOutputOnlyWhenStandardInputIsRedirected) {
  TempDir dir;
  WriteFile(dir / "in.txt", "ABC\r\n");
  WriteFile(dir / "out.txt", "OLD");
  RunOptions redirected;
  redirected.cwd = dir.path();
  redirected.input = Input::kFile;
  redirected.stdin_path = dir / "in.txt";
  RunResult r = RunZolt({"-Cu", "out.txt"}, redirected);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner());
  EXPECT_EQ(ReadFile(dir / "out.txt"), "ABC\n");
  // At a terminal the one name is the input and the output is stdout.
  RunOptions terminal;
  terminal.cwd = dir.path();
  r = RunZolt({"-Cd", "out.txt"}, terminal);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "ABC\r\n");
}

TEST(Binding, TwoNamesWinOverARedirectedInput) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a\r\n");
  WriteFile(dir / "stdin.txt", "never read");
  RunOptions redirected;
  redirected.cwd = dir.path();
  redirected.input = Input::kFile;
  redirected.stdin_path = dir / "stdin.txt";
  RunResult r = RunZolt({"-Cu", "a.txt", "b.txt", "ignored"}, redirected);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(dir / "b.txt"), "a\n");
  EXPECT_FALSE(FileExists(dir / "ignored"));
}

TEST(Binding, FailuresLeaveTheOutputUntouched) {
  TempDir dir;
  WriteFile(dir / "out.txt", "keep");
  RunOptions at_dir;
  at_dir.cwd = dir.path();
  RunResult r = RunZolt({"-Cu", "missing.txt", "out.txt"}, at_dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + kSpecify + kHint);
  EXPECT_EQ(ReadFile(dir / "out.txt"), "keep");
  r = RunZolt({"-L", "missing.txt", "new.txt"}, at_dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(FileExists(dir / "new.txt"));
  // No names at a terminal, and /dev/null as standard input, bind nothing.
  r = RunZolt({"-Cu"}, at_dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + kSpecify + kHint);
  RunOptions null_in = at_dir;
  null_in.input = Input::kDevNull;
  r = RunZolt({"-Cu"}, null_in);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + kSpecify + kHint);
  // An output that cannot be created.
  WriteFile(dir / "in.txt", "x");
  r = RunZolt({"-Cu", "in.txt", "no/such/dir/out.txt"}, at_dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + kSpecify + kHint);
}

TEST(PlainCopy, CopiesFromEveryKindOfInput) {
  TempDir dir;
  std::string data("a\0b\r\n\x95\x5C\r\x1A", 10);
  WriteFile(dir / "a.bin", data);
  RunOptions pipe;
  pipe.input = Input::kPipe;
  pipe.stdin_data = data;
  RunResult r = RunZolt({}, pipe);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, data);
  EXPECT_EQ(r.err, Banner());
  RunOptions file;
  file.cwd = dir.path();
  file.input = Input::kFile;
  file.stdin_path = dir / "a.bin";
  r = RunZolt({}, file);
  EXPECT_EQ(r.out, data);
  r = RunZolt({"a.bin", "b.bin"}, file);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(dir / "b.bin"), data);
  r = RunZolt({"a.bin"}, RunOptions{Input::kTerminal, Output::kPipe, "", "", "", dir.path(), {}});
  EXPECT_EQ(r.out, data);
  // Empty input, empty output.
  pipe.stdin_data = "";
  r = RunZolt({"-Cd"}, pipe);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
}

TEST(NewlineJobs, ConvertAndJoinThroughAPipe) {
  RunOptions pipe;
  pipe.input = Input::kPipe;
  pipe.stdin_data = "a\r\nb\rc\nd";
  EXPECT_EQ(RunZolt({"-Cd"}, pipe).out, "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(RunZolt({"-cu"}, pipe).out, "a\nb\nc\nd");
  EXPECT_EQ(RunZolt({"/Cm"}, pipe).out, "a\rb\rc\rd");
  EXPECT_EQ(RunZolt({"-J"}, pipe).out, "abc\nd");
  // A large input crosses many blocks.
  std::string big;
  for (int i = 0; i < 40000; ++i) big += "line " + std::to_string(i) + "\r\n";
  pipe.stdin_data = big;
  std::string expected;
  for (int i = 0; i < 40000; ++i) expected += "line " + std::to_string(i) + "\n";
  EXPECT_EQ(RunZolt({"-Cu"}, pipe).out, expected);
}

TEST(Output, ATerminalOrNullDeviceOutputWorks) {
  RunOptions null_out;
  null_out.input = Input::kPipe;
  null_out.stdin_data = std::string(1 << 20, 'x');
  null_out.output = Output::kDevNull;
  RunResult r = RunZolt({"-Cd"}, null_out);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner());
}

TEST(Output, WriteFailuresAreReported) {
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  TempDir dir;
  WriteFile(dir / "in.txt", "some text\r\n");
  RunOptions at_dir;
  at_dir.cwd = dir.path();
  RunResult r = RunZolt({"-Cu", "in.txt", "/dev/full"}, at_dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Sjis("<error> 出力ファイルに書き込めません!: ") + "/dev/full\n");
  RunOptions full = at_dir;
  full.output = Output::kFile;
  full.stdout_path = "/dev/full";
  r = RunZolt({"in.txt"}, full);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Sjis("<error> 出力ファイルに書き込めません!: ") + "stdout\n");
}

TEST(Output, ABrokenPipeEndsQuietly) {
  // Read only the start of a long output, then close the pipe.
  TempDir dir;
  std::string big(8 << 20, 'y');
  WriteFile(dir / "big.txt", big);
  std::string cmd = "cd '" + dir.path() + "' && '" + ZoltPath() + "' big.txt 2>'" + (dir / "err") +
                    "' | head -c 10 >/dev/null; echo ${PIPESTATUS[0]} >'" + (dir / "rc") + "'";
  if (getenv("ZOLT_RUNNER"))
    GTEST_SKIP() << "the pipe status of a wrapped program is the wrapper's";
  WriteFile(dir / "run.sh", cmd + "\n");
  ASSERT_EQ(system(("bash '" + (dir / "run.sh") + "'").c_str()), 0);
  EXPECT_EQ(ReadFile(dir / "rc"), "141\n");  // killed by SIGPIPE, like other filters
}

}  // namespace
}  // namespace e2e

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {
namespace {

const std::string kCannotOpen = "ファイルがオープンできません: ";

// Message line as the program prints it under LC_ALL=C.
std::string Msg(const std::string& utf8_text, const std::string& variable = "") {
  return Sjis(utf8_text) + variable + "\n";
}

std::string Total(const std::string& grouped) {
  return "Total Marge Size = " + grouped + " byte\n";
}

std::string MergingTo(const std::string& name) {
  return "Merging to '" + name + "'\nallocated buf size =131072 . ok\n";
}

// Runs zolt inside `dir` (names in `args` are relative to it).
RunResult RunIn(const TempDir& dir, const std::vector<std::string>& args, RunOptions options = {}) {
  options.cwd = dir.path();
  if (options.input == Input::kTerminal) options.input = Input::kDevNull;
  return RunZolt(args, options);
}

void SetWriteTime(const std::string& path, time_t seconds, long nanoseconds) {
  struct timespec ts[2] = {{0, UTIME_OMIT}, {seconds, nanoseconds}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), ts, 0), 0) << path;
}

struct timespec WriteTime(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mtim;
}

// ---------------------------------------------------------------------------
// The basic run and its progress lines.

TEST(Merge, TwoFilesIntoANewFile) {
  TempDir d;
  WriteFile(d / "A.TXT", "first\r\n\x81");
  WriteFile(d / "B.TXT", std::string("\x40second\0\x1A", 9));
  RunResult r = RunIn(d, {"-M", "A.TXT", "B.TXT", "-o", "NEW.TXT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, Banner() + Total("17") + MergingTo("NEW.TXT") +
                       "A.TXT 8bytes ok\n"
                       "B.TXT 9bytes ok\n");
  EXPECT_EQ(ReadFile(d / "NEW.TXT"), std::string("first\r\n\x81\x40second\0\x1A", 17));
}

TEST(Merge, TotalIsGroupedAndCopyCrossesBufferBlocks) {
  TempDir d;
  std::string big;
  for (int i = 0; i < 1234567; ++i) big.push_back(static_cast<char>('a' + i % 26));
  WriteFile(d / "big", big);
  WriteFile(d / "small", "xyz");
  RunResult r = RunIn(d, {"-M", "big", "small", "-onew"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner() + Total("1,234,570") + MergingTo("new") +
                       "big 1234567bytes ok\nsmall 3bytes ok\n");
  EXPECT_TRUE(ReadFile(d / "new") == big + "xyz");
}

TEST(Merge, NoArgumentAfterTheSwitchFailsSilently) {
  TempDir d;
  RunResult r = RunIn(d, {"-M"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner());
}

TEST(Merge, TwoNamesEqualIgnoringCaseAreRefusedByTheFrontEnd) {
  TempDir d;
  WriteFile(d / "a.txt", "a");
  RunResult r = RunIn(d, {"-M", "a.txt", "A.TXT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Msg("入力ファイルと出力ファイルが同名ファイルです!"));
  EXPECT_EQ(ReadFile(d / "a.txt"), "a");
}

// ---------------------------------------------------------------------------
// Parameter checks.

TEST(Merge, SinglePlainInputIsRefusedAfterTheTotalLine) {
  TempDir d;
  WriteFile(d / "A.TXT", "abcd");
  WriteFile(d / "OUT", "keep");
  RunResult r = RunIn(d, {"-M", "A.TXT", "-o", "OUT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Total("4") + Msg("パラメーターが足りません"));
  EXPECT_EQ(ReadFile(d / "OUT"), "keep");
}

TEST(Merge, OnlyTheOutputOptionGivesTotalZeroAndIsRefused) {
  TempDir d;
  RunResult r = RunIn(d, {"-M", "-o", "OUT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Total("0") + Msg("パラメーターが足りません"));
  EXPECT_FALSE(FileExists(d / "OUT"));
}

TEST(Merge, WildcardMatchingOneFileIsEnough) {
  TempDir d;
  WriteFile(d / "only.log", "one");
  RunResult r = RunIn(d, {"-M", "*.log", "-o", "OUT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner() + Total("3") + MergingTo("OUT") + "only.log 3bytes ok\n");
  EXPECT_EQ(ReadFile(d / "OUT"), "one");
}

TEST(Merge, OutputOptionLastWithoutNameIsFatal) {
  TempDir d;
  WriteFile(d / "a", "a");
  WriteFile(d / "b", "b");
  RunResult r = RunIn(d, {"-M", "a", "b", "-o"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Msg("出力ファイルを指定して下さい"));
}

TEST(Merge, OutputOptionTakesTheNextArgumentWhateverItIs) {
  TempDir d;
  WriteFile(d / "a", "a");
  WriteFile(d / "b", "b");
  RunResult r = RunIn(d, {"-M", "a", "b", "-o", "-dash"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(d / "-dash"), "ab");
}

// ---------------------------------------------------------------------------
// Output forms: truncate, append, standard output.

TEST(Merge, AppendFormsKeepTheExistingContent) {
  for (std::vector<std::string> option :
       {std::vector<std::string>{"-o+OUT"}, {"/O+OUT"}, {"-o+", "OUT"}, {"-O+", "OUT"}}) {
    TempDir d;
    WriteFile(d / "a", "A");
    WriteFile(d / "b", "B");
    WriteFile(d / "OUT", "old\n");
    std::vector<std::string> args = {"-M", "a", "b"};
    args.insert(args.end(), option.begin(), option.end());
    RunResult r = RunIn(d, args);
    EXPECT_EQ(r.status, 0) << option[0];
    EXPECT_EQ(ReadFile(d / "OUT"), "old\nAB") << option[0];
  }
}

TEST(Merge, PlainOutputOptionReplacesTheExistingContent) {
  TempDir d;
  WriteFile(d / "a", "A");
  WriteFile(d / "b", "B");
  WriteFile(d / "OUT", "old content\n");
  RunResult r = RunIn(d, {"-M", "/oOUT", "a", "b"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(d / "OUT"), "AB");
  // Created when missing, also in append mode.
  r = RunIn(d, {"-M", "a", "b", "-o+NEW"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(d / "NEW"), "AB");
}

TEST(Merge, StandardOutputShowsNamesUnlessItIsACharacterDevice) {
  TempDir d;
  WriteFile(d / "a", "12345");
  WriteFile(d / "b", "678");
  RunResult r = RunIn(d, {"-M", "a", "b"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "12345678");
  EXPECT_EQ(r.err, Banner() + Total("8") + "a 5bytes ok\nb 3bytes ok\n");

  RunOptions null_out;
  null_out.output = Output::kDevNull;
  r = RunIn(d, {"-M", "a", "b"}, null_out);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner() + Total("8") + " 5bytes ok\n 3bytes ok\n");

  RunOptions file_out;
  file_out.output = Output::kFile;
  file_out.stdout_path = d / "captured";
  r = RunIn(d, {"-M", "a", "b"}, file_out);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner() + Total("8") + "a 5bytes ok\nb 3bytes ok\n");
  EXPECT_EQ(ReadFile(d / "captured"), "12345678");
}

TEST(Merge, OutputThatCannotBeOpenedFailsAndReportsTheList) {
  TempDir d;
  WriteFile(d / "a.log", "a");
  WriteFile(d / "b", "b");
  RunResult r = RunIn(d, {"-M", "*.log", "b", "-o", "nodir/out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Total("2") + Msg(kCannotOpen, "nodir/out") +
                       Msg("LIST の作成に失敗しました"));
}

// ---------------------------------------------------------------------------
// Wildcards.

TEST(Merge, WildcardFilesAreCopiedSortedAtTheirPlace) {
  TempDir d;
  mkdir((d / "sub").c_str(), 0777);
  WriteFile(d / "A.TXT", "A");
  WriteFile(d / "sub/X.LOG", "X");
  WriteFile(d / "sub/b.LOG", "b");
  WriteFile(d / "sub/B.LOG", "B");
  WriteFile(d / "sub/.hidden.LOG", "hidden");
  WriteFile(d / "sub/x.log", "lower-case extension");
  mkdir((d / "sub/dir.LOG").c_str(), 0777);
  WriteFile(d / "D.TXT", "D");
  if (TargetIsWin32()) {
    // Only a backslash ends the directory part there; the system's search
    // ignores letter case and takes hidden files, never the directory.
    RunResult r = RunIn(d, {"-M", "A.TXT", "sub\\*.LOG", "D.TXT", "-o", "OUT"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, Banner() + Total("31") + MergingTo("OUT") +
                         "A.TXT 1bytes ok\n"
                         "sub\\.hidden.LOG 6bytes ok\n"
                         "sub\\B.LOG 1bytes ok\n"
                         "sub\\X.LOG 1bytes ok\n"
                         "sub\\b.LOG 1bytes ok\n"
                         "sub\\x.log 20bytes ok\n"
                         "D.TXT 1bytes ok\n");
    EXPECT_EQ(ReadFile(d / "OUT"), "AhiddenBXblower-case extensionD");
    // A slash is no separator: the names found are opened without it.
    r = RunIn(d, {"-M", "sub/B*", "A.TXT", "-o", "OUT2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, Banner() + Total("3") + MergingTo("OUT2") + Msg(kCannotOpen, "B.LOG") +
                         Msg(kCannotOpen, "b.LOG") + "A.TXT 1bytes ok\n");
    return;
  }
  RunResult r = RunIn(d, {"-M", "A.TXT", "sub/*.LOG", "D.TXT", "-o", "OUT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner() + Total("5") + MergingTo("OUT") +
                       "A.TXT 1bytes ok\n"
                       "sub/B.LOG 1bytes ok\n"
                       "sub/X.LOG 1bytes ok\n"
                       "sub/b.LOG 1bytes ok\n"
                       "D.TXT 1bytes ok\n");
  EXPECT_EQ(ReadFile(d / "OUT"), "ABXbD");
}

TEST(Merge, DotPatternTakesHiddenFiles) {
  TempDir d;
  WriteFile(d / ".one", "1");
  WriteFile(d / ".two", "2");
  WriteFile(d / "three", "3");
  RunResult r = RunIn(d, {"-M", ".*", "-o", "OUT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(d / "OUT"), "12");
}

TEST(Merge, WildcardMatchingNothingPrintsNothingDuringTheScan) {
  TempDir d;
  WriteFile(d / "a", "a");
  WriteFile(d / "b", "b");
  RunResult r = RunIn(d, {"-M", "a", "*.none", "b", "-o", "OUT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner() + Total("2") + MergingTo("OUT") + "a 1bytes ok\nb 1bytes ok\n");
}

TEST(Merge, SecondWildcardIsFatal) {
  TempDir d;
  WriteFile(d / "a.log", "a");
  // The first wildcard matched nothing: only the wildcard message.
  RunResult r = RunIn(d, {"-M", "*.none", "a.log", "x?", "-o", "OUT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Msg("ワイルドカードが複数指定されています: ", "x?"));
  // The first wildcard matched: the list message follows.
  r = RunIn(d, {"-M", "*.log", "-o*.TXT", "-o", "OUT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Msg("ワイルドカードが複数指定されています: ", "-o*.TXT") +
                       Msg("LIST の作成に失敗しました"));
  EXPECT_FALSE(FileExists(d / "OUT"));
}

TEST(Merge, ShiftJisNamesAndBackslashesInWildcards) {
  TempDir d;
  const std::string hyo = Sjis("表");  // second byte 0x5C
  ASSERT_EQ(hyo, "\x95\x5C");
  WriteFile(HostName(d / (hyo + "2.txt")), "2");
  WriteFile(HostName(d / (hyo + "1.txt")), "1");
  WriteFile(HostName(d / "\x95"
                         "a.txt"),
            "not a match");
  if (!TargetIsWin32()) WriteFile(d / "a\\b.txt", "backslash");
  RunResult r = RunIn(d, {"-M", hyo + "*.txt", "-o", "OUT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner() + Total("2") + MergingTo("OUT") + hyo + "1.txt 1bytes ok\n" + hyo +
                       "2.txt 1bytes ok\n");
  EXPECT_EQ(ReadFile(d / "OUT"), "12");
  // ? stands for one whole double-byte character.
  r = RunIn(d, {"-M", "?1.txt", "-o", "OUT2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(d / "OUT2"), "1");
  if (TargetIsWin32()) {
    // A backslash separates, found past the 0x5C that ends the kanji.
    ASSERT_EQ(mkdir(HostName(d / hyo).c_str(), 0777), 0);
    WriteFile(HostName(d / (hyo + "/" + hyo + "3.txt")), "3");
    r = RunIn(d, {"-M", hyo + "\\" + hyo + "*", "-o", "OUT3"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err,
              Banner() + Total("1") + MergingTo("OUT3") + hyo + "\\" + hyo + "3.txt 1bytes ok\n");
    EXPECT_EQ(ReadFile(d / "OUT3"), "3");
    return;
  }
  // A backslash is an ordinary byte.
  r = RunIn(d, {"-M", "a\\*", "-o", "OUT3"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(d / "OUT3"), "backslash");
}

TEST(Merge, TotalAboveTheFreeSpaceIsRefusedBeforeTheOutputIsTouched) {
  TempDir d;
  // Sparse files: sizes far beyond the free space, almost no blocks used.
  const off_t part = 1LL << 43;  // 8 TiB
  for (const char* name : {"p1", "p2", "p3"}) {
    WriteFile(d / name, "");
    if (truncate((d / name).c_str(), part) != 0) GTEST_SKIP() << "no sparse 8 TiB files here";
  }
  struct statvfs vfs {};
  ASSERT_EQ(statvfs(d.path().c_str(), &vfs), 0);
  if (static_cast<unsigned long long>(vfs.f_bavail) * vfs.f_frsize >= 3ULL * part)
    GTEST_SKIP() << "more than 24 TiB free";
  WriteFile(d / "OUT", "keep");
  RunResult r = RunIn(d, {"-M", "p*", "-o", "OUT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Total("26,388,279,066,624") +
                       Msg("結合先ドライブの空き容量が不足しています"));
  EXPECT_EQ(ReadFile(d / "OUT"), "keep");
}

// ---------------------------------------------------------------------------
// Missing inputs and list files.

TEST(Merge, MissingInputIsReportedTheRunGoesOnAndFails) {
  TempDir d;
  WriteFile(d / "a", "a");
  WriteFile(d / "b", "b");
  mkdir((d / "dir").c_str(), 0777);
  RunResult r = RunIn(d, {"-M", "a", "missing", "dir", "b", "-o", "OUT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Msg(kCannotOpen, "missing") + Msg(kCannotOpen, "dir") + Total("2") +
                       MergingTo("OUT") + "a 1bytes ok\nb 1bytes ok\n");
  EXPECT_EQ(ReadFile(d / "OUT"), "ab");
}

TEST(Merge, ListFileEntriesAreReadAsTextAndMissingOnesReportedTwice) {
  TempDir d;
  WriteFile(d / "a", "A");
  WriteFile(d / "b b", "B");
  WriteFile(d / "c", "C");
  // A listed path longer than 255 bytes.
  std::string long_dir(200, 'D');
  std::string long_name = long_dir + "/" + std::string(200, 'L');
  mkdir((d / long_dir).c_str(), 0777);
  WriteFile(d / long_name, "long");
  WriteFile(d / "list", "a\r\nmissing\n" + long_name +
                            "\nb b\n\x1A"
                            "c\n");
  RunResult r = RunIn(d, {"-M", "@list", "c", "-o", "OUT"});
  EXPECT_EQ(r.status, 1);
  std::string missing = Msg(kCannotOpen, "missing");
  if (TargetIsWin32()) {
    // The system's name calls take no path beyond 260 bytes: the long name
    // is reported like a missing one.
    std::string too_long = Msg(kCannotOpen, long_name);
    EXPECT_EQ(r.err, Banner() + missing + too_long + Total("3") + MergingTo("OUT") +
                         "a 1bytes ok\n" + missing + too_long + "b b 1bytes ok\nc 1bytes ok\n");
    EXPECT_EQ(ReadFile(d / "OUT"), "ABC");
    return;
  }
  EXPECT_EQ(r.err, Banner() + missing + Total("7") + MergingTo("OUT") + "a 1bytes ok\n" + missing +
                       long_name + " 4bytes ok\nb b 1bytes ok\nc 1bytes ok\n");
  EXPECT_EQ(ReadFile(d / "OUT"), "AlongBC");
}

TEST(Merge, ListEntriesAreNotExpandedAndEmptyLinesAreNames) {
  TempDir d;
  WriteFile(d / "x1", "1");
  WriteFile(d / "list", "x*\n\n");
  WriteFile(d / "y", "y");
  RunResult r = RunIn(d, {"-M", "@list", "y", "-o", "OUT"});
  EXPECT_EQ(r.status, 1);
  std::string lines = Msg(kCannotOpen, "x*") + Msg(kCannotOpen, "");
  EXPECT_EQ(r.err, Banner() + lines + Total("1") + MergingTo("OUT") + lines + "y 1bytes ok\n");
  EXPECT_EQ(ReadFile(d / "OUT"), "y");
}

TEST(Merge, UnopenableListFileStillCountsAsAnInputArgument) {
  TempDir d;
  RunResult r = RunIn(d, {"-M", "@nolist", "-o", "OUT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Msg(kCannotOpen, "nolist") + Total("0") + MergingTo("OUT") +
                       Msg(kCannotOpen, "nolist"));
  EXPECT_EQ(ReadFile(d / "OUT"), "");
}

// ---------------------------------------------------------------------------
// Time stamps.

TEST(Merge, CommonWriteTimeIsGivenToTheOutput) {
  TempDir d;
  WriteFile(d / "a", "a");
  WriteFile(d / "b", "b");
  WriteFile(d / "list", "b\n");
  SetWriteTime(d / "a", 1000000000, 123456789);
  SetWriteTime(d / "b", 1000000000, 123456789);
  WriteFile(d / "OUT", "old");
  SetWriteTime(d / "OUT", 5, 0);
  // An access time ahead of every other time is not moved by a mere read
  // (relatime), so only a time the program sets could change it.
  struct timespec ahead[2] = {{2000000000, 0}, {0, UTIME_OMIT}};
  ASSERT_EQ(utimensat(AT_FDCWD, (d / "OUT").c_str(), ahead, 0), 0);
  struct stat before {};
  stat((d / "OUT").c_str(), &before);
  RunResult r = RunIn(d, {"-M", "a", "@list", "-o+", "OUT"});
  EXPECT_EQ(r.status, 0);
  struct timespec t = WriteTime(d / "OUT");
  EXPECT_EQ(t.tv_sec, 1000000000);
  // Windows keeps file times in units of 100 ns.
  EXPECT_EQ(t.tv_nsec, TargetIsWin32() ? 123456700 : 123456789);
  struct stat after {};
  stat((d / "OUT").c_str(), &after);
  EXPECT_EQ(after.st_atim.tv_sec, before.st_atim.tv_sec);
  EXPECT_EQ(after.st_atim.tv_nsec, before.st_atim.tv_nsec);
  EXPECT_EQ(ReadFile(d / "OUT"), "oldab");
}

TEST(Merge, DifferentWriteTimesLeaveTheOutputItsOwn) {
  TempDir d;
  WriteFile(d / "a", "a");
  WriteFile(d / "b", "b");
  SetWriteTime(d / "a", 1000000000, 123456789);
  // One unit of the system's file time apart: 1 ns, or 100 ns on Windows.
  SetWriteTime(d / "b", 1000000000, TargetIsWin32() ? 123456689 : 123456788);
  RunResult r = RunIn(d, {"-M", "a", "b", "-o", "OUT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_GT(WriteTime(d / "OUT").tv_sec, 1000000000 + 100000000);
}

TEST(Merge, StandardOutputIsNeverStamped) {
  TempDir d;
  WriteFile(d / "a", "a");
  WriteFile(d / "b", "b");
  SetWriteTime(d / "a", 1000000000, 0);
  SetWriteTime(d / "b", 1000000000, 0);
  RunOptions file_out;
  file_out.output = Output::kFile;
  file_out.stdout_path = d / "captured";
  RunResult r = RunIn(d, {"-M", "a", "b"}, file_out);
  EXPECT_EQ(r.status, 0);
  EXPECT_GT(WriteTime(d / "captured").tv_sec, 1000000000 + 100000000);
}

// ---------------------------------------------------------------------------
// An output that is also an input.

TEST(Merge, OutputNamedAsAnInputIsRefusedUntouched) {
  TempDir d;
  WriteFile(d / "a", "aaa");
  WriteFile(d / "b", "bbb");
  link((d / "a").c_str(), (d / "hard").c_str());
  WriteFile(d / "list", "b\na\n");
  const std::string same = "入力ファイルと出力ファイルが同名ファイルです!";
  struct Case {
    std::vector<std::string> args;
    std::string reported;
  };
  const Case cases[] = {
      {{"-M", "a", "b", "-o", "a"}, "a"},    {{"-M", "a", "b", "-o+a"}, "a"},
      {{"-M", "b", "hard", "-o+a"}, "hard"}, {{"-M", "b", "@list", "-oa"}, "a"},
      {{"-M", "b", "?", "-o", "./a"}, "a"},  {{"-M", "b", "@list", "-o", "list"}, "list"},
  };
  for (const Case& c : cases) {
    RunResult r = RunIn(d, c.args);
    EXPECT_EQ(r.status, 1) << c.args[4];
    EXPECT_EQ(r.err, Banner() + Msg(same, c.reported)) << c.args[4];
    EXPECT_EQ(ReadFile(d / "a"), "aaa");
    EXPECT_EQ(ReadFile(d / "list"), "b\na\n");
  }
  if (TargetIsWin32())
    GTEST_SKIP() << "Wine gives standard handles inherited from the host no volume serial "
                    "number, so the identity of a redirected standard stream cannot be told";
  // Standard output appended to an input would never end.
  RunOptions append_out;
  append_out.output = Output::kAppend;
  append_out.stdout_path = d / "b";
  RunResult r = RunIn(d, {"-M", "a", "b"}, append_out);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Msg(same, "b"));
  EXPECT_EQ(ReadFile(d / "b"), "bbb");
}

// ---------------------------------------------------------------------------
// Read and write failures.

TEST(Merge, WriteFailureOnTheOutputIsReported) {
  TempDir d;
  WriteFile(d / "a", "a");
  WriteFile(d / "b", "b");
  RunOptions full;
  full.output = Output::kFile;
  full.stdout_path = "/dev/full";
  RunResult r = RunIn(d, {"-M", "a", "b"}, full);
  EXPECT_EQ(r.status, 1);
  // A character device is written block by block, so the failure shows at
  // once and the copy stops.
  EXPECT_EQ(r.err,
            Banner() + Total("2") + Msg("<error> 出力ファイルに書き込めません!: ", "stdout"));

  r = RunIn(d, {"-M", "a", "b", "-o", "/dev/full"});
  if (r.err.find(Sjis("結合先ドライブ")) != std::string::npos)
    GTEST_SKIP() << "no free space reported for /dev";
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Total("2") + MergingTo("/dev/full") + "a 1bytes ok\nb 1bytes ok\n" +
                       Msg("<error> 出力ファイルに書き込めません!: ", "/dev/full"));
}

TEST(Merge, WriteFailureInTheMiddleStopsTheCopy) {
  TempDir d;
  WriteFile(d / "big", std::string(200000, 'x'));
  WriteFile(d / "b", "b");
  RunOptions full;
  full.output = Output::kFile;
  full.stdout_path = "/dev/full";
  RunResult r = RunIn(d, {"-M", "big", "b"}, full);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            Banner() + Total("200,001") + Msg("<error> 出力ファイルに書き込めません!: ", "stdout"));
}

TEST(Merge, ReadFailureOnAnInputIsReported) {
  TempDir d;
  if (!FileExists("/proc/self/mem")) GTEST_SKIP() << "no /proc/self/mem";
  WriteFile(d / "b", "b");
  RunResult r = RunIn(d, {"-M", "/proc/self/mem", "b", "-o", "OUT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Total("1") + MergingTo("OUT") + "/proc/self/mem\n" +
                       Msg("ファイルが読み込めません: ", "/proc/self/mem") + "b 1bytes ok\n");
  EXPECT_EQ(ReadFile(d / "OUT"), "b");
}

// ---------------------------------------------------------------------------
// Totals beyond 32 bits, from sparse files. Skipped where the current
// directory has less free room than the total (the free-space check would
// refuse the run) or when ZOLT_SKIP_LARGE is set.

TEST(MergeLarge, TotalBeyondFourGigabytes) {
  if (std::getenv("ZOLT_SKIP_LARGE")) GTEST_SKIP() << "ZOLT_SKIP_LARGE is set";
  TempDir d;
  const off_t part = (2LL << 30) + 12345;  // each part alone passes 2^31
  const long long total = 2LL * part + 3;
  struct statvfs vfs {};
  if (statvfs(d.path().c_str(), &vfs) != 0 ||
      static_cast<unsigned long long>(vfs.f_bavail) * vfs.f_frsize < (5ULL << 30))
    GTEST_SKIP() << "less than 5 GiB free";
  for (const char* name : {"p1", "p2"}) {
    WriteFile(d / name, "");
    ASSERT_EQ(truncate((d / name).c_str(), part), 0);
  }
  WriteFile(d / "tail", "end");
  RunOptions null_out;
  null_out.output = Output::kDevNull;
  RunResult r = RunIn(d, {"-M", "p*", "tail"}, null_out);
  EXPECT_EQ(total, 4294991989LL);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner() + Total("4,294,991,989") + " 2147495993bytes ok\n" +
                       " 2147495993bytes ok\n 3bytes ok\n");
}

}  // namespace
}  // namespace e2e

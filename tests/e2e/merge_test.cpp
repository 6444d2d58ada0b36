#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "e2e/harness.h"

namespace e2e {
namespace {

const std::string kCannotOpen = "ファイルがオープンできません: ";
const std::string kSame = "入力ファイルと出力ファイルが同名ファイルです!";
const std::string kCannotWrite = "<error> 出力ファイルに書き込めません!: ";

// Message line as the program prints it under LC_ALL=C.
std::string Msg(const std::string& utf8_text, const std::string& variable = "") {
  return Sjis(utf8_text) + variable + "\n";
}

std::string Total(const std::string& grouped) {
  return "Total Marge Size = " + grouped + " byte\n";
}

std::string MergingTo(const std::string& name) {
  return "Merging to '" + name + "'\nallocated buf size =16384 . ok\n";
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

using Files = std::vector<std::pair<std::string, std::string>>;

// One run in a fresh directory: the files before it (a name ending in / is a
// directory, one starting with = a hard link to the file its content names),
// what it prints after the banner, and files after it.
enum class On { kBoth, kPosix, kWin32 };

struct Case {
  Files before;
  std::vector<std::string> args;
  int status;
  std::string err;
  Files after = {};
  std::string out = "";
  Output output = Output::kPipe;
  std::string to = "captured";  // kFile, kAppend: a name in the directory, or an absolute path
  On on = On::kBoth;            // kPosix also for rows needing a redirected stream's identity
  std::string in = "";          // when not empty, standard input is a pipe fed with it
};

const std::string kBig = [] {
  std::string big;
  for (int i = 0; i < 1234567; ++i) big.push_back(static_cast<char>('a' + i % 26));
  return big;
}();

TEST(Merge, TableOfRuns) {
  const std::string ab = "a 1bytes ok\nb 1bytes ok\n";
  const Files a_b = {{"a", "a"}, {"b", "b"}};
  const Files a_b_out = {{"a", "a"}, {"b", "b"}, {"OUT", "old\n"}};
  const std::string to_out = Total("2") + MergingTo("OUT") + ab;
  const std::string x_empty = Msg(kCannotOpen, "x*") + Msg(kCannotOpen, "");
  const std::string kTooFew = Msg("パラメーターが足りません");
  const std::string kNoList = Msg("LIST の作成に失敗しました");
  const Files same = {{"a", "aaa"}, {"b", "bbb"}, {"=hard", "a"}, {"list", "b\na\n"}};
  const Files same_after = {{"a", "aaa"}, {"b", "bbb"}, {"list", "b\na\n"}};
  const Files wild = {{"A.TXT", "A"},
                      {"sub/", ""},
                      {"sub/X.LOG", "X"},
                      {"sub/b.LOG", "b"},
                      {"sub/B.LOG", "B"},
                      {"sub/.hidden.LOG", "hidden"},
                      {"sub/x.log", "lower-case extension"},
                      {"sub/dir.LOG/", ""},
                      {"D.TXT", "D"}};
  const std::string hyo = Sjis("表");
  const Files kanji = {{hyo + "2.txt", "2"},
                       {hyo + "1.txt", "1"},
                       {"\x95"
                        "a.txt",
                        "not a match"}};
  // A listed path longer than 255 bytes.
  const std::string long_name = std::string(200, 'D') + "/" + std::string(200, 'L');
  const Files listed = {{"a", "A"},
                        {"b b", "B"},
                        {"c", "C"},
                        {std::string(200, 'D') + "/", ""},
                        {long_name, "long"},
                        {"list", "a\r\nmissing\n" + long_name +
                                     "\nb b\n\x1A"
                                     "c\n"}};
  const std::string missing = Msg(kCannotOpen, "missing"), too_long = Msg(kCannotOpen, long_name);
  const std::string kTwoWildcards = "ワイルドカードが複数指定されています: ";
  // clang-format off
  const Case cases[] = {
      {{{"A.TXT", "first\r\n\x81"}, {"B.TXT", std::string("\x40second\0\x1A", 9)}}, {"-M", "A.TXT", "B.TXT", "-o", "NEW.TXT"},
       0, Total("17") + MergingTo("NEW.TXT") + "A.TXT 8bytes ok\nB.TXT 9bytes ok\n", {{"NEW.TXT", std::string("first\r\n\x81\x40second\0\x1A", 17)}}},
      // The total is grouped; the copy crosses buffer blocks.
      {{{"big", kBig}, {"small", "xyz"}}, {"-M", "big", "small", "-onew"},
       0, Total("1,234,570") + MergingTo("new") + "big 1234567bytes ok\nsmall 3bytes ok\n", {{"new", kBig + "xyz"}}},
      {{}, {"-M"}, 1, ""},
      // Parameter checks: one plain input, or none, is refused before the output is touched.
      {{{"A.TXT", "abcd"}, {"OUT", "keep"}}, {"-M", "A.TXT", "-o", "OUT"}, 1, Total("4") + kTooFew, {{"OUT", "keep"}}},
      {{}, {"-M", "-o", "OUT"}, 1, Total("0") + kTooFew, {{"OUT", "<missing>"}}},
      {{{"only.log", "one"}}, {"-M", "*.log", "-o", "OUT"}, 0, Total("3") + MergingTo("OUT") + "only.log 3bytes ok\n", {{"OUT", "one"}}},
      {a_b, {"-M", "a", "b", "-o"}, 1, Msg("出力ファイルを指定して下さい")},
      {a_b, {"-M", "a", "b", "-o", "-dash"}, 0, Total("2") + MergingTo("-dash") + ab, {{"-dash", "ab"}}},
      // Append forms keep the content, the plain form replaces it; both create.
      {a_b_out, {"-M", "a", "b", "-o+OUT"}, 0, to_out, {{"OUT", "old\nab"}}},
      {a_b_out, {"-M", "a", "b", "/O+OUT"}, 0, to_out, {{"OUT", "old\nab"}}, "", Output::kPipe, "", On::kWin32},
      {a_b_out, {"-M", "a", "b", "-O+", "OUT"}, 0, to_out, {{"OUT", "old\nab"}}},
      {a_b_out, {"-M", "/oOUT", "a", "b"}, 0, to_out, {{"OUT", "ab"}}, "", Output::kPipe, "", On::kWin32},
      // Elsewhere a name starting with / is a path, also /o... (/opt/.. is the root, /proc/self/cwd the run's directory).
      {a_b, {"-M", "/opt/../proc/self/cwd/a", "b", "-o", "OUT"}, 0, Total("2") + MergingTo("OUT") +
       "/opt/../proc/self/cwd/a 1bytes ok\nb 1bytes ok\n", {{"OUT", "ab"}}, "", Output::kPipe, "", On::kPosix},
      {a_b, {"-M", "a", "b", "-o+", "OUT"}, 0, to_out, {{"OUT", "ab"}}},
      // Standard output shows the names unless it is a character device.
      {a_b, {"-M", "a", "b"}, 0, Total("2") + ab, {}, "ab"},
      {a_b, {"-M", "a", "b"}, 0, Total("2") + " 1bytes ok\n 1bytes ok\n", {}, "", Output::kDevNull},
      {a_b, {"-M", "a", "b"}, 0, Total("2") + ab, {{"captured", "ab"}}, "", Output::kFile},
      {{{"a.log", "a"}, {"b", "b"}}, {"-M", "*.log", "b", "-o", "nodir/out"},
       1, Total("2") + Msg(kCannotOpen, "nodir/out") + kNoList},
      // Wildcards: hidden files only for a dot pattern; no match prints nothing.
      {{{".one", "1"}, {".two", "2"}, {"three", "3"}}, {"-M", ".*", "-o", "OUT"},
       0, Total("2") + MergingTo("OUT") + ".one 1bytes ok\n.two 1bytes ok\n", {{"OUT", "12"}}},
      {a_b, {"-M", "a", "*.none", "b", "-o", "OUT"}, 0, to_out},
      {{{"a.log", "a"}}, {"-M", "*.none", "a.log", "x?", "-o", "OUT"}, 1, Msg(kTwoWildcards, "x?")},
      {{{"a.log", "a"}}, {"-M", "*.log", "-o*.TXT", "-o", "OUT"},
       1, Msg(kTwoWildcards, "-o*.TXT") + kNoList, {{"OUT", "<missing>"}}},
      // Missing inputs are reported, the run goes on and fails.
      {{{"a", "a"}, {"b", "b"}, {"dir/", ""}}, {"-M", "a", "missing", "dir", "b", "-o", "OUT"},
       1, Msg(kCannotOpen, "missing") + Msg(kCannotOpen, "dir") + to_out, {{"OUT", "ab"}}},
      // List entries are neither expanded nor skipped when empty.
      {{{"x1", "1"}, {"list", "x*\n\n"}, {"y", "y"}}, {"-M", "@list", "y", "-o", "OUT"},
       1, x_empty + Total("1") + MergingTo("OUT") + x_empty + "y 1bytes ok\n", {{"OUT", "y"}}},
      {{}, {"-M", "@nolist", "-o", "OUT"},
       1, Msg(kCannotOpen, "nolist") + Total("0") + MergingTo("OUT") + Msg(kCannotOpen, "nolist"), {{"OUT", ""}}},
      // A list file naming itself is copied like any input.
      {{{"LIST", "LIST\r\na\r\n"}, {"a", "A"}}, {"-M", "@LIST", "-o", "OUT"},
       0, Total("10") + MergingTo("OUT") + "LIST 9bytes ok\na 1bytes ok\n", {{"OUT", "LIST\r\na\r\nA"}}},
      // A list file is read once, so it may be a pipe; one that cannot be read fails the run.
      {a_b, {"-M", "@/dev/stdin", "-o", "OUT"}, 0, to_out, {{"OUT", "ab"}}, "", Output::kPipe, "", On::kPosix, "a\nb\n"},
      {a_b, {"-M", "@/proc/self/mem", "a", "-o", "OUT"}, 1, Msg("ファイルが読み込めません: ", "/proc/self/mem") +
       Total("1") + MergingTo("OUT") + "a 1bytes ok\n", {{"OUT", "a"}}},
      // An input that cannot be read.
      {{{"b", "b"}}, {"-M", "/proc/self/mem", "b", "-o", "OUT"}, 1, Total("1") + MergingTo("OUT") +
       "/proc/self/mem\n" + Msg("ファイルが読み込めません: ", "/proc/self/mem") + "b 1bytes ok\n", {{"OUT", "b"}}},
      // An output that is also an input is refused untouched.
      {same, {"-M", "a", "b", "-o", "a"}, 1, Msg(kSame, "a"), same_after},
      {same, {"-M", "a", "b", "-o+a"}, 1, Msg(kSame, "a"), same_after},
      {same, {"-M", "b", "hard", "-o+a"}, 1, Msg(kSame, "hard"), same_after},
      {same, {"-M", "b", "@list", "-oa"}, 1, Msg(kSame, "a"), same_after},
      {same, {"-M", "b", "?", "-o", "./a"}, 1, Msg(kSame, "a"), same_after},
      {same, {"-M", "b", "@list", "-o", "list"}, 1, Msg(kSame, "list"), same_after},
      {same, {"-M", "@list", "-o+a"}, 1, Msg(kSame, "a"), same_after},
      // Standard output appended to an input would never end.
      {same, {"-M", "a", "b"}, 1, Msg(kSame, "b"), same_after, "", Output::kAppend, "b", On::kPosix},
      // A character device is written block by block: the failure shows at once
      // and the copy stops, also in the middle of an input.
      {a_b, {"-M", "a", "b"}, 1, Total("2") + Msg(kCannotWrite, "stdout"), {}, "", Output::kFile, "/dev/full"},
      {{{"big", std::string(200000, 'x')}, {"b", "b"}}, {"-M", "big", "b"},
       1, Total("200,001") + Msg(kCannotWrite, "stdout"), {}, "", Output::kFile, "/dev/full"},
      // Wildcard files are copied sorted at their place. Only a backslash ends
      // the directory part on Windows, whose search ignores letter case and
      // takes hidden files; never a directory.
      {wild, {"-M", "A.TXT", "sub/*.LOG", "D.TXT", "-o", "OUT"}, 0, Total("5") + MergingTo("OUT") +
       "A.TXT 1bytes ok\nsub/B.LOG 1bytes ok\nsub/X.LOG 1bytes ok\nsub/b.LOG 1bytes ok\nD.TXT 1bytes ok\n", {{"OUT", "ABXbD"}}, "", Output::kPipe, "", On::kPosix},
      {wild, {"-M", "A.TXT", "sub\\*.LOG", "D.TXT", "-o", "OUT"}, 0, Total("31") + MergingTo("OUT") +
       "A.TXT 1bytes ok\nsub\\.hidden.LOG 6bytes ok\nsub\\B.LOG 1bytes ok\nsub\\X.LOG 1bytes ok\nsub\\b.LOG 1bytes ok\n"
       "sub\\x.log 20bytes ok\nD.TXT 1bytes ok\n", {{"OUT", "AhiddenBXblower-case extensionD"}}, "", Output::kPipe, "", On::kWin32},
      // There a slash is no separator: the names found are opened without it.
      {wild, {"-M", "sub/B*", "A.TXT", "-o", "OUT"}, 1, Total("3") + MergingTo("OUT") + Msg(kCannotOpen, "B.LOG") +
       Msg(kCannotOpen, "b.LOG") + "A.TXT 1bytes ok\n", {}, "", Output::kPipe, "", On::kWin32},
      // Shift-JIS names: 表 ends in 0x5C; ? stands for one whole double-byte character.
      {kanji, {"-M", hyo + "*.txt", "-o", "OUT"}, 0, Total("2") + MergingTo("OUT") + hyo + "1.txt 1bytes ok\n" + hyo + "2.txt 1bytes ok\n", {{"OUT", "12"}}},
      {kanji, {"-M", "?1.txt", "-o", "OUT"}, 0, Total("1") + MergingTo("OUT") + hyo + "1.txt 1bytes ok\n", {{"OUT", "1"}}},
      // A backslash is an ordinary byte natively; on Windows it separates, found past the kanji.
      {{{"a\\b.txt", "backslash"}}, {"-M", "a\\*", "-o", "OUT"}, 0, Total("9") + MergingTo("OUT") + "a\\b.txt 9bytes ok\n",
       {{"OUT", "backslash"}}, "", Output::kPipe, "", On::kPosix},
      {{{hyo + "/", ""}, {hyo + "/" + hyo + "3.txt", "3"}}, {"-M", hyo + "\\" + hyo + "*", "-o", "OUT"}, 0, Total("1") + MergingTo("OUT") +
       hyo + "\\" + hyo + "3.txt 1bytes ok\n", {{"OUT", "3"}}, "", Output::kPipe, "", On::kWin32},
      // List entries are read as text; missing ones are reported twice. The
      // Windows calls take no path beyond 260 bytes: a long one is missing there.
      {listed, {"-M", "@list", "c", "-o", "OUT"}, 1, missing + Total("7") + MergingTo("OUT") + "a 1bytes ok\n" + missing +
       long_name + " 4bytes ok\nb b 1bytes ok\nc 1bytes ok\n", {{"OUT", "AlongBC"}}, "", Output::kPipe, "", On::kPosix},
      {listed, {"-M", "@list", "c", "-o", "OUT"}, 1, missing + too_long + Total("3") + MergingTo("OUT") + "a 1bytes ok\n" + missing +
       too_long + "b b 1bytes ok\nc 1bytes ok\n", {{"OUT", "ABC"}}, "", Output::kPipe, "", On::kWin32},
  };
  // clang-format on
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("case " + std::to_string(index++));
    // Wine gives standard handles inherited from the host no identity.
    if (c.on == (TargetIsWin32() ? On::kPosix : On::kWin32)) continue;
    TempDir d;
    for (const auto& [name, bytes] : c.before) {
      if (name.back() == '/')
        mkdir(HostName(d / name).c_str(), 0777);
      else if (name[0] == '=')
        link((d / bytes).c_str(), (d / name.substr(1)).c_str());
      else
        WriteFile(HostName(d / name), bytes);
    }
    RunOptions options;
    if (!c.in.empty()) options.input = Input::kPipe;
    options.stdin_data = c.in;
    options.output = c.output;
    options.stdout_path = c.to[0] == '/' ? c.to : d / c.to;
    RunResult r = RunIn(d, c.args, options);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, Banner() + c.err);
    for (const auto& [name, bytes] : c.after) EXPECT_TRUE(ReadFile(d / name) == bytes) << name;
  }
}

TEST(Merge, OnlyACommonWriteTimeIsGivenToANamedOutput) {
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

  // Standard output is never stamped.
  RunOptions file_out;
  file_out.output = Output::kFile;
  file_out.stdout_path = d / "captured";
  EXPECT_EQ(RunIn(d, {"-M", "a", "b"}, file_out).status, 0);
  EXPECT_GT(WriteTime(d / "captured").tv_sec, 1000000000 + 100000000);
  // One unit of the system's file time apart: 1 ns, or 100 ns on Windows.
  SetWriteTime(d / "b", 1000000000, TargetIsWin32() ? 123456689 : 123456788);
  EXPECT_EQ(RunIn(d, {"-M", "a", "b", "-o", "OUT2"}).status, 0);
  EXPECT_GT(WriteTime(d / "OUT2").tv_sec, 1000000000 + 100000000);
}

TEST(Merge, WriteFailureOnANamedOutputIsReported) {
  TempDir d;
  WriteFile(d / "a", "a");
  WriteFile(d / "b", "b");
  RunResult r = RunIn(d, {"-M", "a", "b", "-o", "/dev/full"});
  if (r.err.find(Sjis("結合先ドライブ")) != std::string::npos)
    GTEST_SKIP() << "no free space reported for /dev";
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Total("2") + MergingTo("/dev/full") + "a 1bytes ok\nb 1bytes ok\n" +
                       Msg(kCannotWrite, "/dev/full"));
}

// Sparse files of 8 TiB: a total far beyond the free space is refused
// before the output is touched. Sparse files passing 2^31 each, when the
// directory has room for their total (else the free-space check would refuse
// the run) and ZOLT_SKIP_LARGE is not set: a total beyond 32 bits.
TEST(MergeLarge, TotalsFromSparseFiles) {
  TempDir d;
  struct statvfs vfs {};
  ASSERT_EQ(statvfs(d.path().c_str(), &vfs), 0);
  const unsigned long long free = static_cast<unsigned long long>(vfs.f_bavail) * vfs.f_frsize;
  for (const char* name : {"p1", "p2", "p3", "q1", "q2"}) {
    WriteFile(d / name, "");
    if (truncate((d / name).c_str(), name[0] == 'p' ? 1LL << 43 : (2LL << 30) + 12345) != 0)
      GTEST_SKIP() << "no sparse 8 TiB files here";
  }
  WriteFile(d / "OUT", "keep");
  WriteFile(d / "tail", "end");
  if (free < 3ULL << 43) {  // else more than 24 TiB free
    RunResult r = RunIn(d, {"-M", "p*", "-o", "OUT"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, Banner() + Total("26,388,279,066,624") +
                         Msg("結合先ドライブの空き容量が不足しています"));
    EXPECT_EQ(ReadFile(d / "OUT"), "keep");
  }
  if (std::getenv("ZOLT_SKIP_LARGE")) GTEST_SKIP() << "ZOLT_SKIP_LARGE is set";
  if (free < 5ULL << 30) GTEST_SKIP() << "less than 5 GiB free";
  RunOptions null_out;
  null_out.output = Output::kDevNull;
  RunResult r = RunIn(d, {"-M", "q*", "tail"}, null_out);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner() + Total("4,294,991,989") + " 2147495993bytes ok\n" +
                       " 2147495993bytes ok\n 3bytes ok\n");
}

}  // namespace
}  // namespace e2e

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {
namespace {

// The lines a merge prints first: the total of the inputs, then the output's name.
std::string Total(const std::string& grouped) {
  return "Total Marge Size = " + grouped + " byte\n";
}
std::string MergingTo(const std::string& name) {
  return "Merging to '" + name + "'\nallocated buf size =16384 . ok\n";
}

// Files are given write times of kSeconds and some nanoseconds, and an
// access time kAhead of every other time, which a mere read does not move.
constexpr time_t kSeconds = 1000000000, kAhead = 2000000000;

// Makes the files `names` in `dir` sparse files of `size` bytes; false when
// the file system cannot.
bool MakeSparse(const std::string& dir, std::vector<const char*> names, long long size) {
  for (const char* name : names) {
    WriteFile(dir + "/" + name, "");
    if (truncate((dir + "/" + name).c_str(), size) != 0) return false;
  }
  return true;
}

// Row preparations: nullptr, or why the row is skipped. p1-p3 of 8 TiB each
// when the directory has less than their total free; q1 and q2 just past
// 2^31 bytes each, a total beyond 32 bits.
const char* HugeSparseFiles(const std::string& d) {
  if (FreeBytes(d) >= 3ULL << 43) return "more than 24 TiB free";
  return MakeSparse(d, {"p1", "p2", "p3"}, 1LL << 43) ? nullptr : "no sparse 8 TiB files";
}
const char* LargeSparseFiles(const std::string& d) {
  if (std::getenv("ZOLT_SKIP_LARGE")) return "ZOLT_SKIP_LARGE is set";
  if (FreeBytes(d) < 5ULL << 30) return "less than 5 GiB free";
  return MakeSparse(d, {"q1", "q2"}, (2LL << 30) + 12345) ? nullptr : "no sparse files";
}

// A null device of the run's own, NUL in `d`.
const char* NullDevice(const std::string& d) {
  return mknod((d + "/NUL").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 ? nullptr
                                                                         : "no device node";
}

// A file before (made by TempDir::Make) or after a run; after a run, "-" is what
// went to a pipe on standard output (else nothing may). `ns`: before, the
// file is given the times above; after, it must carry that write time and
// the access time kAhead, or with -1 the time it was written.
struct File {
  std::string name;
  std::string bytes;
  long ns = 0;
};
using FileList = std::vector<File>;

// One run in a fresh directory and what it prints after the banner.
struct Case {
  FileList before;
  std::vector<std::string> args;
  int status;
  std::string err;
  FileList after = {};
  On on = On::kBoth;
  Output output = Output::kPipe;
  std::string to = "";  // kFile, kAppend: a name in the directory, or an absolute path
  std::string in = "";  // when not empty, standard input is a pipe fed with it
  const char* (*prepare)(const std::string& dir) = nullptr;
};

TEST(Merge, TableOfRuns) {
  // clang-format off
  const std::string kCannotOpen = "ファイルがオープンできません: ", kSame = "入力ファイルと出力ファイルが同名ファイルです!";
  const std::string kCannotRead = "ファイルが読み込めません: ", kTwoWildcards = "ワイルドカードが複数指定されています: ";
  const std::string kCannotWrite = "<error> 出力ファイルに書き込めません!: ", kNoList = Msg("LIST の作成に失敗しました");
  const std::string kNoSpace = Msg("結合先ドライブの空き容量が不足しています");
  const long t = TargetIsWin32() ? 123456700 : 123456789, t1 = t - (TargetIsWin32() ? 100 : 1);  // one unit apart
  const std::string ab = "a 1bytes ok\nb 1bytes ok\n", to_out = Total("2") + MergingTo("OUT") + ab, hyo = Sjis("表");
  std::string big;
  for (int i = 0; i < 1234567; ++i) big.push_back(static_cast<char>('a' + i % 26));
  const FileList a_b = {{"a", "a"}, {"b", "b"}}, a_b_out = {{"a", "a"}, {"b", "b"}, {"OUT", "old\n"}};
  const FileList same = {{"a", "aaa"}, {"b", "bbb"}, {"=hard", "a"}, {"list", "b\na\n"}};
  const FileList same_after = {{"a", "aaa"}, {"b", "bbb"}, {"list", "b\na\n"}};
  const FileList timed = {{"a", "a", t}, {"b", "b", t}, {"list", "b\n"}, {"OUT", "old", 1}};
  const FileList wild = {{"A.TXT", "A"}, {"sub/", ""}, {"sub/X.LOG", "X"}, {"sub/b.LOG", "b"}, {"sub/B.LOG", "B"},
      {"sub/.hidden.LOG", "hidden"}, {"sub/x.log", "lower-case extension"}, {"sub/dir.LOG/", ""}, {"D.TXT", "D"}};
  const FileList kanji = {{hyo + "2.txt", "2"}, {hyo + "1.txt", "1"}, {"z1.txt", "z"}, {"\x95" "a.txt", "not a match"}, {"\x81\x7E" "1.txt", "x"}};
  // A listed path longer than 255 bytes.
  const std::string long_name = std::string(200, 'D') + "/" + std::string(200, 'L');
  const FileList listed = {{"a", "A"}, {"b b", "B"}, {"c", "C"}, {std::string(200, 'D') + "/", ""}, {long_name, "long"},
      {"list", "a\r\nmissing\n" + long_name + "\nb b\n\x1A" "c\n"}};
  const std::string missing = Msg(kCannotOpen, "missing"), too_long = Msg(kCannotOpen, long_name);
  const std::string x_missing = Msg(kCannotOpen, "x*") + Msg(kCannotOpen, "") + Msg(kCannotOpen, "nolist");
  const Case cases[] = {
      // Bytes copied unchanged; the total grouped; the copy crosses blocks.
      {{{"A.TXT", "first\r\n\x81"}, {"B.TXT", std::string("\x40second\0\x1A", 9)}, {"big", big}}, {"-M", "A.TXT", "B.TXT", "big", "-o", "NEW.TXT"},
       0, Total("1,234,584") + MergingTo("NEW.TXT") + "A.TXT 8bytes ok\nB.TXT 9bytes ok\nbig 1234567bytes ok\n",
       {{"NEW.TXT", std::string("first\r\n\x81\x40second\0\x1A", 17) + big}}},
      {{}, {"-M"}, 1, ""},
      // One plain input is too few, refused before the output is touched; a wildcard naming one file is enough.
      {{{"A.TXT", "abcd"}, {"OUT", "keep"}}, {"-M", "A.TXT", "-o", "OUT"}, 1, Total("4") + Msg("パラメーターが足りません"), {{"OUT", "keep"}}},
      {{{"only.log", "one"}}, {"-M", "*.log", "-o", "OUT"}, 0, Total("3") + MergingTo("OUT") + "only.log 3bytes ok\n", {{"OUT", "one"}}},
      {a_b, {"-M", "a", "b", "-o"}, 1, Msg("出力ファイルを指定して下さい")},
      // The next argument is the name, whatever it is; append mode creates a missing file.
      {a_b, {"-M", "a", "b", "-o+", "-dash"}, 0, Total("2") + MergingTo("-dash") + ab, {{"-dash", "ab"}}},
      // Append keeps the content; a later option replaces the name, not the append mode; a bare -o at the end keeps the name.
      {a_b_out, {"-M", "a", "b", "-o+OUT"}, 0, to_out, {{"OUT", "old\nab"}}},
      {a_b_out, {"-M", "-O+", "x", "a", "-oOUT", "b", "-o"}, 0, to_out, {{"OUT", "old\nab"}, {"x", "<missing>"}}},
      {a_b_out, {"-M", "a", "b", "/O+OUT"}, 0, to_out, {{"OUT", "old\nab"}}, On::kWin32},
      // Elsewhere a name starting with / is a path, also /o... (/opt/.. is the root, /proc/self/cwd the run's directory).
      {a_b, {"-M", "/opt/../proc/self/cwd/a", "b", "-o", "OUT"}, 0, Total("2") + MergingTo("OUT") +
       "/opt/../proc/self/cwd/a 1bytes ok\nb 1bytes ok\n", {{"OUT", "ab"}}, On::kPosix},
      // Standard output shows the names unless it is a character device.
      {a_b, {"-M", "a", "b"}, 0, Total("2") + ab, {{"-", "ab"}}},
      {a_b, {"-M", "a", "b"}, 0, Total("2") + " 1bytes ok\n 1bytes ok\n", {}, On::kBoth, Output::kDevNull},
      {{{"a.log", "a"}, {"b", "b"}}, {"-M", "*.log", "b", "-o", "nodir/out"}, 1, Total("2") + Msg(kCannotOpen, "nodir/out") + kNoList},
      // A second wildcard is refused.
      {{{"a.log", "a"}}, {"-M", "*.none", "a.log", "x?", "-o", "OUT"}, 1, Msg(kTwoWildcards, "x?")},
      {{{"a.log", "a"}}, {"-M", "*.log", "-o*.TXT", "-o", "OUT"}, 1, Msg(kTwoWildcards, "-o*.TXT") + kNoList, {{"OUT", "<missing>"}}},
      // Missing inputs are reported, the run goes on and fails; a wildcard that matches nothing prints nothing.
      {{{"a", "a"}, {"b", "b"}, {"dir/", ""}}, {"-M", "a", "missing", "*.none", "dir", "b", "-o", "OUT"},
       1, Msg(kCannotOpen, "missing") + Msg(kCannotOpen, "dir") + to_out, {{"OUT", "ab"}}},
      // List entries are neither expanded nor skipped when empty, ^Z ends a list; they and a missing list are reported twice.
      {{{"x1", "1"}, {"list", "x*\n\n\x1A" + std::string(140000, '\n')}, {"y", "y"}}, {"-M", "@list", "@nolist", "y", "-o", "OUT"},
       1, x_missing + Total("1") + MergingTo("OUT") + x_missing + "y 1bytes ok\n", {{"OUT", "y"}}},
      // A list file is read once: it may name itself, or be a pipe (CR dropped across blocks, a last line without LF).
      {{{"LIST", "LIST\r\na\r\n"}, {"a", "A"}}, {"-M", "@LIST", "-o", "OUT"},
       0, Total("10") + MergingTo("OUT") + "LIST 9bytes ok\na 1bytes ok\n", {{"OUT", "LIST\r\na\r\nA"}}},
      {a_b, {"-M", "@/dev/stdin", "-o", "OUT"}, 0, to_out, {{"OUT", "ab"}}, On::kPosix, Output::kPipe, "", std::string(131071, '\r') + "a\nb"},
      // A list or an input that cannot be read fails the run.
      {a_b, {"-M", "@/proc/self/mem", "a", "-o", "OUT"}, 1, Msg(kCannotRead, "/proc/self/mem") + Total("1") + MergingTo("OUT") + "a 1bytes ok\n", {{"OUT", "a"}}},
      {a_b, {"-M", "/proc/self/mem", "b", "-o", "OUT"}, 1, Total("1") + MergingTo("OUT") + "/proc/self/mem\n" + Msg(kCannotRead, "/proc/self/mem") +
       "b 1bytes ok\n", {{"OUT", "b"}}},
      // An output that is also an input (a plain one, listed, found by the wildcard, the list itself) is refused untouched.
      {same, {"-M", "b", "hard", "-o+a"}, 1, Msg(kSame, "hard"), same_after},
      {same, {"-M", "b", "@list", "-oa"}, 1, Msg(kSame, "a"), same_after},
      {same, {"-M", "b", "?", "-o", "./a"}, 1, Msg(kSame, "a"), same_after},
      {same, {"-M", "b", "@list", "-o", "list"}, 1, Msg(kSame, "list"), same_after},
      // A listed input that is missing until the output is made is refused when the copy reaches it.
      {{{"a", "a"}, {"list", "OUT\n"}}, {"-M", "a", "@list", "-o", "OUT"}, 1, Msg(kCannotOpen, "OUT") + Total("1") + MergingTo("OUT") +
       "a 1bytes ok\n" + Msg(kSame, "OUT"), {{"OUT", "a"}}},
      // A device may be read and written at once. Standard output appended to an input would never end.
      {{{"a", "a"}}, {"-M", "/dev/null", "a", "-o", "/dev/null"}, 0, Total("1") + MergingTo("/dev/null") + "/dev/null 0bytes ok\na 1bytes ok\n", {}, On::kPosix},
      {same, {"-M", "a", "b"}, 1, Msg(kSame, "b"), same_after, On::kPosix, Output::kAppend, "b"},
      // A write failure is reported; on a character device at once, the copy stopping in the middle of an input.
      {a_b, {"-M", "a", "b", "-o", "/dev/full"}, 1, Total("2") + MergingTo("/dev/full") + ab + Msg(kCannotWrite, "/dev/full")},
      {{{"big", std::string(200000, 'x')}, {"b", "b"}}, {"-M", "big", "b"}, 1, Total("200,001") + Msg(kCannotWrite, "stdout"),
       {}, On::kBoth, Output::kFile, "/dev/full"},
      // Wildcard files are copied sorted at their place. A slash or a backslash ends the directory part on Windows,
      // whose search ignores letter case and takes hidden files; never a directory.
      {wild, {"-M", "A.TXT", "sub/*.LOG", "D.TXT", "-o", "OUT"}, 0, Total("5") + MergingTo("OUT") +
       "A.TXT 1bytes ok\nsub/B.LOG 1bytes ok\nsub/X.LOG 1bytes ok\nsub/b.LOG 1bytes ok\nD.TXT 1bytes ok\n", {{"OUT", "ABXbD"}}, On::kPosix},
      {wild, {"-M", "A.TXT", "sub\\*.LOG", "D.TXT", "-o", "OUT"}, 0, Total("31") + MergingTo("OUT") +
       "A.TXT 1bytes ok\nsub\\.hidden.LOG 6bytes ok\nsub\\B.LOG 1bytes ok\nsub\\X.LOG 1bytes ok\nsub\\b.LOG 1bytes ok\n"
       "sub\\x.log 20bytes ok\nD.TXT 1bytes ok\n", {{"OUT", "AhiddenBXblower-case extensionD"}}, On::kWin32},
      {wild, {"-M", "sub/B*", "A.TXT", "-o", "OUT"}, 0, Total("3") + MergingTo("OUT") + "sub/B.LOG 1bytes ok\nsub/b.LOG 1bytes ok\n"
       "A.TXT 1bytes ok\n", {{"OUT", "BbA"}}, On::kWin32},
      {wild, {"-M", "sub/B*", "-o", "sub\\b.LOG"}, 1, Msg(kSame, "sub/b.LOG"), {{"sub/b.LOG", "b"}}, On::kWin32},
      // Shift-JIS names: 表 ends in 0x5C and sorts after ASCII; ? stands for one whole double-byte character (× ends in 0x7E).
      {kanji, {"-M", hyo + "*.txt", "-o", "OUT"}, 0, Total("2") + MergingTo("OUT") + hyo + "1.txt 1bytes ok\n" + hyo + "2.txt 1bytes ok\n", {{"OUT", "12"}}},
      {kanji, {"-M", "?1.txt", "-o", "OUT"}, 0, Total("3") + MergingTo("OUT") + "z1.txt 1bytes ok\n\x81\x7E" "1.txt 1bytes ok\n" + hyo + "1.txt 1bytes ok\n", {{"OUT", "zx1"}}},
      // A backslash is an ordinary byte natively; on Windows it separates, found past the kanji.
      // A listed name with a wildcard character is a literal name, in its directory.
      {{{"sub/", ""}, {"sub/x*y", "L"}, {"a", "a"}, {"list", "sub/x*y\n"}}, {"-M", "@list", "a", "-o", "OUT"}, 0,
       Total("2") + MergingTo("OUT") + "sub/x*y 1bytes ok\na 1bytes ok\n", {{"OUT", "La"}}, On::kPosix},
      {{{"a\\b.txt", "backslash"}}, {"-M", "a\\*", "-o", "OUT"}, 0, Total("9") + MergingTo("OUT") + "a\\b.txt 9bytes ok\n", {{"OUT", "backslash"}}, On::kPosix},
      {{{hyo + "/", ""}, {hyo + "/" + hyo + "3.txt", "3"}}, {"-M", hyo + "\\" + hyo + "*", "-o", "OUT"}, 0, Total("1") + MergingTo("OUT") +
       hyo + "\\" + hyo + "3.txt 1bytes ok\n", {{"OUT", "3"}}, On::kWin32},
      // List entries are read as text; missing ones are reported twice. The
      // Windows calls take no path beyond 260 bytes: a long one is missing there.
      {listed, {"-M", "@list", "c", "-o", "OUT"}, 1, missing + Total("7") + MergingTo("OUT") + "a 1bytes ok\n" + missing +
       long_name + " 4bytes ok\nb b 1bytes ok\nc 1bytes ok\n", {{"OUT", "AlongBC"}}, On::kPosix},
      {listed, {"-M", "@list", "c", "-o", "OUT"}, 1, missing + too_long + Total("3") + MergingTo("OUT") + "a 1bytes ok\n" + missing +
       too_long + "b b 1bytes ok\nc 1bytes ok\n", {{"OUT", "ABC"}}, On::kWin32},
      // A named output takes the inputs' common write time, to the unit, and keeps its access time; standard output never.
      {timed, {"-M", "a", "@list", "-o+", "OUT"}, 0, to_out, {{"OUT", "oldab", t}}},
      {{{"a", "a", t}, {"b", "b", t1}}, {"-M", "a", "b", "-o", "OUT"}, 0, to_out, {{"OUT", "ab", -1}}},
      {timed, {"-M", "a", "b"}, 0, Total("2") + ab, {{"OUT", "ab", -1}}, On::kBoth, Output::kFile, "OUT"},
      // Nor does a device named as the output.
      {{{"a", "a", t}, {"b", "b", t}}, {"-M", "a", "b", "-o", "NUL"}, 0, Total("2") + MergingTo("NUL") + ab,
       {{"NUL", "", -1}}, On::kPosix, Output::kPipe, "", "", NullDevice},
      // The free space is that of the output's file system (none in /proc).
      {a_b, {"-M", "a", "b", "-o", "/proc/OUT"}, 1, Total("2") + kNoSpace, {}, On::kPosix},
      // Totals from sparse files: far beyond the free space, refused untouched; beyond 32 bits.
      {{{"OUT", "keep"}}, {"-M", "p*", "-o", "OUT"}, 1, Total("26,388,279,066,624") + kNoSpace,
       {{"OUT", "keep"}}, On::kBoth, Output::kPipe, "", "", HugeSparseFiles},
      {{{"tail", "end"}}, {"-M", "q*", "tail"}, 0, Total("4,294,991,989") + " 2147495993bytes ok\n 2147495993bytes ok\n 3bytes ok\n",
       {}, On::kBoth, Output::kDevNull, "", "", LargeSparseFiles},
  };
  // clang-format on
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("case " + std::to_string(index++));
    if (!RunsHere(c.on)) continue;
    TempDir d;
    for (const File& f : c.before) {
      d.Make(f.name, f.bytes);
      struct timespec times[2] = {{kAhead, 0}, {kSeconds, f.ns}};
      EXPECT_TRUE(f.ns == 0 || utimensat(AT_FDCWD, (d / f.name).c_str(), times, 0) == 0) << f.name;
    }
    if (const char* skip = c.prepare ? c.prepare(d.path()) : nullptr) {
      std::printf("case %d skipped: %s\n", index - 1, skip);
      continue;
    }
    RunResult r = RunZolt(c.args, {.input = c.in.empty() ? Input::kDevNull : Input::kPipe,
                                   .output = c.output,
                                   .stdin_data = c.in,
                                   .stdout_path = c.to,
                                   .cwd = d.path()});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, Banner() + c.err);
    std::string out;
    for (const File& f : c.after) {
      if (f.name == "-") {
        out = f.bytes;
        continue;
      }
      EXPECT_TRUE(SameBytes(ReadFile(d / f.name), f.bytes)) << f.name;
      struct stat st {};
      stat((d / f.name).c_str(), &st);
      const struct timespec& m = st.st_mtim;
      EXPECT_TRUE(f.ns <= 0 ||
                  (m.tv_sec == kSeconds && m.tv_nsec == f.ns && st.st_atim.tv_sec == kAhead))
          << f.name << " has not the common time";
      EXPECT_TRUE(f.ns >= 0 || m.tv_sec > kSeconds + 100000000) << f.name << " has an old time";
    }
    EXPECT_EQ(r.out, out);
  }
}

}  // namespace
}  // namespace e2e

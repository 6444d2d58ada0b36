// Real faults end to end: inputs that change size during the run, closed
// standard descriptors, a read-only output directory and a nearly full one.
// The mounts need root and a system that allows them (tmpfs); where it does
// not, that test is skipped with the reason.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {
namespace {

// Runs zolt in `dir`, standard input on the null device unless `options` say otherwise.
RunResult RunIn(const TempDir& dir, const std::vector<std::string>& args, RunOptions options = {}) {
  options.cwd = dir.path();
  if (options.input == Input::kTerminal) options.input = Input::kDevNull;
  return RunZolt(args, options);
}

// Bytes that show where they came from: every 8-byte group holds its offset.
std::string Numbered(size_t size) {
  std::string data(size + 8, '\0');
  for (size_t at = 0; at < size; at += 8)
    std::snprintf(&data[at], 9, "%07zx\n", at / 8 % 0xFFFFFFF);
  data.resize(size);
  return data;
}

// A small tmpfs mounted on a fresh directory for one test, unmounted at the
// end. `why` says why it could not be mounted (empty once mounted).
struct SmallTmpfs {
  SmallTmpfs(const std::string& where, const char* options) : path(where) {
    mkdir(path.c_str(), 0755);
    if (geteuid() != 0)
      why = "mounting a tmpfs needs root";
    else if (mount("tmpfs", path.c_str(), "tmpfs", 0, options) != 0)
      why = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
  }
  ~SmallTmpfs() {
    if (why.empty()) umount2(path.c_str(), MNT_DETACH);
  }
  std::string path, why;
};

// Appends "MORE" to the file at `path`, or cuts it to `cut` bytes.
void Change(const std::string& path, bool grow, off_t cut) {
  int fd = open(path.c_str(), O_WRONLY | O_APPEND);
  ASSERT_EQ(grow ? write(fd, "MORE", 4) : ftruncate(fd, cut), grow ? 4 : 0);
  close(fd);
}

// A merge to a pipe that the test holds back: the input changes after the
// first megabyte has come out, while zolt is still copying it. A split
// whose input changes under it at some moment. Either way the output is the
// input as it was read and the run ends normally.
TEST(Faults, AnInputThatShrinksOrGrowsGivesWhatWasThere) {
  const std::string original = Numbered(64 << 20);
  for (bool grow : {false, true}) {
    SCOPED_TRACE(grow ? "grows" : "shrinks");
    TempDir d({{"a", original.substr(0, 16 << 20)}, {"b", "END"}});
    std::string out;
    auto read_and_change = [&](int fd) {
      out = ReadSome(fd, 1 << 20);
      Change(d / "a", grow, 4 << 20);
      out += ReadSome(fd);
    };
    EXPECT_EQ(RunIn(d, {"-M", "a", "b"}, {.during = read_and_change}).status, 0);
    // Whatever was read before the cut, then b: never a byte from nowhere.
    ASSERT_GE(out.size(), 3u);
    EXPECT_EQ(out.substr(out.size() - 3), "END");
    out.resize(out.size() - 3);
    EXPECT_GE(out.size(), size_t{1} << 20);
    EXPECT_TRUE(!grow || out == original.substr(0, 16 << 20) + "MORE") << out.size();
    EXPECT_TRUE(grow || original.compare(0, out.size(), out) == 0) << "not a prefix";

    d.Make("IN", original);
    d.Make("SPLIT/", "");
    auto change = [&](int) {
      usleep(20000);
      Change(d / "IN", grow, 10 << 20);
    };
    // A run that saw the input end early says so, with status 1.
    RunResult r = RunIn(d, {"-S4096.3", "IN", "SPLIT"}, {.during = change});
    EXPECT_TRUE(r.status == 0 || (!grow && r.err.ends_with(Msg("ファイルが変です (^^; : ", "IN"))))
        << r.err;
    std::string joined;
    const std::vector<std::string> names = ListDir(d / "SPLIT");
    for (const std::string& name : names) {
      joined += ReadFile(d / "SPLIT/" + name);
      // A cut that falls between the check for more input and its copy
      // leaves the piece just opened empty; the run then says so (status 1).
      bool may_be_empty = r.status == 1 && name == names.back();
      EXPECT_TRUE(may_be_empty || ReadFile(d / "SPLIT/" + name) != "") << name;
    }
    // Pieces hold the size measured at the start, so what is appended later
    // is not in them (unless the change came before the measure); what is
    // cut off later is missing from them, and only the last piece of a run
    // that saw the input end early may be empty.
    std::string longest = grow ? original + "MORE" : original;
    EXPECT_LE(joined.size(), longest.size());
    EXPECT_TRUE(longest.compare(0, joined.size(), joined) == 0) << "not a prefix";
    EXPECT_GE(joined.size(), grow ? original.size() : 10u << 20);
  }
}

// A size split of a standard input already read part-way: planned from the
// bytes left, with no empty piece.
TEST(Faults, ASizeSplitOfAStandardInputReadPartWay) {
  TempDir d({{"s.txt", Numbered(13893)}});
  RunResult r =
      RunIn(d, {"-S2"}, {.input = Input::kFile, .stdin_path = "s.txt", .stdin_offset = 5000});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("(8,893 byte)\n_stdin_._00\n"), std::string::npos) << r.err;
  std::string joined;
  for (const std::string& name : ListDir(d.path()))
    joined += name == "s.txt" ? "" : ReadFile(d / name);
  EXPECT_EQ(joined, Numbered(13893).substr(5000));
  EXPECT_EQ(ListDir(d.path()).size(), 6u);  // s.txt and pieces 00 to 04
}

// Merge to standard output checks the free space where the data goes (none
// for a pipe), never that of the current directory (none free in /proc).
TEST(Faults, MergeToStandardOutputChecksWhereTheDataGoes) {
  if (TargetIsWin32()) GTEST_SKIP() << "no /proc";
  TempDir d({{"a", "a"}, {"b", "b"}});
  for (Output to : {Output::kPipe, Output::kFile}) {
    RunResult r =
        RunZolt({"-M", d / "a", d / "b"},
                {.input = Input::kDevNull, .output = to, .stdout_path = d / "OUT", .cwd = "/proc"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(to == Output::kFile ? ReadFile(d / "OUT") : r.out, "ab");
  }
}

// Standard descriptors closed at the start: no output file may take their
// numbers, and data meant for a closed standard output is a failed write.
TEST(Faults, ClosedStandardDescriptorsNeverCarryData) {
  if (TargetIsWin32()) GTEST_SKIP() << "the C runtime keeps descriptors 0 to 2 reserved";
  struct Case {
    std::vector<std::string> args;
    std::vector<int> closed;
    int status;
    Files after;
  };
  const std::string piece = std::string(999, 'x') + "\n";
  const Case cases[] = {
      {{"-M", "a", "b", "-o", "ab"}, {2}, 0, {{"ab", "AB"}}},
      {{"-M", "a", "b", "-o", "ab"}, {0, 1, 2}, 0, {{"ab", "AB"}}},
      {{"-S1", "IN", "OUT"}, {2}, 0, {{"OUT/IN._00", piece}, {"OUT/IN._01", piece}}},
      {{"-Cu", "a", "c"}, {0, 2}, 0, {{"c", "A"}}},
      {{"-L", "a"}, {1}, 1, {}},
      {{"-M", "a", "b"}, {1}, 1, {}},
  };
  for (const Case& c : cases) {
    TempDir d({{"a", "A"}, {"b", "B"}, {"IN", piece + piece}, {"OUT/", ""}});
    RunResult r = RunIn(d, c.args, {.closed = c.closed});
    EXPECT_EQ(r.status, c.status) << c.args[0];
    for (const auto& [name, bytes] : c.after) EXPECT_EQ(ReadFile(d / name), bytes) << name;
  }
}

// Split into an output directory that cannot take the pieces: a read-only one
// is refused, a nearly full one gives a reported failed write and a prefix
// of the data.
TEST(Faults, SplitIntoAReadOnlyOrNearlyFullDirectory) {
  const std::string input = Numbered(100000);
  TempDir d({{"IN.TXT", input}});
  SmallTmpfs ro(d / "RO", "size=1m"), small(d / "SMALL", "size=256k");
  if (!ro.why.empty() || !small.why.empty()) GTEST_SKIP() << ro.why << small.why;
  if (mount("tmpfs", ro.path.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) != 0)
    GTEST_SKIP() << "cannot remount the tmpfs read-only";
  RunResult r = RunIn(d, {"-S100", "IN.TXT", "RO"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + Msg("ディレクトリが見つかりません: ", "RO"));
  // 100 pieces of 1,000 bytes pass the free-space check (100,000 bytes) but
  // take a 4 KiB page each, more than the file system holds.
  r = RunIn(d, {"-S1.3", "IN.TXT", "SMALL"});
  EXPECT_EQ(r.status, 1);
  // The piece that finds no room fails as it is written or, on Win32, as it is made.
  const std::string piece = std::string("SMALL") + (TargetIsWin32() ? "\\" : "/") + "IN._";
  EXPECT_TRUE(r.err.find(Sjis("<error> 出力ファイルに書き込めません!: ") + piece) !=
                  std::string::npos ||
              r.err.find(Sjis("ファイルが作成できません") + piece) != std::string::npos)
      << r.err;
  std::string joined;
  for (const std::string& name : ListDir(d / "SMALL")) joined += ReadFile(d / "SMALL/" + name);
  EXPECT_LT(joined.size(), input.size());
  EXPECT_TRUE(input.compare(0, joined.size(), joined) == 0);
}

}  // namespace
}  // namespace e2e

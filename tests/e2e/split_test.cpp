#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {
namespace {

// Runs zolt in `dir`, so that names in arguments and messages are short.
RunResult RunIn(const TempDir& dir, const std::vector<std::string>& args, RunOptions options = {}) {
  options.cwd = dir.path();
  return RunZolt(args, options);
}

// What every split run prints before its piece names.
std::string Start(const std::string& name, const std::string& grouped) {
  return Banner() + "allocated buf size =131072 . ok\nSplitting '" + name + "'(" + grouped +
         " byte)\n";
}

std::string Message(const std::string& utf8, const std::string& variable = "") {
  return Banner() + Sjis(utf8) + variable + "\n";
}

std::string Lines(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

// The pieces of `base` in `dir` in order (names BASE._ and a number).
std::vector<std::string> Pieces(const std::string& dir, const std::string& base) {
  std::vector<std::string> pieces;
  for (const std::string& name : ListDir(dir)) {
    if (name.rfind(base + "._", 0) == 0) pieces.push_back(ReadFile(dir + "/" + name));
  }
  return pieces;
}

// Standard input redirected from the file `path`.
RunOptions FromFile(const std::string& path) {
  RunOptions options;
  options.input = Input::kFile;
  options.stdin_path = path;
  return options;
}

// The separator the program puts between OUTDIR and a piece name.
std::string Sep() {
  return TargetIsWin32() ? "\\" : "/";
}

// A byte count with thousands separators.
std::string Grouped(size_t n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return digits;
}

// ---- Size mode -------------------------------------------------------------

TEST(SplitBySize, CutsThousandsOfBytesAndNamesEveryPiece) {
  TempDir dir;
  WriteFile(dir / "IN.TXT", std::string(12000, 'x'));
  mkdir((dir / "OUT").c_str(), 0755);
  const std::string out = "OUT" + Sep();
  // A trailing separator on OUTDIR is not doubled; an existing piece is replaced.
  for (const std::string& outdir : {std::string("OUT"), out}) {
    RunResult r = RunIn(dir, {"-S5", "IN.TXT", outdir});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              Start("IN.TXT", "12,000") + out + "IN._00\n" + out + "IN._01\n" + out + "IN._02\n");
    EXPECT_EQ(Pieces(dir / "OUT", "IN"),
              (std::vector<std::string>{std::string(5000, 'x'), std::string(5000, 'x'),
                                        std::string(2000, 'x')}));
    WriteFile(dir / "OUT/IN._01", std::string(9000, 'q'));
  }
  if (TargetIsWin32()) {
    // A slash is no separator there: the backslash is still appended.
    RunResult r = RunIn(dir, {"-S5", "IN.TXT", "OUT/"});
    EXPECT_EQ(r.err, Start("IN.TXT", "12,000") + "OUT/\\IN._00\nOUT/\\IN._01\nOUT/\\IN._02\n");
    EXPECT_EQ(ListDir(dir / "OUT"), (std::vector<std::string>{"IN._00", "IN._01", "IN._02"}));
  }
}

TEST(SplitBySize, PieceNumbersFollowTheDigitCount) {
  TempDir dir;
  WriteFile(dir / "A.TXT", std::string(99999, 'a'));
  EXPECT_EQ(RunIn(dir, {"-S1", "A.TXT"}).status, 0);
  EXPECT_EQ(Pieces(dir.path(), "A").size(), 100u);
  EXPECT_EQ(ReadFile(dir / "A._99"), std::string(999, 'a'));

  WriteFile(dir / "B.TXT", std::string(100000, 'b'));
  RunResult r = RunIn(dir, {"-S1", "B.TXT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Message("分割サイズが小さすぎます: "));
  EXPECT_TRUE(Pieces(dir.path(), "B").empty());
  EXPECT_EQ(RunIn(dir, {"-S1.3", "B.TXT"}).status, 0);
  EXPECT_EQ(ReadFile(dir / "B._100"), "");
  EXPECT_EQ(ReadFile(dir / "B._099"), std::string(1000, 'b'));
  r = RunIn(dir, {"-S60.9", "B.TXT"});
  EXPECT_EQ(r.err, Start("B.TXT", "100,000") + "B._00000\nB._00001\n");
}

// ---- Checks before any piece -----------------------------------------------

TEST(SplitChecks, RefuseBadRequestsWithTheirMessages) {
  TempDir dir;
  WriteFile(dir / "IN.TXT", "some text\r\n");
  WriteFile(dir / "EMPTY.TXT", "");
  const std::string no_dir = "ディレクトリが見つかりません: ";
  // clang-format off
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"-S0", "IN.TXT"}, Banner()}, {{"-S10"}, Banner()}, {{"-S10L", "-#X"}, Banner()},
      {{"-S10", "-#X", "IN.TXT"}, Message("サイズ指定とパターン指定は併用できません")},
      {{"-S10", "MISSING.TXT"}, Message("ファイルがオープンできません: ", "MISSING.TXT")},
      {{"-S10", "EMPTY.TXT"}, Message("ファイルが変です (^^; : ", "EMPTY.TXT")},
      {{"-S10", "IN.TXT", "NOWHERE"}, Message(no_dir, "NOWHERE")},
      {{"-S10", "IN.TXT", "EMPTY.TXT"}, Message(no_dir, "EMPTY.TXT")},
  };
  // clang-format on
  for (const auto& [args, err] : cases) {
    SCOPED_TRACE(args.back());
    RunResult r = RunIn(dir, args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, err);
  }
  EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"EMPTY.TXT", "IN.TXT"}));
}

// ---- Redirected standard input ---------------------------------------------

TEST(SplitStdin, RedirectedInputMakesStdinPiecesInTheNamedDirectory) {
  TempDir dir;
  WriteFile(dir / "data", std::string(2500, 's'));
  WriteFile(dir / "lines", Lines({"head", "#mark", "body"}, "\n"));
  mkdir((dir / "NAME").c_str(), 0755);
  time_t before = time(nullptr);
  RunResult r = RunIn(dir, {"-S1", "NAME"}, FromFile(dir / "data"));
  time_t after = time(nullptr);
  EXPECT_EQ(r.status, 0);
  const std::string name = "NAME" + Sep();
  EXPECT_EQ(r.err, Start("stdin", "2,500") + name + "_stdin_._00\n" + name + "_stdin_._01\n" +
                       name + "_stdin_._02\n");
  EXPECT_EQ(ReadFile(dir / "NAME/_stdin_._02"), std::string(500, 's'));
  // Pieces of standard input carry the time of the run.
  struct stat st;
  ASSERT_EQ(stat((dir / "NAME/_stdin_._00").c_str(), &st), 0);
  EXPECT_GE(st.st_mtime, before);
  EXPECT_LE(st.st_mtime, after);
  // A pattern and OUTDIR after the switch.
  EXPECT_EQ(RunIn(dir, {"-S1L", "-#^#", "NAME"}, FromFile(dir / "lines")).status, 0);
  EXPECT_EQ(ReadFile(dir / "NAME/_stdin_._00"), "head\n");
  EXPECT_EQ(ReadFile(dir / "NAME/_stdin_._01"), "#mark\nbody\n");
  // A pipe is refused as an empty file.
  RunOptions pipe;
  pipe.input = Input::kPipe;
  pipe.stdin_data = "line\n";
  r = RunIn(dir, {"-S1"}, pipe);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Message("ファイルが変です (^^; : ", "stdin"));
  EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"NAME", "data", "lines"}));
}

// ---- Time stamps -------------------------------------------------------------

TEST(SplitTimes, PiecesCarryTheInputsTimes) {
  TempDir dir;
  WriteFile(dir / "IN.TXT", std::string(1500, 't'));
  for (const char* sw : {"-S1", "-S1L"}) {
    // Set both before each run, the access time ahead of every other time,
    // where a mere read does not move it (relatime).
    struct timespec times[2] = {{2000000000, 111}, {978307200, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, (dir / "IN.TXT").c_str(), times, 0), 0);
    RunResult r = RunIn(dir, {sw, "IN.TXT"});
    EXPECT_EQ(r.status, 0);
    struct stat st;
    ASSERT_EQ(stat((dir / "IN._00").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 978307200);
    // Windows keeps file times in units of 100 ns.
    EXPECT_EQ(st.st_mtim.tv_nsec, TargetIsWin32() ? 123456700 : 123456789);
    EXPECT_EQ(st.st_atim.tv_sec, 2000000000);
  }
}

// ---- Failures while cutting ---------------------------------------------------

TEST(SplitFailures, TheInputIsNeverTruncatedAsAPiece) {
  TempDir dir;
  std::string book(3000, 'b');
  WriteFile(dir / "BOOK._00", book);
  RunResult r = RunIn(dir, {"-S1", "BOOK._00"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Message("入力ファイルを分割ファイルで上書きできません: ", "BOOK._00"));
  EXPECT_EQ(ReadFile(dir / "BOOK._00"), book);
  EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"BOOK._00"});

  if (TargetIsWin32())
    GTEST_SKIP() << "Wine gives standard handles inherited from the host no volume serial "
                    "number, so the identity of a redirected standard stream cannot be told";
  // The same file reached as standard input and as a later piece.
  mkdir((dir / "O").c_str(), 0755);
  WriteFile(dir / "O/_stdin_._02", book);
  r = RunIn(dir, {"-S1", "O"}, FromFile(dir / "O/_stdin_._02"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Message("入力ファイルを分割ファイルで上書きできません: ", "O/_stdin_._02"));
  EXPECT_EQ(ListDir(dir / "O"), std::vector<std::string>{"_stdin_._02"});
  EXPECT_EQ(ReadFile(dir / "O/_stdin_._02"), book);
}

TEST(SplitFailures, APieceThatCannotBeCreatedOrWrittenEndsTheJobWithStatus1) {
  for (bool write_error : {false, true}) {
    if (write_error && access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    SCOPED_TRACE(write_error ? "write" : "create");
    TempDir dir;
    WriteFile(dir / "IN.TXT", std::string(2500, 'c'));
    if (write_error)
      ASSERT_EQ(symlink("/dev/full", (dir / "IN._01").c_str()), 0);
    else
      ASSERT_EQ(mkdir((dir / "IN._01").c_str(), 0755), 0);
    const std::string failure = write_error
                                    ? "IN._01\n" + Sjis("<error> 出力ファイルに書き込めません!: ")
                                    : Sjis("ファイルが作成できません");
    for (std::string sw : {"-S1", "-S1L"}) {
      if (sw == "-S1L") WriteFile(dir / "IN.TXT", "1\n2\n3\n");
      RunResult r = RunIn(dir, {sw, "IN.TXT"});
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.err,
                Start("IN.TXT", sw == "-S1L" ? "6" : "2,500") + "IN._00\n" + failure + "IN._01\n");
      EXPECT_FALSE(FileExists(dir / "IN._02"));
    }
  }
}

// ---- Pieces ---------------------------------------------------------------------

// Each case splits its input in the current directory and names the
// pieces it expects.
TEST(SplitPieces, NeverInsideACharacterWholeLinesAndMatchingLinesOpenPieces) {
  const std::string kanji = Sjis("漢");
  const std::string chapters = Sjis(Lines({"第1章", "x", "第2章", "y", "第3章", "z"}));
  const std::string longline = std::string(140000, 'x') + "\n";
  const std::string nul("a\0b\n", 4);
  // A match in the second chunk of a long line opens a piece mid-line; the
  // pattern does not see past a NUL byte, but every byte is written.
  const std::string head(131071, 'x');  // one chunk: the work buffer less one byte
  const std::string tail = std::string(4465, 'x') + Sjis("第") + "\n";
  const std::string nul_tail = std::string("y\0", 2) + Sjis("第") + "\n";
  struct Case {
    std::vector<std::string> switches;
    std::string input;
    std::vector<std::string> pieces;
  };
  // clang-format off
  const Case cases[] = {
      // An exact multiple leaves an empty last piece.
      {{"-s1"}, std::string(2000, 'a'), {std::string(1000, 'a'), std::string(1000, 'a'), ""}},
      // Byte 1000 opens a kanji: the piece ends one byte early.
      {{"-S1"}, std::string(999, 'a') + kanji + std::string(1500, 'b'), {std::string(999, 'a'), kanji + std::string(998, 'b'), std::string(502, 'b')}},
      // Byte 1000 ends 0x8E 0x9A, though it lies in a lead range; a last lead byte stays.
      {{"-S1"}, std::string(998, 'a') + "\x8E\x9A" + "tail\x82", {std::string(998, 'a') + "\x8E\x9A", "tail\x82"}},
      {{"-S2L"}, Lines({"a", "b", "c", "d", "e"}), {"a\r\nb\r\n", "c\r\nd\r\n", "e\r\n"}},
      // A last line without LF is not counted and stays with the lines before it.
      {{"-S2l"}, "a\r\nb\r\nc\r\nd\r\ne", {"a\r\nb\r\n", "c\r\nd\r\ne"}},
      {{"-S1L"}, longline + "short\n" + nul + "end\n", {longline, "short\n", nul, "end\n"}},
      {{"-S1L", Sjis("-#^第")}, chapters, {Sjis(Lines({"第1章", "x"})), Sjis(Lines({"第2章", "y"})), Sjis(Lines({"第3章", "z"}))}},
      // A double dash leaves out the cutting lines.
      {{"-S1L", Sjis("--#^第")}, chapters, {Sjis(Lines({"第1章", "x"})), "y\r\n", "z\r\n"}},
      {{"-S2L", Sjis("-#^第")}, chapters, {Sjis(Lines({"第1章", "x", "第2章", "y"})), Sjis(Lines({"第3章", "z"}))}},
      {{"-S1L", "-#nothing"}, chapters, {chapters}},
      {{"-S1L", Sjis("-#第")}, "start\n" + head + tail + nul_tail, {"start\n" + head, tail + nul_tail}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.switches.back() + " on " + std::to_string(c.input.size()) + " bytes");
    TempDir dir;
    WriteFile(dir / "L.TXT", c.input);
    std::vector<std::string> args = c.switches;
    args.push_back("L.TXT");
    RunResult r = RunIn(dir, args);
    EXPECT_EQ(r.status, 0);
    std::string names;
    for (size_t i = 0; i < c.pieces.size(); ++i) names += "L._0" + std::to_string(i) + "\n";
    EXPECT_EQ(r.err, Start("L.TXT", Grouped(c.input.size())) + names);
    EXPECT_TRUE(Pieces(dir.path(), "L") == c.pieces);
  }
}

TEST(SplitByLines, RunningOutOfPieceNumbersStopsWithStatus1) {
  TempDir dir;
  std::string text;
  for (int i = 0; i < 101; ++i) text += std::to_string(i) + "\n";
  WriteFile(dir / "N.TXT", text);
  RunResult r = RunIn(dir, {"-S1L", "N.TXT"});
  EXPECT_EQ(r.status, 1);
  std::string expected = Start("N.TXT", std::to_string(text.size()));
  for (int i = 0; i < 100; ++i)
    expected += "N._" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "\n";
  EXPECT_EQ(r.err, expected + Sjis("分割サイズが小さすぎます: ") + "\n");
  EXPECT_EQ(ReadFile(dir / "N._99"), "99\n");
  EXPECT_FALSE(FileExists(dir / "N._100"));
}

// ---- Properties -----------------------------------------------------------------

// Random text of ASCII, kanji, half-width kana and CR LF / LF line ends.
std::string RandomText(std::mt19937& rng, size_t size) {
  static const std::vector<std::string> atoms = {"a",        "Z",        " ",        "\r\n",
                                                 "\n",       "\xB1",     "\x88\x9F", "\x8E\x9A",
                                                 "\x95\x5C", "\x82\xA0", "\xE0\x40"};
  std::string text;
  while (text.size() < size) text += atoms[rng() % atoms.size()];
  return text;
}

TEST(SplitProperties, JoinedPiecesGiveBackTheInput) {
  std::mt19937 rng(2026);
  for (int round = 0; round < 12; ++round) {
    TempDir dir;
    std::string text = RandomText(rng, 1 + rng() % 20000);
    WriteFile(dir / "R.TXT", text);
    bool lines = round % 2 == 1, pattern = round % 4 == 3;
    int n1 = 1 + static_cast<int>(rng() % (lines ? 40 : 4));
    std::string sw = "-S" + std::to_string(n1) + ".3" + (lines ? "L" : "");
    SCOPED_TRACE(sw + " on " + std::to_string(text.size()) + " bytes");
    RunResult r = pattern ? RunIn(dir, {sw, "-#^a", "R.TXT"}) : RunIn(dir, {sw, "R.TXT"});
    ASSERT_EQ(r.status, 0) << r.err;
    // The pieces join back; no piece but the last ends inside a character,
    // and in line mode each holds exactly n1 line ends.
    std::string joined;
    bool lead = false;
    for (const std::string& piece : Pieces(dir.path(), "R")) {
      EXPECT_FALSE(lead) << "a piece ends on a lead byte before " << joined.size();
      EXPECT_TRUE(!pattern || joined.empty() || piece[0] == 'a');
      bool last = joined.size() + piece.size() == text.size();
      EXPECT_TRUE(last || !lines || pattern || std::count(piece.begin(), piece.end(), '\n') == n1);
      EXPECT_TRUE(last || lines || piece.size() >= n1 * 1000u - 1) << piece.size();
      for (unsigned char b : piece) lead = !lead && ((b >= 0x81 && b <= 0x9F) || b >= 0xE0);
      joined += piece;
    }
    EXPECT_EQ(joined, text);
  }
}

// ---- Over 4 GiB -------------------------------------------------------------------

TEST(SplitLarge, ASparseInputOver4GiBSplitsWith64BitCounts) {
  const int64_t size = (int64_t{1} << 32) + 1234567;
  TempDir dir;
  struct statvfs vfs;
  if (statvfs(dir.path().c_str(), &vfs) != 0 ||
      static_cast<int64_t>(vfs.f_bavail) * static_cast<int64_t>(vfs.f_frsize) <
          size + (int64_t{512} << 20))
    GTEST_SKIP() << "not enough free disk space for the pieces";
  int fd = open((dir / "BIG.DAT").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, size), 0);
  // A lead byte at the end of the first piece, a marker past 4 GiB.
  ASSERT_EQ(pwrite(fd, "\x82", 1, 999999999), 1);
  ASSERT_EQ(pwrite(fd, "MARK", 4, (int64_t{1} << 32) + 5), 4);
  close(fd);
  RunResult r = RunIn(dir, {"-S1000000", "BIG.DAT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            Start("BIG.DAT", "4,296,201,863") + "BIG._00\nBIG._01\nBIG._02\nBIG._03\nBIG._04\n");
  const int64_t expected[] = {999999999, 1000000000, 1000000000, 1000000000, size - 3999999999};
  char bytes[5] = {};
  ssize_t got = 0;
  for (int i = 0; i < 5; ++i) {
    struct stat st;
    std::string name = dir / ("BIG._0" + std::to_string(i));
    ASSERT_EQ(stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, expected[i]) << name;
    fd = open(name.c_str(), O_RDONLY);
    if (i == 1) got += pread(fd, bytes, 1, 0);
    if (i == 4) got += pread(fd, bytes + 1, 4, (int64_t{1} << 32) + 5 - 3999999999);
    close(fd);
  }
  EXPECT_EQ(got, 5);
  EXPECT_EQ(std::string(bytes, 5), "\x82MARK");
}

}  // namespace
}  // namespace e2e

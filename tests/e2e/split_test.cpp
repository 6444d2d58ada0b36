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

// The separator the program puts between OUTDIR and a piece name.
std::string Sep() {
  return TargetIsWin32() ? "\\" : "/";
}

std::string Join(const std::vector<std::string>& pieces) {
  std::string joined;
  for (const std::string& piece : pieces) joined += piece;
  return joined;
}

// ---- Size mode -------------------------------------------------------------

TEST(SplitBySize, CutsThousandsOfBytesAndNamesEveryPiece) {
  TempDir dir;
  WriteFile(dir / "IN.TXT", std::string(12000, 'x'));
  mkdir((dir / "OUT").c_str(), 0755);
  RunResult r = RunIn(dir, {"-S5", "IN.TXT", "OUT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  const std::string out = "OUT" + Sep();
  EXPECT_EQ(r.err,
            Start("IN.TXT", "12,000") + out + "IN._00\n" + out + "IN._01\n" + out + "IN._02\n");
  EXPECT_EQ(ListDir(dir / "OUT"), (std::vector<std::string>{"IN._00", "IN._01", "IN._02"}));
  EXPECT_EQ(ReadFile(dir / "OUT/IN._00"), std::string(5000, 'x'));
  EXPECT_EQ(ReadFile(dir / "OUT/IN._02"), std::string(2000, 'x'));

  // A trailing separator on OUTDIR is not doubled; an existing piece is replaced.
  WriteFile(dir / "OUT/IN._01", std::string(9000, 'q'));
  r = RunIn(dir, {"-S5", "IN.TXT", out});
  EXPECT_EQ(r.err,
            Start("IN.TXT", "12,000") + out + "IN._00\n" + out + "IN._01\n" + out + "IN._02\n");
  EXPECT_EQ(ReadFile(dir / "OUT/IN._01"), std::string(5000, 'x'));
  if (TargetIsWin32()) {
    // A slash is no separator there: the backslash is still appended.
    r = RunIn(dir, {"-S5", "IN.TXT", "OUT/"});
    EXPECT_EQ(r.err, Start("IN.TXT", "12,000") + "OUT/\\IN._00\nOUT/\\IN._01\nOUT/\\IN._02\n");
    EXPECT_EQ(ListDir(dir / "OUT"), (std::vector<std::string>{"IN._00", "IN._01", "IN._02"}));
  }
}

TEST(SplitBySize, ExactMultipleLeavesAnEmptyLastPieceInTheCurrentDirectory) {
  TempDir dir;
  WriteFile(dir / "data.bin", std::string(2000, 'a'));
  RunResult r = RunIn(dir, {"-s1", "data.bin"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Start("data.bin", "2,000") + "data._00\ndata._01\ndata._02\n");
  EXPECT_EQ(ReadFile(dir / "data._01"), std::string(1000, 'a'));
  EXPECT_EQ(ReadFile(dir / "data._02"), "");
}

TEST(SplitBySize, PieceNumbersFollowTheDigitCount) {
  TempDir dir;
  WriteFile(dir / "A.TXT", std::string(99999, 'a'));
  RunResult r = RunIn(dir, {"-S1", "A.TXT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Pieces(dir.path(), "A").size(), 100u);
  EXPECT_EQ(ReadFile(dir / "A._99"), std::string(999, 'a'));

  WriteFile(dir / "B.TXT", std::string(100000, 'b'));
  r = RunIn(dir, {"-S1", "B.TXT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Message("分割サイズが小さすぎます: "));
  EXPECT_TRUE(Pieces(dir.path(), "B").empty());

  r = RunIn(dir, {"-S1.3", "B.TXT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(dir / "B._100"), "");
  EXPECT_EQ(ReadFile(dir / "B._099"), std::string(1000, 'b'));

  r = RunIn(dir, {"-S60.9", "B.TXT"});
  EXPECT_EQ(r.err, Start("B.TXT", "100,000") + "B._00000\nB._00001\n");
}

TEST(SplitBySize, NeverEndsAPieceInsideADoubleByteCharacter) {
  TempDir dir;
  // Byte 1000 opens a kanji: piece 00 ends one byte early and piece 01
  // starts with the whole kanji.
  std::string kanji = Sjis("漢");
  std::string text = std::string(999, 'a') + kanji + std::string(1500, 'b');
  WriteFile(dir / "K.TXT", text);
  RunResult r = RunIn(dir, {"-S1", "K.TXT"});
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> pieces = Pieces(dir.path(), "K");
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0], std::string(999, 'a'));
  EXPECT_EQ(pieces[1], kanji + std::string(998, 'b'));
  EXPECT_EQ(pieces[2], std::string(502, 'b'));

  // Byte 1000 is the second byte of 0x8E 0x9A: it lies in a lead range but
  // ends the character, so the piece ends there.
  text = std::string(998, 'a') + "\x8E\x9A" + "tail\x82";
  WriteFile(dir / "T.TXT", text);
  r = RunIn(dir, {"-S1", "T.TXT"});
  pieces = Pieces(dir.path(), "T");
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], std::string(998, 'a') + "\x8E\x9A");
  // The input's last byte is a lead byte: the last piece still ends with it.
  EXPECT_EQ(pieces[1], "tail\x82");
}

// ---- Checks before any piece -----------------------------------------------

TEST(SplitChecks, RefuseBadRequestsWithTheirMessages) {
  TempDir dir;
  WriteFile(dir / "IN.TXT", "some text\r\n");
  WriteFile(dir / "EMPTY.TXT", "");

  RunResult r = RunIn(dir, {"-S0", "IN.TXT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner());

  r = RunIn(dir, {"-S10"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner());

  r = RunIn(dir, {"-S10", "-#X", "IN.TXT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Message("サイズ指定とパターン指定は併用できません"));

  r = RunIn(dir, {"-S10L", "-#X"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner());

  r = RunIn(dir, {"-S10", "MISSING.TXT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Message("ファイルがオープンできません: ", "MISSING.TXT"));

  r = RunIn(dir, {"-S10", "EMPTY.TXT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Message("ファイルが変です (^^; : ", "EMPTY.TXT"));

  r = RunIn(dir, {"-S10", "IN.TXT", "NOWHERE"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Message("ディレクトリが見つかりません: ", "NOWHERE"));

  r = RunIn(dir, {"-S10", "IN.TXT", "EMPTY.TXT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Message("ディレクトリが見つかりません: ", "EMPTY.TXT"));

  // Same FILE and OUTDIR: the front end refuses before splitting.
  r = RunIn(dir, {"-S10", "IN.TXT", "in.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Message("入力ファイルと出力ファイルが同名ファイルです!"));

  EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"EMPTY.TXT", "IN.TXT"}));
}

// ---- Redirected standard input ---------------------------------------------

TEST(SplitStdin, RedirectedInputMakesStdinPiecesInTheNamedDirectory) {
  TempDir dir;
  WriteFile(dir / "data", std::string(2500, 's'));
  mkdir((dir / "NAME").c_str(), 0755);
  RunOptions options;
  options.input = Input::kFile;
  options.stdin_path = dir / "data";
  time_t before = time(nullptr);
  RunResult r = RunIn(dir, {"-S1", "NAME"}, options);
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
}

TEST(SplitStdin, APipeIsRefusedAsAnEmptyFile) {
  TempDir dir;
  RunOptions options;
  options.input = Input::kPipe;
  options.stdin_data = "line\n";
  RunResult r = RunIn(dir, {"-S1"}, options);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Message("ファイルが変です (^^; : ", "stdin"));
  EXPECT_TRUE(ListDir(dir.path()).empty());
}

TEST(SplitStdin, PatternAndOutdirAfterTheSwitch) {
  TempDir dir;
  WriteFile(dir / "data", Lines({"head", "#mark", "body"}, "\n"));
  mkdir((dir / "O").c_str(), 0755);
  RunOptions options;
  options.input = Input::kFile;
  options.stdin_path = dir / "data";
  RunResult r = RunIn(dir, {"-S1L", "-#^#", "O"}, options);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(dir / "O/_stdin_._00"), "head\n");
  EXPECT_EQ(ReadFile(dir / "O/_stdin_._01"), "#mark\nbody\n");
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
  RunOptions options;
  options.input = Input::kFile;
  options.stdin_path = dir / "O/_stdin_._02";
  r = RunIn(dir, {"-S1", "O"}, options);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Message("入力ファイルを分割ファイルで上書きできません: ", "O/_stdin_._02"));
  EXPECT_EQ(ListDir(dir / "O"), std::vector<std::string>{"_stdin_._02"});
  EXPECT_EQ(ReadFile(dir / "O/_stdin_._02"), book);
}

TEST(SplitFailures, APieceThatCannotBeCreatedEndsTheJobWithStatus1) {
  TempDir dir;
  WriteFile(dir / "IN.TXT", std::string(2500, 'c'));
  mkdir((dir / "IN._01").c_str(), 0755);
  RunResult r = RunIn(dir, {"-S1", "IN.TXT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            Start("IN.TXT", "2,500") + "IN._00\n" + Sjis("ファイルが作成できません") + "IN._01\n");
  EXPECT_EQ(ReadFile(dir / "IN._00"), std::string(1000, 'c'));
  EXPECT_FALSE(FileExists(dir / "IN._02"));

  r = RunIn(dir, {"-S1L", "IN.TXT"});  // one line without LF: piece 00 only
  EXPECT_EQ(r.status, 0);
  WriteFile(dir / "IN.TXT", "1\n2\n3\n");
  r = RunIn(dir, {"-S1L", "IN.TXT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            Start("IN.TXT", "6") + "IN._00\n" + Sjis("ファイルが作成できません") + "IN._01\n");
}

TEST(SplitFailures, AWriteErrorNamesThePieceAndGivesStatus1) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  TempDir dir;
  WriteFile(dir / "IN.TXT", std::string(2500, 'w'));
  ASSERT_EQ(symlink("/dev/full", (dir / "IN._01").c_str()), 0);
  RunResult r = RunIn(dir, {"-S1", "IN.TXT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Start("IN.TXT", "2,500") + "IN._00\nIN._01\n" +
                       Sjis("<error> 出力ファイルに書き込めません!: ") + "IN._01\n");
  EXPECT_FALSE(FileExists(dir / "IN._02"));

  WriteFile(dir / "IN.TXT", "a\nb\nc\n");
  r = RunIn(dir, {"-S1L", "IN.TXT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Start("IN.TXT", "6") + "IN._00\nIN._01\n" +
                       Sjis("<error> 出力ファイルに書き込めません!: ") + "IN._01\n");
}

// ---- Line mode ----------------------------------------------------------------

TEST(SplitByLines, EveryPieceHoldsNCompleteLines) {
  TempDir dir;
  WriteFile(dir / "L.TXT", Lines({"a", "b", "c", "d", "e"}));
  RunResult r = RunIn(dir, {"-S2L", "L.TXT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Start("L.TXT", "15") + "L._00\nL._01\nL._02\n");
  EXPECT_EQ(Pieces(dir.path(), "L"),
            (std::vector<std::string>{"a\r\nb\r\n", "c\r\nd\r\n", "e\r\n"}));

  // A last line without LF is not counted and stays with the lines before it.
  TempDir dir2;
  WriteFile(dir2 / "L.TXT", "a\r\nb\r\nc\r\nd\r\ne");
  r = RunIn(dir2, {"-S2l", "L.TXT"});
  EXPECT_EQ(Pieces(dir2.path(), "L"), (std::vector<std::string>{"a\r\nb\r\n", "c\r\nd\r\ne"}));

  // Lone CRs end no line.
  TempDir dir3;
  WriteFile(dir3 / "M.TXT", "a\rb\rc\r");
  r = RunIn(dir3, {"-S1L", "M.TXT"});
  EXPECT_EQ(Pieces(dir3.path(), "M"), std::vector<std::string>{"a\rb\rc\r"});
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

TEST(SplitByLines, LongLinesCountOnceAndNulBytesAreWritten) {
  TempDir dir;
  std::string longline(140000, 'x');
  longline += "\n";
  WriteFile(dir / "W.TXT", longline + "short\n" + std::string("a\0b\n", 4) + "end\n");
  RunResult r = RunIn(dir, {"-S1L", "W.TXT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Pieces(dir.path(), "W"),
            (std::vector<std::string>{longline, "short\n", std::string("a\0b\n", 4), "end\n"}));
}

// ---- Pattern mode ----------------------------------------------------------------

std::string Chapters() {
  return Sjis(Lines({"第1章", "x", "第2章", "y", "第3章", "z"}));
}

TEST(SplitByPattern, EveryMatchingLineOpensAPiece) {
  TempDir dir;
  WriteFile(dir / "BOOK.TXT", Chapters());
  mkdir((dir / "OUT").c_str(), 0755);
  RunResult r = RunIn(dir, {"-S1L", Sjis("-#^第"), "BOOK.TXT", "OUT"});
  EXPECT_EQ(r.status, 0);
  const std::string out = "OUT" + Sep();
  EXPECT_EQ(r.err, Start("BOOK.TXT", std::to_string(Chapters().size())) + out + "BOOK._00\n" + out +
                       "BOOK._01\n" + out + "BOOK._02\n");
  EXPECT_EQ(Pieces(dir / "OUT", "BOOK"),
            (std::vector<std::string>{Sjis(Lines({"第1章", "x"})), Sjis(Lines({"第2章", "y"})),
                                      Sjis(Lines({"第3章", "z"}))}));
}

TEST(SplitByPattern, DoubleDashLeavesOutTheCuttingLines) {
  TempDir dir;
  WriteFile(dir / "BOOK.TXT", Chapters());
  RunResult r = RunIn(dir, {"-S1L", Sjis("--#^第"), "BOOK.TXT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Pieces(dir.path(), "BOOK"),
            (std::vector<std::string>{Sjis(Lines({"第1章", "x"})), "y\r\n", "z\r\n"}));
}

TEST(SplitByPattern, EveryNthMatchAndNoMatch) {
  TempDir dir;
  WriteFile(dir / "BOOK.TXT", Chapters());
  RunResult r = RunIn(dir, {"-S2L", Sjis("-#^第"), "BOOK.TXT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Pieces(dir.path(), "BOOK"),
            (std::vector<std::string>{Sjis(Lines({"第1章", "x", "第2章", "y"})),
                                      Sjis(Lines({"第3章", "z"}))}));
  TempDir dir2;
  WriteFile(dir2 / "BOOK.TXT", Chapters());
  r = RunIn(dir2, {"-S1L", "-#nothing", "BOOK.TXT"});
  EXPECT_EQ(Pieces(dir2.path(), "BOOK"), std::vector<std::string>{Chapters()});
}

TEST(SplitByPattern, ChunksAreTestedOnTheirOwnAndUpToTheirFirstNul) {
  TempDir dir;
  // A match in the second chunk of a long line opens a piece mid-line.
  std::string head(131071, 'x');  // one chunk: the work buffer less one byte
  std::string tail = std::string(4465, 'x') + Sjis("第") + "\n";
  // The pattern does not see past a NUL byte, but every byte is written.
  std::string nul = std::string("y\0", 2) + Sjis("第") + "\n";
  WriteFile(dir / "P.TXT", "start\n" + head + tail + nul);
  RunResult r = RunIn(dir, {"-S1L", Sjis("-#第"), "P.TXT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Pieces(dir.path(), "P"), (std::vector<std::string>{"start\n" + head, tail + nul}));
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
    bool lines = round % 2 == 1;
    int n1 = 1 + static_cast<int>(rng() % (lines ? 40 : 4));
    bool pattern = round % 4 == 3;
    std::string sw = "-S" + std::to_string(n1) + ".3" + (lines ? "L" : "");
    SCOPED_TRACE(sw + " on " + std::to_string(text.size()) + " bytes");
    RunResult r = pattern ? RunIn(dir, {sw, "-#^a", "R.TXT"}) : RunIn(dir, {sw, "R.TXT"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> pieces = Pieces(dir.path(), "R");
    EXPECT_EQ(Join(pieces), text);
    // No piece but the last ends inside a character; in line mode each
    // holds exactly n1 line ends.
    size_t offset = 0;
    for (size_t i = 0; i + 1 < pieces.size(); ++i) {
      offset += pieces[i].size();
      if (pattern) {
        EXPECT_EQ(pieces[i + 1][0], 'a');
      } else if (lines) {
        EXPECT_EQ(std::count(pieces[i].begin(), pieces[i].end(), '\n'), n1);
      } else {
        EXPECT_GE(pieces[i].size(), n1 * 1000u - 1);
      }
      // Walk the text from its start to find the class of the last byte.
      bool lead = false;
      for (size_t k = 0; k < offset; ++k) {
        unsigned char b = static_cast<unsigned char>(text[k]);
        lead = !lead && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
      }
      EXPECT_FALSE(lead) << "piece " << i << " ends on a lead byte";
    }
  }
}

// ---- Over 4 GiB -------------------------------------------------------------------

TEST(SplitLarge, ASparseInputOver4GiBSplitsWith64BitCounts) {
  const int64_t size = (int64_t{1} << 32) + 1234567;
  TempDir dir;
  struct statvfs vfs;
  if (statvfs(dir.path().c_str(), &vfs) != 0 ||
      static_cast<int64_t>(vfs.f_bavail) * static_cast<int64_t>(vfs.f_frsize) <
          size + (int64_t{512} << 20)) {
    GTEST_SKIP() << "not enough free disk space for the pieces";
  }
  std::string big = dir / "BIG.DAT";
  int fd = open(big.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
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
  for (int i = 0; i < 5; ++i) {
    struct stat st;
    std::string name = dir / ("BIG._0" + std::to_string(i));
    ASSERT_EQ(stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, expected[i]) << name;
  }
  char head = 0;
  fd = open((dir / "BIG._01").c_str(), O_RDONLY);
  ASSERT_EQ(pread(fd, &head, 1, 0), 1);
  close(fd);
  EXPECT_EQ(head, '\x82');
  char mark[4] = {};
  fd = open((dir / "BIG._04").c_str(), O_RDONLY);
  ASSERT_EQ(pread(fd, mark, 4, (int64_t{1} << 32) + 5 - 3999999999), 4);
  close(fd);
  EXPECT_EQ(std::string(mark, 4), "MARK");
}

}  // namespace
}  // namespace e2e

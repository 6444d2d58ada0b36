#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {
namespace {

// What every split run prints after the banner, before its piece names.
std::string Start(const std::string& name, const std::string& grouped) {
  return "allocated buf size =16384 . ok\nSplitting '" + name + "'(" + grouped + " byte)\n";
}

// The lines in CP932, each ended by CR LF.
std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += Sjis(line) + "\r\n";
  return text;
}

// The names BASE._NN of `count` pieces with `digits` digits, one a line.
std::string Names(const std::string& base, size_t count, int digits = 2) {
  std::string names;
  for (size_t i = 0; i < count; ++i) {
    std::string number = std::to_string(i);
    names += base + "._" + std::string(size_t(std::max(0, digits - int(number.size()))), '0') +
             number + "\n";
  }
  return names;
}

// One run in a fresh directory: the files before it (see TempDir::Make),
// what it prints on standard error after the banner, files after it and,
// when given, every piece (a file named *._*) in the directory.
struct Case {
  Files before;
  std::vector<std::string> args;
  int status;
  std::string err;
  Files after = {};
  std::vector<std::string> pieces = {};
  Input input = Input::kTerminal;
  std::string in = "";  // kFile: a name in the directory; kPipe: the data
  On on = On::kBoth;
};

// A run that splits `input`, saved as L.TXT, into `pieces`.
Case Cut(std::vector<std::string> args, const std::string& input, std::vector<std::string> pieces) {
  std::string grouped = std::to_string(input.size());
  for (int at = static_cast<int>(grouped.size()) - 3; at > 0; at -= 3)
    grouped.insert(size_t(at), ",");
  args.push_back("L.TXT");
  return {
      {{"L.TXT", input}}, args, 0, Start("L.TXT", grouped) + Names("L", pieces.size()), {}, pieces};
}

TEST(Split, TableOfRuns) {
  const std::string sep = TargetIsWin32() ? "\\" : "/";  // between OUTDIR and a piece name
  const std::string out = "OUT" + sep, x5000(5000, 'x'), book(3000, 'b'), probe = "_ZO_$$$$.TMP";
  const std::string cannot_create = Sjis("ファイルが作成できません");
  const std::string overwrite = "入力ファイルを分割ファイルで上書きできません: ";
  const std::string no_dir = "ディレクトリが見つかりません: ",
                    too_small = "分割サイズが小さすぎます: ";
  const Files bad = {{"IN.TXT", "some text\r\n"}, {"EMPTY.TXT", ""}};
  const Files big = {{"B.TXT", std::string(100000, 'b')}};
  const Files no_piece = {{"IN._00", "<missing>"}, {"EMPTY._00", "<missing>"}};
  std::string numbers;
  for (int i = 0; i < 101; ++i) numbers += std::to_string(i) + "\n";
  const std::string kanji = Sjis("漢"), hyo = Sjis("表"),
                    chapters = Lines({"第1章", "x", "第2章", "y", "第3章", "z"});
  const std::string longline = std::string(140000, 'x') + "\n", nul("a\0b\n", 4);
  const std::string a743(743, 'a');
  auto run = [](int count) {  // count pairs 0x8E 0x9A: every byte in a lead range
    std::string pairs;
    for (int i = 0; i < count; ++i) pairs += "\x8E\x9A";
    return pairs;
  };
  // A line longer than a chunk (the work buffer less one byte) is tested
  // on its first chunk only, and left out whole; the pattern does not see
  // past a NUL byte, but every byte is written.
  const std::string x16383(16383, 'x'), para = x16383 + Sjis("第") + "y\n",
                                        long_dai = Sjis("第") + std::string(20000, 'z') + "\n",
                                        cr = x16383 + "----\r-\r";
  const std::string nul_dai = std::string("y\0", 2) + Sjis("第") + "\n";
  std::string kata(18000, 'A');  // ア x 9000: every trail byte is 'A'
  for (size_t i = 0; i < kata.size(); i += 2) kata[i] = '\x83';
  // Lines of 16 bytes up to the end of the first 128 KiB input block.
  std::string block;
  while (block.size() < 131072) block += "fifteen bytes..\n";
  // Lines of every length mod 64 opening with 第, its lead byte only, or 第 after a byte.
  std::string dai_in;
  std::vector<std::string> dai_pieces(1);
  for (size_t i = 0; i < 300; ++i) {
    std::string line =
        (i % 3 ? i % 3 == 1 ? "a" + Sjis("第") : "" : "\x91\xE5") + std::string(i % 11, 'n') + "\n";
    if (i % 7 == 6) dai_pieces.emplace_back(), line = Sjis("第") + line;
    dai_in += line, dai_pieces.back() += line;
  }
  // Lines holding 注x, 注y, or 注's bytes read as other characters; 注 across an input block's end
  // after a line that began in the block before.
  const std::string chu = Sjis("注x"), z140k(140000, 'z'), edge = "abcdefghijklmno" + chu + "\n";
  std::string chu_in;
  std::vector<std::string> chu_pieces(1);
  for (size_t i = 0; i < 200; ++i) {
    std::string line = std::string(i % 13, 'n') +
                       (i % 5 == 4   ? chu
                        : i % 5 == 1 ? Sjis("注y")
                                     : "\x88\x92\x8Dx") +
                       "\n";
    if (i % 5 == 4) chu_pieces.emplace_back();
    chu_in += line, chu_pieces.back() += line;
  }
  // clang-format off
  const Case cases[] = {
      // Size mode names every piece; an existing probe proves OUTDIR and is
      // kept, a trailing separator is not doubled, an existing piece is replaced.
      {{{"IN.TXT", std::string(12000, 'x')}, {"OUT/", ""}, {"OUT/" + probe, "keep"}}, {"-S5", "IN.TXT", "OUT"},
       0, Start("IN.TXT", "12,000") + Names(out + "IN", 3), {{"OUT/IN._00", x5000}, {"OUT/IN._01", x5000}, {"OUT/IN._02", std::string(2000, 'x')}, {"OUT/" + probe, "keep"}}},
      {{{"IN.TXT", std::string(12000, 'x')}, {"OUT/", ""}, {"OUT/IN._01", "q"}}, {"-S5", "IN.TXT", out},
       0, Start("IN.TXT", "12,000") + Names(out + "IN", 3), {{"OUT/IN._01", x5000}}},
      // A slash separates on Windows too: no backslash is appended after it.
      {{{"IN.TXT", std::string(12000, 'x')}, {"OUT/", ""}}, {"-S5", "IN.TXT", "OUT/"},
       0, Start("IN.TXT", "12,000") + Names("OUT/IN", 3), {{"OUT/IN._02", std::string(2000, 'x')}}},
      // Base name: after the last separator ('/' on both; 表 ends in 0x5C), without the last extension.
      {{{"D.X/", ""}, {"D.X/.A.B", "dot"}}, {"-S1", "D.X/.A.B"}, 0, Start("D.X/.A.B", "3") + ".A._00\n", {{".A._00", "dot"}}},
      {{{hyo + "/", ""}, {hyo + "/" + hyo + "._03", book}}, {"-S1", hyo + "/" + hyo + "._03"}, 0,
       Start(hyo + "/" + hyo + "._03", "3,000") + Names(hyo, 4), {{hyo + "/" + hyo + "._03", book}, {hyo + "._03", ""}}},
      // Piece numbers follow the digit count; a switch ending in a digit is size mode.
      {{{"A.TXT", std::string(99999, 'a')}}, {"-S1", "A.TXT"}, 0, Start("A.TXT", "99,999") + Names("A", 100), {{"A._99", std::string(999, 'a')}}},
      {big, {"-S1", "B.TXT"}, 1, Msg(too_small), {{"B._00", "<missing>"}}},
      {big, {"-S1.3", "B.TXT"}, 0, Start("B.TXT", "100,000") + Names("B", 101, 3), {{"B._100", ""}, {"B._099", std::string(1000, 'b')}}},
      {big, {"-S60.9", "B.TXT"}, 0, Start("B.TXT", "100,000") + Names("B", 2, 5)},
      {big, {"-S40L.1", "B.TXT"}, 0, Start("B.TXT", "100,000") + Names("B", 3), {{"B._02", std::string(20000, 'b')}}},
      {bad, {"-S99999999999999999999999", "IN.TXT"}, 0, Start("IN.TXT", "11") + "IN._00\n", {{"IN._00", "some text\r\n"}}},
      {{{"N.TXT", numbers}}, {"-S1L", "N.TXT"}, 1, Start("N.TXT", "294") + Names("N", 100) + Msg(too_small), {{"N._99", "99\n"}, {"N._100", "<missing>"}}},
      // Bad requests are refused before any piece.
      {bad, {"-S0", "IN.TXT"}, 1, "", no_piece},
      {bad, {"-S10"}, 1, ""},
      {bad, {"-S10L", "-#X"}, 1, ""},
      {bad, {"-S10", "-#X", "IN.TXT"}, 1, Msg("サイズ指定とパターン指定は併用できません"), no_piece},
      {bad, {"-S10", "MISSING.TXT"}, 1, Msg("ファイルがオープンできません: ", "MISSING.TXT")},
      {bad, {"-S10", "EMPTY.TXT"}, 1, Msg("ファイルが変です (^^; : ", "EMPTY.TXT"), no_piece},
      {{{"DIR/", ""}}, {"-S1", "DIR"}, 1, Msg("ファイルがオープンできません: ", "DIR"), {{"DIR._00", "<missing>"}}},
      {bad, {"-S10", "IN.TXT", "NOWHERE"}, 1, Msg(no_dir, "NOWHERE"), no_piece},
      {bad, {"-S10", "IN.TXT", "EMPTY.TXT"}, 1, Msg(no_dir, "EMPTY.TXT"), no_piece},
      // A probe already in OUTDIR proves it and is left alone: a FIFO is not
      // waited on, a link neither followed nor its target made or emptied.
      {{{"IN.TXT", x5000}, {"OUT/", ""}, {"|OUT/" + probe, ""}}, {"-S5", "IN.TXT", "OUT"}, 0,
       Start("IN.TXT", "5,000") + Names(out + "IN", 2), {{"OUT/IN._00", x5000}}, {}, Input::kTerminal, "", On::kPosix},
      {{{"IN.TXT", x5000}, {"OUT/", ""}, {"KEEP", "k"}, {"@OUT/" + probe, "../KEEP"}}, {"-S5", "IN.TXT", "OUT"}, 0,
       Start("IN.TXT", "5,000") + Names(out + "IN", 2), {{"KEEP", "k"}, {"OUT/IN._00", x5000}}, {}, Input::kTerminal, "", On::kPosix},
      {{{"IN.TXT", x5000}, {"OUT/", ""}, {"@OUT/" + probe, "../GONE"}}, {"-S5", "IN.TXT", "OUT"}, 0,
       Start("IN.TXT", "5,000") + Names(out + "IN", 2), {{"GONE", "<missing>"}, {"OUT/IN._00", x5000}}, {}, Input::kTerminal, "", On::kPosix},
      // Redirected standard input makes _stdin_ pieces in the named directory;
      // a pipe is refused as an empty file.
      {{{"data", std::string(2500, 's')}, {"NAME/", ""}}, {"-S1", "NAME"}, 0,
       Start("stdin", "2,500") + Names("NAME" + sep + "_stdin_", 3), {{"NAME/_stdin_._02", std::string(500, 's')}}, {}, Input::kFile, "data"},
      {{{"data", "head\n#mark\nbody\n"}, {"O/", ""}}, {"-S1L", "-#^#", "O"}, 0,
       Start("stdin", "16") + Names("O" + sep + "_stdin_", 2), {{"O/_stdin_._00", "head\n"}, {"O/_stdin_._01", "#mark\nbody\n"}}, {}, Input::kFile, "data"},
      {{}, {"-S1"}, 1, Msg("ファイルが変です (^^; : ", "stdin"), {{"_stdin_._00", "<missing>"}}, {}, Input::kPipe, "line\n"},
      // The input is never truncated as a piece, also when it is standard input.
      {{{"BOOK._03", book}}, {"-S1", "BOOK._03"}, 1, Msg(overwrite, "BOOK._03"), {{"BOOK._03", book}, {"BOOK._00", "<missing>"}}},
      {{{"abcdefghijklm._01", book}}, {"-S1", "ABCD~HK5._01"}, 1, Msg(overwrite, "ABCD~HK5._01"), {{"abcdefghijklm._01", book}},  // Wine's short name
       {}, Input::kTerminal, "", On::kWin32},
      {{{"O/", ""}, {"O/_stdin_._02", book}}, {"-S1", "O"}, 1, Msg(overwrite, "O/_stdin_._02"),
       {{"O/_stdin_._02", book}, {"O/_stdin_._00", "<missing>"}}, {}, Input::kFile, "O/_stdin_._02", On::kPosix},
      // A piece that cannot be created or written ends the job with status 1.
      {{{"IN.TXT", std::string(2500, 'c')}, {"IN._01/", ""}}, {"-S1", "IN.TXT"}, 1,
       Start("IN.TXT", "2,500") + "IN._00\n" + cannot_create + "IN._01\n", {{"IN._00", std::string(1000, 'c')}, {"IN._02", "<missing>"}}},
      {{{"IN.TXT", "1\n2\n3\n"}, {"IN._01/", ""}}, {"-S1L", "IN.TXT"}, 1,
       Start("IN.TXT", "6") + "IN._00\n" + cannot_create + "IN._01\n", {{"IN._02", "<missing>"}}},
      // A piece name that is no regular file (a link, a FIFO) is left alone.
      {{{"IN.TXT", std::string(2500, 'c')}, {"KEEP", "k"}, {"@IN._01", "KEEP"}}, {"-S1", "IN.TXT"}, 1,
       Start("IN.TXT", "2,500") + "IN._00\n" + cannot_create + "IN._01\n", {{"KEEP", "k"}, {"IN._02", "<missing>"}}, {}, Input::kTerminal, "", On::kPosix},
      {{{"IN.TXT", "1\n2\n3\n"}, {"|IN._01", ""}}, {"-S1L", "IN.TXT"}, 1,
       Start("IN.TXT", "6") + "IN._00\n" + cannot_create + "IN._01\n", {{"IN._02", "<missing>"}}, {}, Input::kTerminal, "", On::kPosix},
      // Size pieces: an exact multiple leaves an empty last piece; a piece
      // whose last byte would open a kanji ends one byte early, one ending on
      // 0x8E 0x9A does not; a lead byte that ends the input stays in the last.
      Cut({"-s1"}, std::string(2000, 'a'), {std::string(1000, 'a'), std::string(1000, 'a'), ""}),
      Cut({"-S1"}, std::string(999, 'a') + kanji + std::string(1500, 'b'), {std::string(999, 'a'), kanji + std::string(998, 'b'), std::string(502, 'b')}),
      Cut({"-S1"}, std::string(998, 'a') + "\x8E\x9A" + "tail\x82", {std::string(998, 'a') + "\x8E\x9A", "tail\x82"}),
      // Lead-range runs before a cut: back to a byte outside them, back to
      // the piece start, and one filling all but a byte of a 256-byte look-back step.
      Cut({"-S1"}, "a" + run(1000), {"a" + run(499), run(500), run(1)}),
      Cut({"-S1"}, a743 + "\x8E" "a" + std::string(255, '\x82') + "z", {a743 + "\x8E" "a" + std::string(254, '\x82'), "\x82z"}),
      // Line pieces hold whole lines; a last line without LF stays with the
      // lines before it unless it is longer than a chunk.
      Cut({"-S2L"}, Lines({"a", "b", "c", "d", "e"}), {"a\r\nb\r\n", "c\r\nd\r\n", "e\r\n"}),
      Cut({"-S2l"}, "a\r\nb\r\nc\r\nd\r\ne", {"a\r\nb\r\n", "c\r\nd\r\ne"}),
      Cut({"-S1L"}, longline + "short\n" + nul + "end\n", {longline, "short\n", nul, "end\n"}),
      Cut({"-S1L"}, "a\n" + x16383 + "y", {"a\n", x16383 + "y"}),
      Cut({"-S1L"}, "a\n" + x16383, {"a\n" + x16383}),
      // Matching lines open pieces (the first line is never tested); a
      // double dash leaves out the cutting lines.
      Cut({"-S1L", Sjis("-#^第")}, chapters, {Lines({"第1章", "x"}), Lines({"第2章", "y"}), Lines({"第3章", "z"})}),
      Cut({"-S1L", Sjis("--#^第")}, chapters, {Lines({"第1章", "x"}), "y\r\n", "z\r\n"}),
      Cut({"-S2L", Sjis("-#^第")}, chapters, {Lines({"第1章", "x", "第2章", "y"}), Lines({"第3章", "z"})}),
      Cut({"-S1L", "-#nothing"}, chapters, {chapters}),
      Cut({"-S1L", Sjis("--#^第")}, "s\n" + para + long_dai + nul_dai + "e\n", {"s\n" + para, nul_dai + "e\n"}),
      Cut({"-S1L", "--#----"}, cr, {cr}), Cut({"-S1L", "-#^A"}, "a\n" + kata + "\nb\n", {"a\n" + kata + "\nb\n"}),
      Cut({"-S1L", "-#x$"}, "a\n" + x16383 + "\n" + x16383, {"a\n" + x16383 + "\n", x16383}),
      Cut({"-S1L", "-#^y"}, block + "y\n", {block, "y\n"}),
      Cut({"-S1L", Sjis("-#^第")}, dai_in, dai_pieces),
      Cut({"-S1L", Sjis("-#注x")}, chu_in, chu_pieces),
      Cut({"-S1L", Sjis("-#注x")}, block.substr(0, 131056) + edge, {block.substr(0, 131056), edge}),
      Cut({"-S1L", Sjis("-#注x")}, "a\n" + z140k + chu + "\n" + chu + "\n", {"a\n" + z140k + chu + "\n", chu + "\n"}),
      Cut({"-S1L", Sjis("-#注x")}, "a\n" + z140k + "\n" + std::string(122124, 'f') + "\n" + edge, {"a\n" + z140k + "\n" + std::string(122124, 'f') + "\n", edge}),
  };
  // clang-format on
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("case " + std::to_string(index++));
    if (!RunsHere(c.on)) continue;
    TempDir dir(c.before);
    RunResult r = RunZolt(
        c.args, {.input = c.input, .stdin_path = c.in, .stdin_data = c.in, .cwd = dir.path()});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, Banner() + c.err);
    for (const auto& [name, bytes] : c.after)
      EXPECT_TRUE(SameBytes(ReadFile(HostName(dir / name)), bytes)) << name;
    std::vector<std::string> pieces;
    for (const std::string& name : ListDir(dir.path()))
      if (!c.pieces.empty() && name.find("._") != std::string::npos)
        pieces.push_back(ReadFile(dir / name));
    EXPECT_EQ(pieces.size(), c.pieces.size());
    for (size_t i = 0; i < std::min(pieces.size(), c.pieces.size()); ++i)
      EXPECT_TRUE(SameBytes(pieces[i], c.pieces[i])) << "piece " << i;
  }
}

// Pieces carry the input's times; pieces of standard input the time of the run.
TEST(Split, PiecesCarryTheInputsTimes) {
  TempDir dir({{"IN.TXT", std::string(1500, 't')}});
  const long ns = TargetIsWin32() ? 123456700 : 123456789;  // Windows counts in 100 ns
  const char* rows[][3] = {
      {"-S1", "IN.TXT", "IN._00"}, {"-S1L", "IN.TXT", "IN._00"}, {"-S1", ".", "_stdin_._00"}};
  for (const auto& [sw, arg, piece] : rows) {
    SCOPED_TRACE(std::string(sw) + " " + arg);
    // Set both before each run, the access time ahead of every other time,
    // where a mere read does not move it (relatime).
    struct timespec times[2] = {{2000000000, 111}, {978307200, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, (dir / "IN.TXT").c_str(), times, 0), 0);
    const bool now = arg[0] == '.';  // standard input is IN.TXT
    const time_t start = time(nullptr);
    RunOptions options{.input = now ? Input::kFile : Input::kTerminal, .stdin_path = "IN.TXT"};
    options.cwd = dir.path();
    EXPECT_EQ(RunZolt({sw, arg}, options).status, 0);
    struct stat st;
    ASSERT_EQ(stat((dir / piece).c_str(), &st), 0);
    EXPECT_GE(st.st_mtime, now ? start : 978307200);
    EXPECT_LE(st.st_mtime, now ? time(nullptr) + 1 : 978307200);  // time() may lag the clock
    EXPECT_TRUE(now || (st.st_mtim.tv_nsec == ns && st.st_atim.tv_sec == 2000000000));
  }
}

TEST(SplitLarge, ASparseInputOver4GiBSplitsWith64BitCounts) {
  const int64_t size = (int64_t{1} << 32) + 1234567;
  TempDir dir;
  if (FreeBytes(dir.path()) < uint64_t(size + (int64_t{512} << 20)))
    GTEST_SKIP() << "not enough free disk space for the pieces";
  int fd = open((dir / "BIG.DAT").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, size), 0);
  // A lead byte at the end of the first piece, a marker past 4 GiB.
  ASSERT_EQ(pwrite(fd, "\x82", 1, 999999999), 1);
  ASSERT_EQ(pwrite(fd, "MARK", 4, (int64_t{1} << 32) + 5), 4);
  close(fd);
  RunResult r = RunZolt({"-S1000000", "BIG.DAT"}, {.cwd = dir.path()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner() + Start("BIG.DAT", "4,296,201,863") + Names("BIG", 5));
  const int64_t expected[] = {999999999, 1000000000, 1000000000, 1000000000, size - 3999999999};
  for (int i = 0; i < 5; ++i) {
    struct stat st;
    ASSERT_EQ(stat((dir / ("BIG._0" + std::to_string(i))).c_str(), &st), 0);
    EXPECT_EQ(st.st_size, expected[i]) << i;
  }
  EXPECT_EQ(ReadFile(dir / "BIG._01", 0, 1) +
                ReadFile(dir / "BIG._04", (int64_t{1} << 32) + 5 - 3999999999, 4),
            "\x82MARK");
}

}  // namespace
}  // namespace e2e

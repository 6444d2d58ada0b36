#include <gtest/gtest.h>

#include "e2e/harness.h"

namespace e2e {
namespace {

// Runs a filter with `input` on a pipe to standard input and returns what
// it wrote to standard output, expecting a clean run.
std::string Piped(const std::string& sw, const std::string& input) {
  RunOptions options;
  options.input = Input::kPipe;
  options.stdin_data = input;
  RunResult r = RunZolt({sw}, options);
  EXPECT_EQ(r.status, 0) << sw;
  EXPECT_EQ(r.err, Banner()) << sw;
  return r.out;
}

// Runs a filter from one file to another and returns the new file.
std::string FileToFile(const std::string& sw, const std::string& input) {
  TempDir dir;
  WriteFile(dir / "in.txt", input);
  WriteFile(dir / "out.txt", "old contents that must go");
  RunResult r = RunZolt({sw, dir / "in.txt", dir / "out.txt"});
  EXPECT_EQ(r.status, 0) << sw;
  EXPECT_EQ(r.err, Banner()) << sw;
  EXPECT_EQ(r.out, "") << sw;
  return ReadFile(dir / "out.txt");
}

TEST(Filters, CaseChangeKeepsDoubleByteCharacters) {
  // ア (83 41) and ヂ (83 61) have letters as second bytes.
  std::string text = Sjis("ABC abc アヂＡａ\r\n");
  EXPECT_EQ(FileToFile("-L", text), Sjis("abc abc アヂＡａ\r\n"));
  EXPECT_EQ(Piped("-P", text), Sjis("ABC ABC アヂＡａ\r\n"));
  EXPECT_EQ(Piped("-L", "A\x82"), "a\x82");
}

TEST(Filters, DeleteControlCodes) {
  std::string text("A\x00\x09\x1A\x42\r\r\n\x95\x5C\x7F\r", 13);
  EXPECT_EQ(FileToFile("-D", text), "A\tB\r\n\x95\x5C");
  EXPECT_EQ(Piped("-D", text), "A\tB\r\n\x95\x5C");
}

TEST(Filters, KanaConvertsTheWholeTable) {
  std::string half = Sjis("｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝ ﾞ\r\n");
  std::string full = Sjis(
      "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
      "ハヒフヘホマミムメモヤユヨラリルレロワン ゛\r\n");
  EXPECT_EQ(FileToFile("-K", half), full);
  EXPECT_EQ(Piped("-K", half), full);
}

TEST(Filters, KanaFoldsAMarkAcrossInputBlocks) {
  // Each ｶ stands at an odd offset, so one pair straddles every 64 KiB block.
  std::string half = "y";
  std::string full = "y";
  for (int i = 0; i < 100000; ++i) {
    half += "\xB6\xDE";
    full += "\x83\x4B";
  }
  EXPECT_EQ(FileToFile("-K", half), full);
}

TEST(Filters, KanaFoldsSoundMarks) {
  EXPECT_EQ(Piped("/k", Sjis("ｶﾞｷﾞｸﾞ ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ ﾊﾞ ｳﾞ ｶﾟ 漢ﾞ ﾟ Τ ｶ")),
            Sjis("ガギグ パピプペポ バ ウ゛ カ゜ 漢゛ ") + "\xDF" + Sjis(" Τ カ"));
}

TEST(Filters, TabsExpandToStopsAndCanBeDeleted) {
  std::string text = "a\tb\r\nabcd\te\n" + Sjis("日本") + "\tx\r\t\ty";
  EXPECT_EQ(FileToFile("-T4", text), "a   b\r\nabcd    e\n" + Sjis("日本") + "    x\r        y");
  EXPECT_EQ(Piped("-T8", text),
            "a       b\r\nabcd    e\n" + Sjis("日本") + "    x\r" + std::string(16, ' ') + "y");
  EXPECT_EQ(Piped("-T1", "\ta\t"), " a ");
  EXPECT_EQ(Piped("-T0", "\ta\tb\t\r\n"), "ab\r\n");
}

TEST(Filters, UniqFoldsRunsOfLines) {
  std::string text = "a\na\nb\na\nAbc\nABC\nabc\nabc";
  EXPECT_EQ(FileToFile("-U", text), "a\nb\na\nAbc\nABC\nabc\nabc");
  EXPECT_EQ(Piped("-U+", text), "a\nb\na\nAbc\nabc");
  // A line longer than any fixed buffer stays whole.
  std::string line(8190, 'x');
  EXPECT_EQ(Piped("-U", line + "\n" + line + "\n"), line + "\n");
  // Shift-JIS lines, compared as bytes.
  EXPECT_EQ(Piped("-U", Sjis("第一章\n第一章\n第二章\n")), Sjis("第一章\n第二章\n"));
}

}  // namespace
}  // namespace e2e

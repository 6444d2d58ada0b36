#include <gtest/gtest.h>

#include <string>

#include "e2e/harness.h"

namespace e2e {
namespace {

// Every filter, each case run once through a pipe and once from file to
// file (replacing what the output held).
TEST(Filters, PipeAndFileGiveTheSameBytes) {
  // ア (83 41) and ヂ (83 61) have letters as second bytes.
  const std::string letters = Sjis("ABC abc アヂＡａ\r\n");
  const std::string half =
      Sjis("｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝ ﾞ\r\n");
  const std::string full = Sjis(
      "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
      "ハヒフヘホマミムメモヤユヨラリルレロワン ゛\r\n");
  // Each ｶﾞ stands at an odd offset, so one pair straddles every input block.
  std::string half_marks = "y", full_marks = "y";
  for (int i = 0; i < 100000; ++i) {
    half_marks += "\xB6\xDE";
    full_marks += "\x83\x4B";
  }
  const std::string tabs = "a\tb\r\nabcd\te\n" + Sjis("日本") + "\tx\r\t\ty";
  const std::string uniq = "a\na\nb\na\nAbc\nABC\nabc\nabc";
  const std::string line(8190, 'x');  // longer than any fixed buffer
  // clang-format off
  const struct { std::string sw, input, output; } cases[] = {
      {"-Lxyz", letters, Sjis("abc abc アヂＡａ\r\n")},
      {"-P", letters, Sjis("ABC ABC アヂＡａ\r\n")},
      {"-Eu", letters, "ABC abc アヂＡａ\r\n"},
      {"-Es", "ABC abc アヂＡａ\r\n", letters},
      {"-L", "A\x82", "a\x82"},
      {"-D", std::string("A\x00\x09\x1A\x42\r\r\n\x95\x5C\x7F\r", 13), "A\tB\r\n\x95\x5C"},
      {"-K", half, full},
      {"-K", half_marks, full_marks},
      {"-k", Sjis("ｶﾞｷﾞｸﾞ ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ ﾊﾞ ｳﾞ ｶﾟ 漢ﾞ ﾟ Τ ｶ"), Sjis("ガギグ パピプペポ バ ウ゛ カ゜ 漢゛ ") + "\xDF" + Sjis(" Τ カ")},
      {"-T4", tabs, "a   b\r\nabcd    e\n" + Sjis("日本") + "    x\r        y"},
      {"-T08", tabs, "a       b\r\nabcd    e\n" + Sjis("日本") + "    x\r" + std::string(16, ' ') + "y"},
      {"-T1", "\ta\t", " a "},
      {"-T0", "\ta\tb\t\r\n", "ab\r\n"},
      {"-U", uniq, "a\nb\na\nAbc\nABC\nabc\nabc"},
      {"-U+x", uniq, "a\nb\na\nAbc\nabc"},
      {"-U", line + "\n" + line + "\n", line + "\n"},
      {"-U", Sjis("第一章\n第一章\n第二章\n"), Sjis("第一章\n第二章\n")},  // compared as bytes
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sw + " on " + std::to_string(c.input.size()) + " bytes");
    RunResult r = RunZolt({c.sw}, {.input = Input::kPipe, .stdin_data = c.input});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, Banner());
    EXPECT_TRUE(SameBytes(r.out, c.output));
    TempDir dir({{"in.txt", c.input}, {"out.txt", "old contents that must go"}});
    r = RunZolt({c.sw, dir / "in.txt", dir / "out.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err + r.out, Banner());
    EXPECT_TRUE(SameBytes(ReadFile(dir / "out.txt"), c.output));
  }
}

}  // namespace
}  // namespace e2e

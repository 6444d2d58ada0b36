// The UTF-8 conversions (-Eu, -Es), end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {
namespace {

const std::string kFffd = "\xEF\xBF\xBD", kGeta = "\x81\xAC", kBom = "\xEF\xBB\xBF";

std::string Utf8(char32_t u) {
  if (u < 0x80) return std::string(1, static_cast<char>(u));
  std::string s;
  int extra = u < 0x800 ? 1 : u < 0x10000 ? 2 : 3;
  s += static_cast<char>(((0xF0 << (3 - extra)) & 0xFF) | (u >> (6 * extra)));
  while (extra-- > 0) s += static_cast<char>(0x80 | ((u >> (6 * extra)) & 0x3F));
  return s;
}

// Runs `sw` over `units`, each on a line of its own, and expects per line
// what iconv makes of it (from `from` to `to`), or `replacement` where iconv
// fails, and the count of those. Returns the output.
std::string AsIconv(const std::string& sw, const std::vector<std::string>& units, const char* to,
                    const char* from, const std::string& replacement) {
  std::string in, want, one;
  int replaced = 0;
  for (const std::string& unit : units) {
    in += unit + "\n";
    bool ok = Convert(to, from, unit, &one);
    want += (ok ? one : replacement) + "\n";
    replaced += !ok;
  }
  RunResult r = RunZolt({sw}, {.input = Input::kPipe, .stdin_data = in});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, Banner() + Msg("変換できない文字を置換しました: ", std::to_string(replaced)));
  for (size_t at = 0, line = 0; at < want.size() && at < r.out.size(); ++line) {
    size_t end = want.find('\n', at);
    if (r.out.compare(at, end + 1 - at, want, at, end + 1 - at) != 0) {
      ADD_FAILURE() << sw << ": unit " << line << " is " << r.out.substr(at, 8);
      break;
    }
    at = end + 1;
  }
  EXPECT_EQ(r.out.size(), want.size());
  return r.out;
}

// Every code page 932 code and every character of the BMP both ways, as
// iconv converts them, and back again through the other direction.
TEST(Encode, EveryCodeAsIconvGivesIt) {
  std::string probe;
  if (!Convert("UTF-8", "CP932", "\x81\x40", &probe)) GTEST_SKIP() << "no CP932 in iconv";
  std::vector<std::string> codes, chars;
  for (int b = 0; b < 256; ++b) {
    if (b != '\n') codes.push_back(std::string(1, char(b)));
    for (int t = 0x40; (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? t <= 0xFC : false;
         ++t)
      if (t != 0x7F) codes.push_back({char(b), char(t)});
  }
  for (char32_t u = 0; u < 0x10000; ++u)
    if (u != '\n' && (u < 0xD800 || u > 0xDFFF)) chars.push_back(Utf8(u));
  for (char32_t u : {U'\U00010000', U'\U0001F600', U'\U0010FFFF'}) chars.push_back(Utf8(u));
  std::string utf8 = AsIconv("-Eu+", codes, "UTF-8", "CP932", kFffd);
  AsIconv("-Es+", chars, "CP932", "UTF-8", kGeta);
  // Back again: every character a code gives has a code that gives it.
  std::string again = utf8;
  for (size_t at; (at = again.find(kFffd)) != std::string::npos;)
    again.replace(at, 3, "\xE3\x80\x93");
  RunResult there = RunZolt({"-Es+"}, {.input = Input::kPipe, .stdin_data = utf8});
  RunResult back = RunZolt({"-Eu"}, {.input = Input::kPipe, .stdin_data = there.out});
  EXPECT_TRUE(back.status == 0 && back.out == again);
}

TEST(Encode, TableOfRuns) {
  const std::string stop = "変換できない文字があります: ",
                    replaced = "変換できない文字を置換しました: ";
  const std::string text = "日本語ｱ｡\r\n" + std::string(1, '\0') + "\\~";
  const std::string usage = Sjis("[Usage] ZOLT -[Cx|Ex[+]|J|K|Tn|U[+]|L|P|D] [FILE] [NEW_FILE]\n");
  // clang-format off
  const struct { std::vector<std::string> args; std::string in; int status; std::string out, err; } cases[] = {
      {{"-eux"}, Sjis(text), 0, text, ""},
      {{"-Eu"}, "a\nb\x82\xA0\x80" "c", 1, "a\nb\xE3\x81\x82", Msg(stop, "line 2, byte 5")},
      {{"-Eu+x"}, "\x81\n\x85\x40\xA0\xFD\xFF\x81", 0, kFffd + "\n" + kFffd + kFffd + kFffd + kFffd + kFffd, Msg(replaced, "6")},
      // One mark is skipped; the codes iconv prefers, and its one-way mappings.
      {{"-Es"}, kBom + "≒ⅰ￢〜−¥‾" + text, 0, "\x81\xE0\xFA\x40\x81\xCA\x81\x60\x81\x7C\x5C\x7E" + Sjis(text), ""},
      {{"-Es"}, kBom + "a\n" + kBom, 1, "a\n", Msg(stop, "line 2, byte 5")},
      // Overlong, stray, surrogate, above U+10FFFF, without a code, cut short.
      {{"-ES+"}, "\xC0\x80|\xE0\x80\x80|\xED\xA0\x80|\xF4\x90\x80\x80|\xF0\x9F\x98\x80|\xE3\x81", 0,
       kGeta + kGeta + "|" + kGeta + kGeta + kGeta + "|" + kGeta + kGeta + kGeta + "|" + kGeta + kGeta + kGeta + kGeta + "|" + kGeta + "|" + kGeta,
       Msg(replaced, "14")},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " on " + c.in);
    RunResult r = RunZolt(c.args, {.input = Input::kPipe, .stdin_data = c.in});
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(r.out == c.out) << r.out;
    EXPECT_EQ(r.err, Banner() + c.err);
  }
  RunResult help = RunZolt({"--help"}), version = RunZolt({"--version"});
  std::erase(help.out, '\r');  // standard output in text mode on Windows
  std::erase(version.out, '\r');
  EXPECT_TRUE(version.status == 0 && version.out == "zolt (Zolt Kit) 2.15.0\n" &&
              version.err == Banner());
  EXPECT_TRUE(help.status == 0 && help.out.starts_with(usage) && help.err == Banner()) << help.out;
  EXPECT_EQ(std::count(help.out.begin(), help.out.end(), '\n'), 23);
}

}  // namespace
}  // namespace e2e

// The manual page and the packages must say what the program does: every
// message it can print is explained in docs/zolt.1, and the version the
// banner shows is the version the packages carry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "support/texts.h"

namespace zolt {
namespace {

// The manual's roff source with the escapes a message can contain undone,
// so that texts can be looked up as the program writes them.
std::string ManualAsPlainText(const std::string& roff) {
  static const std::pair<const char*, const char*> kEscapes[] = {
      {"\\-", "-"}, {"\\(aq", "'"}, {"\\(ha", "^"}, {"\\(ti", "~"}, {"\\&", ""}, {"\\e", "\\"},
  };
  std::string text = roff;
  for (const auto& [from, to] : kEscapes) {
    std::string out;
    size_t at = 0;
    for (size_t hit; (hit = text.find(from, at)) != std::string::npos;
         at = hit + std::strlen(from)) {
      out.append(text, at, hit - at);
      out += to;
    }
    out.append(text, at, std::string::npos);
    text = out;
  }
  return text;
}

// The part of a text a reader would look up: up to any printf conversion,
// without the surrounding tabs, spaces and newlines.
std::string SearchablePart(const std::string& text) {
  std::string part = text.substr(0, text.find('%'));
  size_t first = part.find_first_not_of(" \t\n");
  if (first == std::string::npos) return std::string();
  size_t last = part.find_last_not_of(" \t\n");
  return part.substr(first, last - first + 1);
}

TEST(Manual, ExplainsEveryMessage) {
  std::ifstream file(ZOLT_MANUAL_PAGE, std::ios::binary);
#ifdef _WIN32
  if (!file) GTEST_SKIP() << "the manual page is not reachable from here: " << ZOLT_MANUAL_PAGE;
#endif
  ASSERT_TRUE(file) << ZOLT_MANUAL_PAGE;
  std::stringstream roff;
  roff << file.rdbuf();
  std::string manual = ManualAsPlainText(roff.str());

  for (int i = 0; i < static_cast<int>(Text::kCount); ++i) {
    Text id = static_cast<Text>(i);
    if (id == Text::kUsage) continue;  // the usage text is the program's own summary
    std::string text = SearchablePart(TextUtf8(id));
    // A stand-in for jobs not built yet is no message to document.
    if (text.empty() || text.find("この機能はまだ使えません") != std::string::npos) continue;
    EXPECT_NE(manual.find(text), std::string::npos)
        << "docs/zolt.1 does not mention \"" << text << "\"";
  }
}

TEST(Manual, UnescapingLeavesOtherBackslashesAlone) {
  EXPECT_EQ(ManualAsPlainText("\\-? \\(aqa\\(aq \\ex41 \\fB"), "-? 'a' \\x41 \\fB");
}

// "Ver2.15" in the banner is the major and minor part of the project
// version, which CPack gives the packages.
TEST(Version, BannerShowsThePackageVersion) {
  std::string version = ZOLT_VERSION;
  std::string major_minor = version.substr(0, version.rfind('.'));
  ASSERT_EQ(std::count(major_minor.begin(), major_minor.end(), '.'), 1) << version;
  std::string banner_version = TextUtf8(Text::kVersion);
  std::string expected = "Ver" + major_minor;
  bool shown = banner_version.rfind(expected, 0) == 0 &&
               (banner_version.size() == expected.size() ||
                std::strchr("0123456789.", banner_version[expected.size()]) == nullptr);
  EXPECT_TRUE(shown) << "banner shows \"" << banner_version << "\", project version is " << version;
}

}  // namespace
}  // namespace zolt

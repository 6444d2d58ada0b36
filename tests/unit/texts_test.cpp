// Every text the program prints has Shift-JIS bytes and, but for the usage
// text, is explained in the manual page; the banner shows the version the
// packages carry.
#include "support/texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

namespace zolt {
namespace {

TEST(Texts, ShiftJisAndExplainedInTheManual) {
  std::ifstream file(ZOLT_MANUAL_PAGE, std::ios::binary);
#ifdef _WIN32
  if (!file) GTEST_SKIP() << "the manual page is not reachable from here: " << ZOLT_MANUAL_PAGE;
#endif
  ASSERT_TRUE(file) << ZOLT_MANUAL_PAGE;
  std::stringstream roff;
  roff << file.rdbuf();
  // The roff source with the escapes a message can contain undone.
  std::string manual = roff.str();
  const std::pair<const char*, const char*> kEscapes[] = {
      {"\\-", "-"}, {"\\(aq", "'"}, {"\\(ha", "^"}, {"\\(ti", "~"}, {"\\&", ""}, {"\\e", "\\"}};
  for (const auto& [from, to] : kEscapes)
    for (size_t at = 0; (at = manual.find(from, at)) != std::string::npos; at += std::strlen(to))
      manual.replace(at, std::strlen(from), to);

  for (int i = 0; i < static_cast<int>(Text::kCount); ++i) {
    const std::string text = TextUtf8(static_cast<Text>(i));
    std::string bytes;
    EXPECT_TRUE(Utf8ToCp932(text, &bytes)) << text;
    // What a reader looks up: the text up to its first value, trimmed.
    std::string part = text.substr(0, text.find('%'));
    part.erase(0, part.find_first_not_of(" \t\n"));
    part.erase(part.find_last_not_of(" \t\n") + 1);
    if (static_cast<Text>(i) != Text::kUsage && !part.empty()) {
      EXPECT_NE(manual.find(part), std::string::npos) << "docs/zolt.1 does not mention: " << part;
    }
  }
  // A character without a code is caught, not passed over.
  const std::string smile = "\xF0\x9F\x98\x80";
  std::string bytes;
  EXPECT_FALSE(Utf8ToCp932("a" + smile + "b", &bytes));
  EXPECT_EQ(bytes, "a?b");
  // "Ver2.15" in the banner is the project version without its last part.
  const std::string version = ZOLT_VERSION;
  const std::string shown = "Ver" + version.substr(0, version.rfind('.')) + " ";
  EXPECT_EQ(std::string(TextUtf8(Text::kVersion)).substr(0, shown.size()), shown) << version;
}

}  // namespace
}  // namespace zolt

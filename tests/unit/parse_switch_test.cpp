#include "front/parse_switch.h"

#include <gtest/gtest.h>

#include "support/texts.h"
#include "unit/fake_platform.h"

namespace zolt {
namespace {

struct Parsed {
  int job;
  int newline_type;
  int tab_width;
  std::string err;
};

Parsed Parse(const char* text) {
  FakePlatform fake;
  Parsed p{0, 0, -1, ""};
  p.job = ParseSwitch(text, &p.newline_type, &p.tab_width);
  p.err = fake.err;
  return p;
}

TEST(ParseSwitch, EveryLetterOfTheTableInBothCasesAndBothPrefixes) {
  struct Row {
    const char* text;
    int job;
  } rows[] = {
      {"-U", kJobUniq},        {"-u+", kJobUniqFolded},   {"-l", kJobLower},
      {"-p", kJobUpper},       {"-J", kJobJoin},          {"-k", kJobKana},
      {"-M", kJobMerge},       {"-D", kJobDeleteControl}, {"-S1", kJobSplit},
      {"-s9L", kJobSplit},     {"-T4", kJobTabs},         {"-Cd", kJobCrconv},
      {"a.txt", kJobNoSwitch}, {"", kJobNoSwitch},
#ifdef _WIN32
      {"/L", kJobLower},
#else
      {"/L", kJobNoSwitch},    {"/tmp/a.txt", kJobNoSwitch},
#endif
  };
  for (const Row& row : rows) {
    Parsed p = Parse(row.text);
    EXPECT_EQ(p.job, row.job) << row.text;
    EXPECT_EQ(p.err, "") << row.text;
  }
}

TEST(ParseSwitch, NewlineTypesAndTabWidths) {
  EXPECT_EQ(Parse("-Cd").newline_type, 1);
  EXPECT_EQ(Parse("-cU").newline_type, 2);
  EXPECT_EQ(Parse("-CM").newline_type, 4);
  EXPECT_EQ(Parse("-Cdos").newline_type, 1);  // the rest is ignored
  EXPECT_EQ(Parse("-T0").tab_width, 0);
  EXPECT_EQ(Parse("-T08").tab_width, 8);
  EXPECT_EQ(Parse("-T4x").tab_width, 4);
  EXPECT_EQ(Parse("-T8").tab_width, 8);
}

TEST(ParseSwitch, IgnoresWhatFollowsTheExaminedPart) {
  EXPECT_EQ(Parse("-Lxyz").job, kJobLower);
  EXPECT_EQ(Parse("-U+x").job, kJobUniqFolded);
  EXPECT_EQ(Parse("-Uq").job, kJobUniq);
  EXPECT_EQ(Parse("-Mfoo").job, kJobMerge);
}

TEST(ParseSwitch, RefusedSwitchesNameTheArgumentAsTyped) {
  std::string refused;
  {
    FakePlatform fake;  // messages in CP932
    refused = TextBytes(Text::kInvalidSwitch);
  }
  for (const char* text :
       {"-", "-X", "-C", "-Cz", "-T", "-T9", "-T10", "-T99999999999", "-S", "-Sx", "-@"}) {
    Parsed p = Parse(text);
    EXPECT_EQ(p.job, kJobInvalid) << text;
    EXPECT_EQ(p.err, refused + text + "\n") << text;
  }
  // A refused -Cx leaves the newline type alone.
  EXPECT_EQ(Parse("-Cz").newline_type, 0);
  EXPECT_EQ(Parse("-T9").tab_width, -1);
}

TEST(ParseSwitch, HelpPrintsTheUsageText) {
  for (const char* text : {"-?", "-h", "-H"}) {
    Parsed p = Parse(text);
    EXPECT_EQ(p.job, kJobUsage);
    EXPECT_EQ(p.err.rfind("[Usage] ZOLT -[Cx|J|K|Tn|U[+]|L|P|D] [FILE] [NEW_FILE]\n", 0), 0u);
  }
}

}  // namespace
}  // namespace zolt

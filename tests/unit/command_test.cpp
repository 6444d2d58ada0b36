#include "front/command.h"

#include <gtest/gtest.h>

#include "support/texts.h"
#include "unit/fake_platform.h"

namespace zolt {
namespace {

// One switch text and what it must read as. `refused` rows print the
// invalid-switch message with the text as typed.
struct Row {
  const char* text;
  Job job;
  bool has_switch = true;
  Newline newline = Newline::kCrLf;
  int tab_width = 0;
  bool ignore_case = false;
};

TEST(ParseSwitch, TableOfSwitches) {
  const Row rows[] = {
      {"-U", Job::kUniq},
      {"-u+", Job::kUniq, true, Newline::kCrLf, 0, true},
      {"-Uq", Job::kUniq},
      {"-U+x", Job::kUniq, true, Newline::kCrLf, 0, true},
      {"-l", Job::kLower},
      {"-Lxyz", Job::kLower},
      {"-p", Job::kUpper},
      {"-J", Job::kJoin},
      {"-k", Job::kKana},
      {"-M", Job::kMerge},
      {"-D", Job::kDeleteControl},
      {"-S1", Job::kSplit},
      {"-s9L", Job::kSplit},
      {"-Cdos", Job::kNewlines},
      {"-cU", Job::kNewlines, true, Newline::kLf},
      {"-CM", Job::kNewlines, true, Newline::kCr},
      {"-T0", Job::kTabs},
      {"-T08", Job::kTabs, true, Newline::kCrLf, 8},
      {"-T4x", Job::kTabs, true, Newline::kCrLf, 4},
      {"a.txt", Job::kCopy, false},
      {"", Job::kCopy, false},
#ifdef _WIN32
      {"/L", Job::kLower},
#else
      {"/L", Job::kCopy, false},
      {"/tmp/a.txt", Job::kCopy, false},
#endif
      {"-", Job::kInvalid},
      {"-X", Job::kInvalid},
      {"-C", Job::kInvalid},
      {"-Cz", Job::kInvalid},
      {"-T", Job::kInvalid},
      {"-T9", Job::kInvalid},
      {"-T10", Job::kInvalid},
      {"-T99999999999", Job::kInvalid},
      {"-S", Job::kInvalid},
      {"-Sx", Job::kInvalid},
      {"-@", Job::kInvalid},
  };
  for (const Row& row : rows) {
    FakePlatform fake;
    Command command = ParseSwitch(row.text);
    EXPECT_EQ(command.job, row.job) << row.text;
    EXPECT_EQ(command.has_switch, row.has_switch) << row.text;
    EXPECT_EQ(command.newline, row.newline) << row.text;
    EXPECT_EQ(command.tab_width, row.tab_width) << row.text;
    EXPECT_EQ(command.ignore_case, row.ignore_case) << row.text;
    std::string said =
        row.job == Job::kInvalid ? TextBytes(Text::kInvalidSwitch) + row.text + "\n" : "";
    EXPECT_EQ(fake.err, said) << row.text;
  }
}

}  // namespace
}  // namespace zolt

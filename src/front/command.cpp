#include "front/command.h"

#include <cstring>

#include "front/usage.h"
#include "support/ascii.h"
#include "support/messages.h"
#include "support/switch_prefix.h"

namespace zolt {

namespace {

// The switch letter `c` with a-z folded to upper case.
char Letter(char c) {
  return static_cast<char>(AsciiUpper(static_cast<unsigned char>(c)));
}

// A command for `job` read from a switch.
Command Switch(Job job) {
  Command command;
  command.job = job;
  command.has_switch = true;
  return command;
}

Command Refuse(const char* text) {
  PrintMessage(Text::kInvalidSwitch, text);
  return Switch(Job::kInvalid);
}

// -Cx: the newline form named by x, or a refusal.
Command NewlineSwitch(const char* text) {
  Command command = Switch(Job::kNewlines);
  switch (Letter(text[2])) {
    case 'D':
      command.newline = Newline::kCrLf;
      return command;
    case 'U':
      command.newline = Newline::kLf;
      return command;
    case 'M':
      command.newline = Newline::kCr;
      return command;
    default:
      return Refuse(text);
  }
}

// -Tn: the width n, 0 to 8, or a refusal.
Command TabSwitch(const char* text) {
  // Long digit strings are capped, so no overflow brings one back into range.
  int64_t width = LeadingDecimal(text + 2, 9);
  if (!IsDigit(text[2]) || width > 8) return Refuse(text);
  Command command = Switch(Job::kTabs);
  command.tab_width = static_cast<int>(width);
  return command;
}

// -Ex[+]: x is u (to UTF-8) or s (to CP932), else a refusal.
Command EncodeSwitch(const char* text) {
  char x = Letter(text[2]);
  if (x != 'U' && x != 'S') return Refuse(text);
  Command command = Switch(Job::kEncode);
  command.to_utf8 = x == 'U';
  command.replace = text[3] == '+';
  return command;
}

// -Sn1[.n2][L], its first digit already seen.
Command SplitSwitch(const char* text) {
  Command command = Switch(Job::kSplit);
  command.split = ParseSplitOptions(text);
  return command;
}

}  // namespace

Command ParseSwitch(const char* text) {
  if (!IsSwitchPrefix(text[0])) return Command{};
  if (std::strcmp(text, "--help") == 0) return Switch(Job::kHelp);
  if (std::strcmp(text, "--version") == 0) return Switch(Job::kVersion);
  switch (Letter(text[1])) {
    case '?':
    case 'H':
      PrintUsage();
      return Switch(Job::kUsage);
    case 'C':
      return NewlineSwitch(text);
    case 'D':
      return Switch(Job::kDeleteControl);
    case 'E':
      return EncodeSwitch(text);
    case 'J':
      return Switch(Job::kJoin);
    case 'K':
      return Switch(Job::kKana);
    case 'L':
      return Switch(Job::kLower);
    case 'M':
      return Switch(Job::kMerge);
    case 'P':
      return Switch(Job::kUpper);
    case 'S':
      return IsDigit(text[2]) ? SplitSwitch(text) : Refuse(text);
    case 'T':
      return TabSwitch(text);
    case 'U': {
      Command command = Switch(Job::kUniq);
      command.ignore_case = text[2] == '+';
      return command;
    }
    default:
      return Refuse(text);
  }
}

}  // namespace zolt

#include "front/command.h"

#include <cstring>

#include "front/usage.h"
#include "support/messages.h"
#include "support/switch_prefix.h"

namespace zolt {

namespace {

char FoldLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
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

// The tab width after -T: leading digits, refused above 8. Saturates long
// digit strings so that no overflow can bring a huge number back into range.
int ReadTabWidth(const char* digits) {
  int value = 0;
  for (const char* p = digits; IsDigit(*p); ++p) {
    value = value * 10 + (*p - '0');
    if (value > 8) return -1;
  }
  return value;
}

// -Cx: the newline form named by x, or a refusal.
Command NewlineSwitch(const char* text) {
  Command command = Switch(Job::kNewlines);
  switch (FoldLower(text[2])) {
    case 'd':
      command.newline = Newline::kCrLf;
      return command;
    case 'u':
      command.newline = Newline::kLf;
      return command;
    case 'm':
      command.newline = Newline::kCr;
      return command;
    default:
      return Refuse(text);
  }
}

// -Tn: the width n, 0 to 8, or a refusal.
Command TabSwitch(const char* text) {
  if (text[2] < '0' || text[2] > '8') return Refuse(text);
  int width = ReadTabWidth(text + 2);
  if (width < 0) return Refuse(text);
  Command command = Switch(Job::kTabs);
  command.tab_width = width;
  return command;
}

// -Ex[+]: x is u (to UTF-8) or s (to CP932), else a refusal.
Command EncodeSwitch(const char* text) {
  char x = FoldLower(text[2]);
  if (x != 'u' && x != 's') return Refuse(text);
  Command command = Switch(Job::kEncode);
  command.to_utf8 = x == 'u';
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
  switch (FoldLower(text[1])) {
    case '?':
    case 'h':
      PrintUsage();
      return Switch(Job::kUsage);
    case 'c':
      return NewlineSwitch(text);
    case 'd':
      return Switch(Job::kDeleteControl);
    case 'e':
      return EncodeSwitch(text);
    case 'j':
      return Switch(Job::kJoin);
    case 'k':
      return Switch(Job::kKana);
    case 'l':
      return Switch(Job::kLower);
    case 'm':
      return Switch(Job::kMerge);
    case 'p':
      return Switch(Job::kUpper);
    case 's':
      return IsDigit(text[2]) ? SplitSwitch(text) : Refuse(text);
    case 't':
      return TabSwitch(text);
    case 'u': {
      Command command = Switch(Job::kUniq);
      command.ignore_case = text[2] == '+';
      return command;
    }
    default:
      return Refuse(text);
  }
}

}  // namespace zolt

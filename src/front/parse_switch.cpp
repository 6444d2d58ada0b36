#include "front/parse_switch.h"

#include "front/usage.h"
#include "support/messages.h"
#include "support/sjis.h"

namespace zolt {

namespace {

char FoldLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int Refuse(const char* text) {
  PrintMessage(Text::kInvalidSwitch, text);
  return kJobInvalid;
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

}  // namespace

int ParseSwitch(const char* text, int* newline_type, int* tab_width) {
  if (!IsSwitchPrefix(text[0])) return kJobNoSwitch;
  switch (FoldLower(text[1])) {
    case '?':
    case 'h':
      PrintUsage();
      return kJobUsage;
    case 'c':
      switch (FoldLower(text[2])) {
        case 'd':
          *newline_type = 1;
          return kJobCrconv;
        case 'u':
          *newline_type = 2;
          return kJobCrconv;
        case 'm':
          *newline_type = 4;
          return kJobCrconv;
        default:
          return Refuse(text);
      }
    case 'd':
      return kJobDeleteControl;
    case 'j':
      return kJobJoin;
    case 'k':
      return kJobKana;
    case 'l':
      return kJobLower;
    case 'm':
      return kJobMerge;
    case 'p':
      return kJobUpper;
    case 's':
      return IsDigit(text[2]) ? kJobSplit : Refuse(text);
    case 't': {
      if (text[2] < '0' || text[2] > '8') return Refuse(text);
      int width = ReadTabWidth(text + 2);
      if (width < 0) return Refuse(text);
      *tab_width = width;
      return kJobTabs;
    }
    case 'u':
      return text[2] == '+' ? kJobUniqFolded : kJobUniq;
    default:
      return Refuse(text);
  }
}

}  // namespace zolt

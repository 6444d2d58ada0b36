#include "front/usage.h"

#include "support/messages.h"

namespace zolt {

void PrintBanner() {
  PrintFormat(Text::kBanner, TextBytes(Text::kVersion).c_str(),
              TextBytes(Text::kMakerNotice).c_str());
}

void PrintUsage() {
  const char* name = TextBytes(Text::kShortName).c_str();
  PrintFormat(Text::kUsage, name, name, name, name);
}

bool PrintUsageToStdout() {
  const char* name = TextBytes(Text::kShortName).c_str();
  return PrintFormatToStdout(Text::kUsage, name, name, name, name);
}

bool PrintVersion() {
  return PrintFormatToStdout(Text::kVersionLine, ZOLT_VERSION);
}

}  // namespace zolt

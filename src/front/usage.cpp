#include "front/usage.h"

#include "support/messages.h"

namespace zolt {

void PrintBanner() {
  PrintFilled<Text::kBanner>(TextBytes(Text::kVersion), TextBytes(Text::kMakerNotice));
}

void PrintUsage() {
  const std::string& name = TextBytes(Text::kShortName);
  PrintFilled<Text::kUsage>(name, name, name, name);
}

bool PrintUsageToStdout() {
  const char* name = TextBytes(Text::kShortName).c_str();
  return WriteFilledToStdout<Text::kUsage>(name, name, name, name);
}

bool PrintVersion() {
  return WriteFilledToStdout<Text::kVersionLine>(std::string(ZOLT_VERSION));
}

}  // namespace zolt

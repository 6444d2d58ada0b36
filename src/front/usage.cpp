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

}  // namespace zolt

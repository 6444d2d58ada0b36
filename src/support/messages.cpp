#include "support/messages.h"

#include "support/platform.h"

namespace zolt {

void PrintRaw(const std::string& bytes) {
  // Standard error is unbuffered: each message goes out in one write, and a
  // failure to report is not itself reportable.
  if (!bytes.empty()) Sys().Write(kStderr, bytes.data(), bytes.size());
}

void PrintMessage(Text fixed, const std::string& variable) {
  std::string line = TextBytes(fixed);
  line += variable;
  line += '\n';
  PrintRaw(line);
}

std::string FillText(const std::string& text, std::initializer_list<std::string_view> values) {
  std::string filled;
  size_t from = 0;
  for (std::string_view value : values) {
    size_t at = text.find("%s", from);
    if (at == std::string::npos) break;
    filled.append(text, from, at - from);
    filled += value;
    from = at + 2;
  }
  filled.append(text, from);
  return filled;
}

std::string Decimal(uint64_t value) {
  return std::to_string(value);
}

bool WriteToStdout(const std::string& text) {
  if (Sys().Write(kStdout, text.data(), text.size())) return true;
  PrintMessage(Text::kWriteFailed, "stdout");
  return false;
}

}  // namespace zolt

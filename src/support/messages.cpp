#include "support/messages.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

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

namespace {

// The text `format` filled with `args`.
std::string Format(Text format, va_list args) {
  const std::string& pattern = TextBytes(format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(nullptr, 0, pattern.c_str(), args);
  std::string filled;
  if (length > 0) {
    std::vector<char> text(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), pattern.c_str(), again);
    filled.assign(text.data(), static_cast<size_t>(length));
  }
  va_end(again);
  return filled;
}

}  // namespace

void PrintFormat(Text format, ...) {
  va_list args;
  va_start(args, format);
  PrintRaw(Format(format, args));
  va_end(args);
}

bool PrintFormatToStdout(Text format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  if (Sys().Write(kStdout, text.data(), text.size())) return true;
  PrintMessage(Text::kWriteFailed, "stdout");
  return false;
}

}  // namespace zolt

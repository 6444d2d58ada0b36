// Writing texts to standard error.
#pragma once

#include <string>

#include "support/texts.h"

namespace zolt {

// The message line: the fixed text, then `variable` (raw bytes, never
// converted), then a newline.
void PrintMessage(Text fixed, const std::string& variable = std::string());
// A text used as a printf format, filled with `...` (raw bytes).
void PrintFormat(Text format, ...);
// A text used as a printf format, filled with `...`, to standard output;
// false when the write failed, which is reported.
bool PrintFormatToStdout(Text format, ...);
// Raw bytes to standard error.
void PrintRaw(const std::string& bytes);

}  // namespace zolt

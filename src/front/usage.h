// The start-up banner and the usage text.
#pragma once

namespace zolt {

// Prints the banner line to standard error.
void PrintBanner();
// Prints the usage text to standard error.
void PrintUsage();
// Writes the usage text to standard output (--help); false when the write
// failed (reported).
bool PrintUsageToStdout();
// Writes the version line to standard output (--version); false when the
// write failed (reported).
bool PrintVersion();

}  // namespace zolt

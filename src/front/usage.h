// The start-up banner and the usage text.
#pragma once

namespace zolt {

// Prints the banner line to standard error.
void PrintBanner();
// Prints the usage text to standard error.
void PrintUsage();

}  // namespace zolt

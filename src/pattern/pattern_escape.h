// Escapes after a backslash in a pattern.
#pragma once

#include "pattern/char_reader.h"

namespace zolt {

// Reads the escape after a backslash at the start of *rest and takes it
// off. False when the pattern ends before the escape is complete (a trailing
// backslash, or missing digits): such an escape stands for nothing.
bool ReadEscape(std::string_view* rest, CharCode* code);

}  // namespace zolt

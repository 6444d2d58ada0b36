// Compiling pattern text into the instruction list of pattern_program.h.
#pragma once

#include <string_view>

#include "pattern/pattern_program.h"

namespace zolt {

// Compiles `pattern` (up to its first NUL byte). Every text compiles; only a
// memory shortage (std::bad_alloc) can stop it.
Program CompileProgram(std::string_view pattern);

}  // namespace zolt

// Compiling pattern text into the word form of pattern_words.h.
#pragma once

#include <vector>

#include "pattern/pattern_words.h"

namespace zolt {

// Compiles the NUL-terminated `pattern`. Every text compiles; only a memory
// shortage (std::bad_alloc) can stop it.
std::vector<PatternWord> CompilePattern(const char* pattern);

}  // namespace zolt

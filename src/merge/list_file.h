// Reading a merge list file: a text file with one input name per line.
#pragma once

#include <functional>
#include <string>

#include "io/stream.h"

namespace zolt {

// Reads the open list file `in` as text: CR bytes are dropped, a 0x1A byte
// ends the text, and each line, whatever its length and without its LF, is
// handed to `each` (an empty line as an empty name; a last line without LF
// counts). Returns false when a read failed (the lines before it were
// handed over).
bool ReadListNames(InStream* in, const std::function<void(const std::string&)>& each);

}  // namespace zolt

// The files that the one wildcard argument of a merge names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zolt {

// Searches the one directory the wildcard argument `arg` names and puts the
// matching files into `paths`, each as the argument's directory part
// (through its last separator, or on Win32 a drive "X:" alone) followed by
// the name, in ascending byte order of the names: upper case before lower
// case, Shift-JIS names by their raw bytes. Adds their sizes to `*total`;
// nothing matching leaves `paths` empty. False, after the list-failure
// message, when memory ran out.
bool ExpandWildcard(const char* arg, std::vector<std::string>* paths, int64_t* total);

}  // namespace zolt

// The output directory of a split run and its probe.
#pragma once

#include <string>

namespace zolt {

// Tests that `dir` is a directory pieces can be written to, by opening or
// else creating (exclusively) and deleting the probe file "_ZO_$$$$.TMP" in
// it. A probe that exists in any form (a link, a FIFO) proves the directory
// and is left alone: it is never followed, waited on, emptied or deleted. On
// success stores in *prefix the start of the piece names (dir with a
// separator appended unless it ends in one or, on Win32, is a bare drive
// "X:"; empty for an empty dir) and returns true. A probe that could not be
// closed or deleted is reported, and does not fail.
bool CheckOutputDir(const char* dir, std::string* prefix);

}  // namespace zolt

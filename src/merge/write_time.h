// The time stamp of a merge's output: the last-write time its inputs share.
#pragma once

#include <string>

#include "support/platform.h"

namespace zolt {

// The last-write times of the inputs, gathered as they are copied.
struct CommonWriteTime {
  FileTime time;        // the first input's time that could be read
  bool differ = false;  // a later input's time differs from it
};

// Takes the last-write time of the input `name` into `common` unless the
// times already differ; an input whose time cannot be read is left out.
void NoteWriteTime(CommonWriteTime* common, const std::string& name);

// Gives the file `name` the inputs' common last-write time, its other times
// unchanged, when the inputs had one; else leaves it alone.
void StampWriteTime(const CommonWriteTime& common, const std::string& name);

}  // namespace zolt

#include "merge/write_time.h"

namespace zolt {

void NoteWriteTime(CommonWriteTime* common, const std::string& name) {
  if (common->differ) return;
  FileTimes times;
  if (!Sys().GetFileTimes(name, &times)) return;
  if (common->time.empty())
    common->time = times.write;
  else if (!(common->time == times.write))
    common->differ = true;
}

void StampWriteTime(const CommonWriteTime& common, const std::string& name) {
  if (common.differ || common.time.empty()) return;
  FileTimes times;
  times.write = common.time;
  Sys().SetFileTimes(name, times);
}

}  // namespace zolt

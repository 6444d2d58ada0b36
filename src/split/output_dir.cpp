#include "split/output_dir.h"

#include "support/platform.h"
#include "support/sjis.h"

namespace zolt {

namespace {

constexpr const char kProbeName[] = "_ZO_$$$$.TMP";

}  // namespace

bool CheckOutputDir(const char* dir, std::string* prefix) {
  std::string start = dir;
  if (*PathLeaf(dir) != '\0') start += kPathSeparator;
  std::string probe = start + kProbeName;
  // Never through a link, never waiting on a FIFO; only a probe made here
  // is deleted.
  int fd = Sys().Open(probe, OpenMode::kProbe);
  bool made = false;
  if (fd < 0) {
    fd = Sys().Open(probe, OpenMode::kCreateNew);
    made = fd >= 0;
  }
  if (fd >= 0) Sys().Close(fd);
  if (made) Sys().Remove(probe);
  if (fd < 0 && !Sys().NameExists(probe)) return false;
  *prefix = start;
  return true;
}

}  // namespace zolt

#include "split/output_dir.h"

#include "support/messages.h"
#include "support/path.h"
#include "support/platform.h"

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
  // A probe left behind (or a failed close of the one made) is reported in
  // the system's words; the directory is usable all the same.
  bool closed = fd < 0 || Sys().Close(fd);
  bool removed = !made || Sys().Remove(probe);
  if (!closed || !removed) PrintRaw(probe + ": " + Sys().LastError() + "\n");
  if (fd < 0 && !Sys().NameExists(probe)) return false;
  *prefix = start;
  return true;
}

}  // namespace zolt

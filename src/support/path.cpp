#include "support/path.h"

#include "support/sjis.h"

namespace zolt {

const char* PathLeaf(const char* path) {
  const char* last = SjisFindLast(path, '/');
#ifdef _WIN32
  const char* back = SjisFindLast(path, '\\');
  if (back != nullptr && (last == nullptr || back > last)) last = back;
  if (last == nullptr && path[0] != '\0' && !IsSjisLead(static_cast<unsigned char>(path[0])) &&
      path[1] == ':')
    return path + 2;
#endif
  return last != nullptr ? last + 1 : path;
}

}  // namespace zolt

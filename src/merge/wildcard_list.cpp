#include "merge/wildcard_list.h"

#include <algorithm>
#include <new>

#include "support/messages.h"
#include "support/path.h"
#include "support/platform.h"

namespace zolt {

bool ExpandWildcard(const char* arg, std::vector<std::string>* paths, int64_t* total) {
  try {
    std::vector<DirEntry> entries;
    if (!Sys().FindFiles(arg, &entries)) return true;
    std::vector<std::string> names;
    for (DirEntry& entry : entries) {
      *total += static_cast<int64_t>(entry.size);
      names.push_back(std::move(entry.name));
    }
    // std::string compares its bytes as unsigned char, which is the order wanted.
    std::sort(names.begin(), names.end());
    const std::string dir_prefix(arg, static_cast<size_t>(PathLeaf(arg) - arg));
    for (const std::string& name : names) paths->push_back(dir_prefix + name);
    return true;
  } catch (const std::bad_alloc&) {
    paths->clear();
    PrintMessage(Text::kListFailed);
    return false;
  }
}

}  // namespace zolt

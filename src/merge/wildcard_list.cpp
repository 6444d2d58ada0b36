#include "merge/wildcard_list.h"

#include <algorithm>
#include <new>

#include "support/messages.h"
#include "support/platform.h"

namespace zolt {

bool ExpandWildcard(const std::string& pattern, WildcardList* list, int64_t* total) {
  try {
    std::vector<DirEntry> entries;
    if (!Sys().FindFiles(pattern, &entries)) return true;
    list->names.reserve(entries.size());
    for (DirEntry& entry : entries) {
      *total += static_cast<int64_t>(entry.size);
      list->names.push_back(std::move(entry.name));
    }
    SortWildcardNames(&list->names);
    list->present = !list->names.empty();
    return true;
  } catch (const std::bad_alloc&) {
    FreeWildcardList(list, true);
    return false;
  }
}

void SortWildcardNames(std::vector<std::string>* names) {
  // std::string compares its bytes as unsigned char, which is the order wanted.
  std::sort(names->begin(), names->end());
}

void FreeWildcardList(WildcardList* list, bool report) {
  if (report) PrintMessage(Text::kListFailed);
  std::vector<std::string>().swap(list->names);
  list->present = false;
}

}  // namespace zolt

// The files that the one wildcard argument of a merge names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zolt {

struct WildcardList {
  // Names as the directory lists them, without any directory part; sorted
  // by raw bytes once the list is built.
  std::vector<std::string> names;
  // True when the search found at least one file: the wildcard supplies
  // inputs to the run.
  bool present = false;
};

// Searches the one directory `pattern` names, puts the matching names into
// `list` in ascending byte order and adds their sizes to `*total`. A pattern
// that matches nothing leaves the list absent. Returns false after
// FreeWildcardList with its report when memory ran out.
bool ExpandWildcard(const std::string& pattern, WildcardList* list, int64_t* total);

// Sorts names by their bytes taken as unsigned values, letter case
// significant (upper case before lower case, Shift-JIS names by raw bytes).
void SortWildcardNames(std::vector<std::string>* names);

// Empties the list and marks it absent; with `report`, first prints the
// list-failure message.
void FreeWildcardList(WildcardList* list, bool report);

}  // namespace zolt

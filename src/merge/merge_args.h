// Reading the arguments of a merge: the item table, the wildcard list, the
// list files, the output name and the total size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "merge/wildcard_list.h"
#include "support/platform.h"

namespace zolt {

// What one job argument contributes to the copy.
enum class MergeItemKind {
  kSkip,      // nothing: the output option, its name, a missing input
  kFile,      // a plain input that exists
  kWildcard,  // the one wildcard argument
  kListFile,  // "@" and the name of a list file
};

struct MergeItem {
  MergeItemKind kind = MergeItemKind::kSkip;
  const char* arg = nullptr;
  // A list file is read once, by the scan: `listed` tells whether it could
  // be opened, `names` holds the names it gave, in order.
  bool listed = false;
  std::vector<std::string> names;
};

// How an argument is read, decided in this order.
enum class MergeArgKind {
  kWildcard,      // holds * or ? anywhere
  kListFile,      // starts with @
  kOutputOption,  // starts with -o or -O (on Win32 also /o or /O)
  kPlain,         // a plain input name
};

// An input (or list file) the scan found, kept to tell whether the output
// is one of them.
struct FoundInput {
  std::string name;
  FileId id;
};

struct MergeScan {
  std::vector<MergeItem> items;  // one per job argument, in order
  WildcardList wildcard;
  std::string dir_prefix;  // the wildcard argument through its last separator
  std::string output;      // empty: standard output
  bool append = false;
  int list_count = 0;  // list-file arguments, opened or not
  int file_count = 0;  // plain inputs found
  int64_t total = 0;   // sum of the sizes of every input found
  int missing = 0;     // inputs and list files reported as not found
  std::vector<FoundInput> found;
};

// Classifies one job argument.
MergeArgKind ClassifyMergeArg(const char* arg);

// Looks up an input by name through the directory search, taking the name
// literally (a * or ? in it is not expanded). True with its size when found.
bool LookUpInput(const std::string& name, uint64_t* size);

// Scans the `count` job arguments `args` into `scan`, printing a message for
// every input not found. Returns `count`, or -1 after a fatal argument error
// (a second wildcard, an output option without a name) whose message has
// been printed.
int MergeArgs(int count, char** args, MergeScan* scan);

}  // namespace zolt

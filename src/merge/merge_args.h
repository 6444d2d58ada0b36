// The argument scan of a merge: what each argument gives to copy, the
// output name and the total size of the inputs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/platform.h"

namespace zolt {

// The inputs one argument gives, in copy order: a plain input that exists,
// the files of the wildcard, or every name a list file held (found or not).
struct MergeSource {
  std::vector<std::string> inputs;
  // A list file that could not be opened: it gives no input and is
  // reported again when the copy reaches it.
  const char* unopened_list = nullptr;
};

// An input (or list file) the scan found, kept to tell whether the output
// is one of them.
struct FoundInput {
  std::string name;
  FileId id;
};

struct MergeScan {
  std::vector<MergeSource> sources;  // in argument order
  std::string output;                // empty: standard output
  bool append = false;
  bool wildcard_found = false;  // the wildcard named at least one file
  int list_count = 0;           // list-file arguments, opened or not
  int file_count = 0;           // plain inputs found
  int64_t total = 0;            // sum of the sizes of every input found
  int missing = 0;              // inputs and list files not found or not read
  std::vector<FoundInput> found;
};

// Scans the `count` job arguments `args` into `scan`, printing a message for
// every input not found. False after a fatal argument error (a second
// wildcard, an output option without a name, no memory for the wildcard
// list) whose messages have been printed.
bool MergeArgs(int count, char** args, MergeScan* scan);

}  // namespace zolt

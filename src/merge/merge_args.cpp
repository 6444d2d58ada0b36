#include "merge/merge_args.h"

#include "io/stream.h"
#include "merge/list_file.h"
#include "merge/wildcard_list.h"
#include "support/messages.h"
#include "support/path.h"
#include "support/switch_prefix.h"
#include "support/wildcard_match.h"

namespace zolt {

namespace {

// Prints the not-found message for `name` and counts it against the run.
void ReportMissing(MergeScan* scan, const std::string& name) {
  PrintMessage(Text::kCannotOpen, name);
  ++scan->missing;
}

// Looks up an input by name through the directory search, taking the name
// literally (a * or ? in it is not expanded). True with its size when found.
bool LookUpInput(const std::string& name, uint64_t* size) {
  std::vector<DirEntry> entries;
  if (!Sys().FindFiles(name, &entries) || entries.empty()) return false;
  if (!HasWildcard(name.c_str())) {
    *size = entries.front().size;
    return true;
  }
  // The search took the name as a pattern: only the entry that is literally
  // this name counts.
  const std::string leaf = PathLeaf(name.c_str());
  for (const DirEntry& entry : entries) {
    if (entry.name == leaf) {
      *size = entry.size;
      return true;
    }
  }
  return false;
}

// Looks up one plain input or list entry and adds its size; reports it and
// returns false when it is not found.
bool TakeInput(MergeScan* scan, const std::string& name) {
  uint64_t size = 0;
  if (!LookUpInput(name, &size)) {
    ReportMissing(scan, name);
    return false;
  }
  scan->total += static_cast<int64_t>(size);
  scan->found.push_back({name, Sys().IdentifyName(name)});
  return true;
}

// Reads the list file `name` once: every listed input is looked up, and all
// the names it holds become one source.
void ScanListFile(MergeScan* scan, const char* name) {
  ++scan->list_count;
  MergeSource& source = scan->sources.emplace_back();
  InStream in;
  if (!OpenInput(&in, name)) {
    ReportMissing(scan, name);
    source.unopened_list = name;
    return;
  }
  scan->found.push_back({name, Sys().IdentifyDescriptor(in.fd())});
  bool read = ReadListNames(&in, [scan, &source](const std::string& entry) {
    TakeInput(scan, entry);
    source.inputs.push_back(entry);
  });
  if (!read) {
    PrintMessage(Text::kReadFailed, name);
    ++scan->missing;
  }
}

// Expands the one wildcard argument `arg` into a source. False when memory
// ran out (the list-failure message has been printed).
bool ScanWildcard(MergeScan* scan, const char* arg) {
  MergeSource& source = scan->sources.emplace_back();
  if (!ExpandWildcard(arg, &source.inputs, &scan->total)) return false;
  for (const std::string& path : source.inputs)
    scan->found.push_back({path, Sys().IdentifyName(path)});
  scan->wildcard_found = !source.inputs.empty();
  return true;
}

// True for the output option: -o or -O (on Win32 also /o or /O).
bool IsOutputOption(const char* arg) {
  return IsSwitchPrefix(arg[0]) && (arg[1] == 'o' || arg[1] == 'O');
}

// Takes the output option args[*i]: "+" sets append mode; the name is the
// rest of the argument or, when that is empty, the next argument whole
// (consumed). False when the output name is still empty.
bool TakeOutputOption(MergeScan* scan, int count, char** args, int* i) {
  const char* name = args[*i] + 2;
  if (*name == '+') {
    scan->append = true;
    ++name;
  }
  if (*name != '\0')
    scan->output = name;
  else if (*i + 1 < count)
    scan->output = args[++*i];
  return !scan->output.empty();
}

// A fatal argument error: prints its message, then the list-failure
// message when the wildcard list holds files, which go unused. False.
bool FailScan(const MergeScan& scan, Text text, const std::string& variable) {
  PrintMessage(text, variable);
  if (scan.wildcard_found) PrintMessage(Text::kListFailed);
  return false;
}

}  // namespace

bool MergeArgs(int count, char** args, MergeScan* scan) {
  bool seen_wildcard = false;
  // The first rule that applies decides what an argument is.
  for (int i = 0; i < count; ++i) {
    const char* arg = args[i];
    if (HasWildcard(arg)) {
      if (seen_wildcard) return FailScan(*scan, Text::kTooManyWildcards, arg);
      seen_wildcard = true;
      if (!ScanWildcard(scan, arg)) return false;
    } else if (arg[0] == '@') {
      ScanListFile(scan, arg + 1);
    } else if (IsOutputOption(arg)) {
      if (!TakeOutputOption(scan, count, args, &i))
        return FailScan(*scan, Text::kSpecifyOutput, "");
    } else if (TakeInput(scan, arg)) {
      ++scan->file_count;
      scan->sources.push_back({{arg}, nullptr});
    }
  }
  return true;
}

}  // namespace zolt

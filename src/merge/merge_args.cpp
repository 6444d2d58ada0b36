#include "merge/merge_args.h"

#include "io/stream.h"
#include "merge/list_file.h"
#include "support/messages.h"
#include "support/sjis.h"
#include "support/wildcard_match.h"

namespace zolt {

namespace {

void ReportMissing(MergeScan* scan, const std::string& name) {
  PrintMessage(Text::kCannotOpen, name);
  ++scan->missing;
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

// Reads the list file of `item` (named `name`) once: every listed input is
// looked up, and the names are kept in `item` for the copy.
void ScanListFile(MergeScan* scan, MergeItem* item, const std::string& name) {
  InStream in;
  if (!OpenInput(&in, name)) {
    ReportMissing(scan, name);
    return;
  }
  item->listed = true;
  scan->found.push_back({name, Sys().IdentifyDescriptor(in.fd)});
  bool ok = ReadListNames(&in, [scan, item](const std::string& entry) {
    TakeInput(scan, entry);
    item->names.push_back(entry);
  });
  if (!ok) {
    PrintMessage(Text::kReadFailed, name);
    ++scan->missing;
  }
  CloseInput(&in);
}

// A fatal argument error: prints its message, then releases the wildcard
// list (with the list message when it holds files). Returns -1.
int FailScan(MergeScan* scan, Text text, const std::string& variable) {
  PrintMessage(text, variable);
  if (scan->wildcard.present) FreeWildcardList(&scan->wildcard, true);
  return -1;
}

}  // namespace

MergeArgKind ClassifyMergeArg(const char* arg) {
  if (HasWildcard(arg)) return MergeArgKind::kWildcard;
  if (arg[0] == '@') return MergeArgKind::kListFile;
  if (IsSwitchPrefix(arg[0]) && (arg[1] == 'o' || arg[1] == 'O'))
    return MergeArgKind::kOutputOption;
  return MergeArgKind::kPlain;
}

bool LookUpInput(const std::string& name, uint64_t* size) {
  std::vector<DirEntry> entries;
  if (!Sys().FindFiles(name, &entries) || entries.empty()) return false;
  if (!HasWildcard(name.c_str())) {
    *size = entries.front().size;
    return true;
  }
  // The search took the name as a pattern: only the entry that is literally
  // this name counts.
  const char* separator = SjisFindLast(name.c_str(), kPathSeparator);
  std::string leaf = separator ? std::string(separator + 1) : name;
  for (const DirEntry& entry : entries) {
    if (entry.name == leaf) {
      *size = entry.size;
      return true;
    }
  }
  return false;
}

int MergeArgs(int count, char** args, MergeScan* scan) {
  bool seen_wildcard = false;
  scan->items.assign(static_cast<size_t>(count), MergeItem{});
  for (int i = 0; i < count; ++i) {
    const char* arg = args[i];
    scan->items[static_cast<size_t>(i)].arg = arg;
    MergeItemKind kind = MergeItemKind::kSkip;
    switch (ClassifyMergeArg(arg)) {
      case MergeArgKind::kWildcard: {
        if (seen_wildcard) return FailScan(scan, Text::kTooManyWildcards, arg);
        seen_wildcard = true;
        if (!ExpandWildcard(arg, &scan->wildcard, &scan->total)) return -1;
        kind = MergeItemKind::kWildcard;
        if (const char* separator = SjisFindLast(arg, kPathSeparator))
          scan->dir_prefix.assign(arg, static_cast<size_t>(separator + 1 - arg));
        for (const std::string& name : scan->wildcard.names) {
          std::string path = scan->dir_prefix + name;
          scan->found.push_back({path, Sys().IdentifyName(path)});
        }
        break;
      }
      case MergeArgKind::kListFile:
        kind = MergeItemKind::kListFile;
        ++scan->list_count;
        ScanListFile(scan, &scan->items[static_cast<size_t>(i)], arg + 1);
        break;
      case MergeArgKind::kOutputOption: {
        const char* name = arg + 2;
        if (*name == '+') {
          scan->append = true;
          ++name;
        }
        if (*name != '\0') {
          scan->output = name;
        } else if (i + 1 < count) {
          // The next argument is the name, whatever it looks like.
          ++i;
          scan->items[static_cast<size_t>(i)].arg = args[i];
          scan->output = args[i];
        }
        if (scan->output.empty()) return FailScan(scan, Text::kSpecifyOutput, "");
        break;
      }
      case MergeArgKind::kPlain:
        if (TakeInput(scan, arg)) {
          kind = MergeItemKind::kFile;
          ++scan->file_count;
        }
        break;
    }
    if (kind != MergeItemKind::kSkip) scan->items[static_cast<size_t>(i)].kind = kind;
  }
  return count;
}

}  // namespace zolt

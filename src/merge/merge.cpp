#include "merge/merge.h"

#include <new>

#include "io/work_buffer.h"
#include "merge/merge_args.h"
#include "merge/merge_copy.h"
#include "support/disk_space.h"
#include "support/messages.h"

namespace zolt {

namespace {

// The input or list file the scan found that is the output itself, or
// nullptr. Only a regular file counts: a device such as the null device may
// be read and written at once.
const FoundInput* FindOutputAmongInputs(const MergeScan& scan) {
  FileId out =
      scan.output.empty() ? Sys().IdentifyDescriptor(kStdout) : Sys().IdentifyName(scan.output);
  if (!out.valid || !out.regular) return nullptr;
  for (const FoundInput& input : scan.found)
    if (input.id == out) return &input;
  return nullptr;
}

// Copies the inputs that the list file of `item` named when the scan read
// it; a list file the scan could not open is reported again. Returns false
// when writing the output failed.
bool CopyListFile(MergeRun* run, const MergeItem& item) {
  if (!item.listed) {
    PrintMessage(Text::kCannotOpen, item.arg + 1);
    run->input_failed = true;
    return true;
  }
  for (const std::string& name : item.names)
    if (!CopyNamedInput(run, name)) return false;
  return true;
}

// Copies every item in argument order. Returns false when writing the
// output failed; the copy stops there.
bool CopyItems(MergeScan* scan, MergeRun* run) {
  for (const MergeItem& item : scan->items) {
    bool ok = true;
    switch (item.kind) {
      case MergeItemKind::kFile:
        ok = CopyNamedInput(run, item.arg);
        break;
      case MergeItemKind::kListFile:
        ok = CopyListFile(run, item);
        break;
      case MergeItemKind::kWildcard:
        for (const std::string& name : scan->wildcard.names) {
          ok = CopyNamedInput(run, scan->dir_prefix + name);
          if (!ok) break;
        }
        FreeWildcardList(&scan->wildcard, false);
        break;
      case MergeItemKind::kSkip:
        break;
    }
    if (!ok) return false;
  }
  return true;
}

// The run after a successful scan: checks, opens the output, copies.
int MergeRunAfterScan(MergeScan* scan) {
  if (const FoundInput* clash = FindOutputAmongInputs(*scan)) {
    PrintMessage(Text::kSameFile, clash->name);
    return -1;
  }

  char total[32];
  CommaFormat(scan->total, total, sizeof total);
  PrintFormat(Text::kTotalMergeSize, total);

  const bool to_file = !scan->output.empty();
  int space = CheckDiskSpace(scan->total, to_file ? scan->output.c_str() : nullptr);
  if (space != 0) {
    if (space == -1) PrintMessage(Text::kMergeNoSpace);
    return -1;
  }
  if (!scan->wildcard.present && scan->list_count == 0 && scan->file_count < 2) {
    PrintMessage(Text::kTooFewParameters);
    return -1;
  }
  WorkBuffer work;
  if (!work.Allocate()) return -1;

  MergeRun run;
  run.to_file = to_file;
  if (to_file) {
    if (!OpenMergeOutput(&run.out, scan->output, scan->append)) {
      PrintMessage(Text::kCannotOpen, scan->output);
      if (scan->wildcard.present) FreeWildcardList(&scan->wildcard, true);
      return -1;
    }
    PrintFormat(Text::kMergingTo, scan->output.c_str());
    PrintFormat(Text::kBufferSize, static_cast<unsigned>(work.size()));
  } else {
    Sys().SetBinaryMode(kStdout, true);
    AttachOutput(&run.out, kStdout, false, "stdout");
    run.out.unbuffered = Sys().IsCharDevice(kStdout);
    run.show_names = !run.out.unbuffered;
  }
  FileId out_id = Sys().IdentifyDescriptor(run.out.fd);
  if (out_id.valid && out_id.regular) run.out_id = out_id;

  CopyItems(scan, &run);
  FreeWildcardList(&scan->wildcard, false);

  bool written = to_file ? CloseOutput(&run.out) : FlushOutput(&run.out);
  if (!written || run.out.failed) {
    PrintMessage(Text::kWriteFailed, run.out.name);
  } else if (to_file) {
    StampOutput(run, scan->output);
  }
  Sys().SetBinaryMode(kStdout, false);
  if (!written || run.out.failed) return -1;
  return run.input_failed || scan->missing > 0 ? -1 : 0;
}

}  // namespace

int Merge(int argc, char** argv) {
  if (argc < 2) return -1;
  try {
    MergeScan scan;
    if (MergeArgs(argc - 1, argv + 1, &scan) == -1) return -1;
    return MergeRunAfterScan(&scan);
  } catch (const std::bad_alloc&) {
    PrintMessage(Text::kMemoryError);
    return -1;
  }
}

}  // namespace zolt

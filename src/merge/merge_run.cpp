#include "merge/merge_run.h"

#include "io/stream_pair.h"
#include "io/work_buffer.h"
#include "merge/input_copy.h"
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

// Prints the total size, then checks the free space for it and that there
// are enough inputs. False after the message when the run may not go on.
bool CheckTotalAndInputs(const MergeScan& scan) {
  char total[32];
  CommaFormat(scan.total, total, sizeof total);
  PrintFilled<Text::kTotalMergeSize>(total);
  // Standard output is checked where it goes: a file's own file system, and
  // none for a pipe or a device.
  DiskSpace space = DiskSpace::kEnough;
  if (!scan.output.empty())
    space = CheckDiskSpace(scan.total, scan.output.c_str());
  else if (Sys().IdentifyDescriptor(kStdout).regular)
    space = CheckDiskSpaceOf(scan.total, kStdout);
  if (space != DiskSpace::kEnough) {
    if (space == DiskSpace::kShort) PrintMessage(Text::kMergeNoSpace);
    return false;
  }
  if (!scan.wildcard_found && scan.list_count == 0 && scan.file_count < 2) {
    PrintMessage(Text::kTooFewParameters);
    return false;
  }
  return true;
}

// Opens the output file, printing its start lines, or binds standard output
// when no name was given (names are not shown on a terminal). False after
// the messages when the file cannot be opened.
bool BindMergeOutput(const MergeScan& scan, const WorkBuffer& work, MergeCopy* copy) {
  if (scan.output.empty()) {
    BindStdout(&copy->out);
    copy->show_names = !copy->out.unbuffered();
  } else if (OpenOutput(&copy->out, scan.output,
                        scan.append ? OpenMode::kAppend : OpenMode::kWrite)) {
    PrintFilled<Text::kMergingTo>(scan.output);
    PrintFilled<Text::kBufferSize>(Decimal(work.size()));
  } else {
    PrintMessage(Text::kCannotOpen, scan.output);
    if (scan.wildcard_found) PrintMessage(Text::kListFailed);
    return false;
  }
  FileId id = Sys().IdentifyDescriptor(copy->out.fd());
  if (id.valid && id.regular) copy->out_id = id;
  return true;
}

// Copies the inputs of every source in argument order; a list file that
// could not be opened is reported again. Stops when writing the output failed.
void CopySources(const MergeScan& scan, MergeCopy* copy) {
  for (const MergeSource& source : scan.sources) {
    if (source.unopened_list) {
      PrintMessage(Text::kCannotOpen, source.unopened_list);
      copy->input_failed = true;
    }
    for (const std::string& name : source.inputs)
      if (!CopyNamedInput(copy, name)) return;
  }
}

// Writes out the rest of the output (a file: closes it) and reports a
// failure; a regular output file then takes the inputs' common write time.
// False when the output was not completely written.
bool FinishOutput(const MergeScan& scan, MergeCopy* copy) {
  const bool to_file = !scan.output.empty();
  if (!(to_file ? CloseOutput(&copy->out) : FlushOutput(&copy->out))) {
    PrintMessage(Text::kWriteFailed, copy->out.name());
    return false;
  }
  if (to_file && copy->out_id.valid) StampWriteTime(copy->write_time, scan.output);
  return true;
}

}  // namespace

JobResult RunMerge(const MergeScan& scan) {
  if (const FoundInput* clash = FindOutputAmongInputs(scan)) {
    PrintMessage(Text::kSameFile, clash->name);
    return JobResult::kFailed;
  }
  if (!CheckTotalAndInputs(scan)) return JobResult::kFailed;
  WorkBuffer work;
  if (!work.Allocate()) return JobResult::kFailed;
  MergeCopy copy;
  if (!BindMergeOutput(scan, work, &copy)) return JobResult::kFailed;
  CopySources(scan, &copy);
  bool written = FinishOutput(scan, &copy);
  Sys().SetStreamMode(kStdout, StreamMode::kText);
  return written && !copy.input_failed && scan.missing == 0 ? JobResult::kDone : JobResult::kFailed;
}

}  // namespace zolt

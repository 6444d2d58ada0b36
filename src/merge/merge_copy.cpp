#include "merge/merge_copy.h"

#include "io/copy.h"
#include "support/messages.h"

namespace zolt {

namespace {

// Takes the last-write time of the input `name` into the time-stamp rule:
// the first time read is kept, and any later one that differs from it
// (to the nanosecond) ends the rule.
void NoteWriteTime(MergeRun* run, const std::string& name) {
  if (run->times_differ) return;
  FileTimes times;
  if (!Sys().GetFileTimes(name, &times)) return;
  if (run->write_time.empty())
    run->write_time = times.write;
  else if (!(run->write_time == times.write))
    run->times_differ = true;
}

// True (after reporting `name` with the same-file message) when the open
// descriptor `fd` is the output file itself.
bool RefuseIfOutput(MergeRun* run, int fd, const std::string& name) {
  if (!run->out_id.valid) return false;
  if (!(Sys().IdentifyDescriptor(fd) == run->out_id)) return false;
  PrintMessage(Text::kSameFile, name);
  run->input_failed = true;
  return true;
}

// Opens the input `name`; on failure reports it, marks the run and returns
// false.
bool OpenMergeInput(MergeRun* run, InStream* in, const std::string& name) {
  if (OpenInput(in, name)) return true;
  PrintMessage(Text::kCannotOpen, name);
  run->input_failed = true;
  return false;
}

}  // namespace

bool OpenMergeOutput(OutStream* out, const std::string& name, bool append) {
  return OpenOutput(out, name, append);
}

bool CopyInput(InStream* in, MergeRun* run, const std::string& name) {
  if (run->show_names) PrintRaw(name);
  // Between regular files the system copies the data itself.
  bool files =
      Sys().IdentifyDescriptor(in->fd).regular && Sys().IdentifyDescriptor(run->out.fd).regular;
  unsigned long long count = CopyStream(in, &run->out, files);
  if (run->out.failed || in->error) {
    // The progress line is left unfinished; the failure is reported on a
    // line of its own.
    if (run->show_names) PrintRaw("\n");
    if (run->out.failed) return false;
    PrintMessage(Text::kReadFailed, name);
    run->input_failed = true;
    return true;
  }
  PrintFormat(Text::kBytesOk, count);
  NoteWriteTime(run, name);
  return true;
}

bool CopyNamedInput(MergeRun* run, const std::string& name) {
  InStream in;
  if (!OpenMergeInput(run, &in, name)) return true;
  bool ok = true;
  if (!RefuseIfOutput(run, in.fd, name)) ok = CopyInput(&in, run, name);
  CloseInput(&in);
  return ok;
}

void StampOutput(const MergeRun& run, const std::string& name) {
  if (!run.to_file || !run.out_id.valid || run.times_differ || run.write_time.empty()) return;
  FileTimes times;
  times.write = run.write_time;
  Sys().SetFileTimes(name, times);
}

}  // namespace zolt

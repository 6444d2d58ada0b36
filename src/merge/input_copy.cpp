#include "merge/input_copy.h"

#include "io/copy.h"
#include "support/messages.h"

namespace zolt {

namespace {

// Reports `name` with `text` and marks the run: the input is left out.
void LeaveOut(MergeRun* run, Text text, const std::string& name) {
  PrintMessage(text, name);
  run->input_failed = true;
}

// Copies the open input `in` (a regular file when `in_file`) and prints its
// progress line. False when writing the output failed.
bool CopyInput(InStream* in, bool in_file, MergeRun* run, const std::string& name) {
  if (run->show_names) PrintRaw(name);
  // Between regular files the system copies the data itself.
  unsigned long long count = CopyStream(in, &run->out, in_file && run->out_id.valid);
  if (run->out.failed || in->error) {
    // The progress line is left unfinished; the failure is reported on a
    // line of its own.
    if (run->show_names) PrintRaw("\n");
    if (run->out.failed) return false;
    LeaveOut(run, Text::kReadFailed, name);
    return true;
  }
  PrintFormat(Text::kBytesOk, count);
  NoteWriteTime(&run->write_time, name);
  return true;
}

}  // namespace

bool CopyNamedInput(MergeRun* run, const std::string& name) {
  InStream in;
  if (!OpenInput(&in, name)) {
    LeaveOut(run, Text::kCannotOpen, name);
    return true;
  }
  FileId id = Sys().IdentifyDescriptor(in.fd);
  if (run->out_id.valid && id == run->out_id) {
    LeaveOut(run, Text::kSameFile, name);
    return true;
  }
  return CopyInput(&in, id.regular, run, name);
}

}  // namespace zolt

#include "merge/input_copy.h"

#include "io/copy.h"
#include "support/messages.h"

namespace zolt {

namespace {

// Reports `name` with `text` and marks the copy: the input is left out.
void LeaveOut(MergeCopy* copy, Text text, const std::string& name) {
  PrintMessage(text, name);
  copy->input_failed = true;
}

// Copies the open input `in` (a regular file when `in_file`) and prints its
// progress line. False when writing the output failed.
bool CopyInput(InStream* in, bool in_file, MergeCopy* copy, const std::string& name) {
  if (copy->show_names) PrintRaw(name);
  // Between regular files the system copies the data itself.
  CopyBy how = in_file && copy->out_id.valid ? CopyBy::kSystem : CopyBy::kBuffer;
  uint64_t count = CopyStream(in, &copy->out, how);
  if (copy->out.failed() || in->error()) {
    // The progress line is left unfinished; the failure is reported on a
    // line of its own.
    if (copy->show_names) PrintRaw("\n");
    if (copy->out.failed()) return false;
    LeaveOut(copy, Text::kReadFailed, name);
    return true;
  }
  PrintFilled<Text::kBytesOk>(Decimal(count));
  NoteWriteTime(&copy->write_time, name);
  return true;
}

}  // namespace

bool CopyNamedInput(MergeCopy* copy, const std::string& name) {
  InStream in;
  if (!OpenInput(&in, name)) {
    LeaveOut(copy, Text::kCannotOpen, name);
    return true;
  }
  FileId id = Sys().IdentifyDescriptor(in.fd());
  if (copy->out_id.valid && id == copy->out_id) {
    LeaveOut(copy, Text::kSameFile, name);
    return true;
  }
  return CopyInput(&in, id.regular, copy, name);
}

}  // namespace zolt

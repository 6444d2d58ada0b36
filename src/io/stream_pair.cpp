#include "io/stream_pair.h"

#include "support/platform.h"
#include "support/sjis.h"

namespace zolt {

namespace {

// True when writing to `output` would overwrite the regular file `input`.
bool IsSameRegularFile(const FileId& input, const FileId& output) {
  return input.valid && output.valid && input.regular && input == output;
}

}  // namespace

void BindStdout(OutStream* out) {
  Sys().SetStreamMode(kStdout, StreamMode::kBinary);
  AttachOutput(out, kStdout, Ownership::kBorrowed, "stdout");
  if (Sys().IsCharDevice(kStdout)) out->WriteEachBlock();
}

bool OpenRedirectedInput(InStream* in) {
  if (Sys().IsCharDevice(kStdin)) return false;
  Sys().SetStreamMode(kStdin, StreamMode::kBinary);
  int fd = Sys().Duplicate(kStdin);
  if (fd < 0) return false;
  AttachInput(in, fd, Ownership::kOwned);
  Sys().ReattachStdinToConsole();
  return true;
}

BindResult BindStreams(int count, char** names, StreamPair* pair) {
  *pair = StreamPair{};
  // Standard input is taken over only when it is the input.
  if (count < 2) {
    if (!Sys().IsCharDevice(kStdin) && !Sys().CanRead(kStdin)) return BindResult::kUnreadable;
    pair->redirected = OpenRedirectedInput(&pair->input);
  }
  if (count == 0) {
    if (!pair->redirected) return BindResult::kMissing;
  } else if (count == 1 && !pair->redirected) {
    if (!OpenInput(&pair->input, names[0])) return BindResult::kMissing;
  } else {
    if (count > 1 && SameFileName(names[0], names[1])) return BindResult::kMissing;
    if (count > 1 && !OpenInput(&pair->input, names[0])) return BindResult::kMissing;
    const char* output = names[count > 1 ? 1 : 0];
    FileId in = Sys().IdentifyDescriptor(pair->input.fd());
    if (IsSameRegularFile(in, Sys().IdentifyName(output))) return BindResult::kSameFile;
    if (!OpenOutput(&pair->output, output, OpenMode::kWrite)) return BindResult::kMissing;
    return BindResult::kBound;
  }
  // The output is standard output.
  FileId in = Sys().IdentifyDescriptor(pair->input.fd());
  if (IsSameRegularFile(in, Sys().IdentifyDescriptor(kStdout))) return BindResult::kSameFile;
  BindStdout(&pair->output);
  return BindResult::kBound;
}

bool ReleaseStreams(StreamPair* pair) {
  bool ok = true;
  if (pair->output.is_open()) ok = CloseOutput(&pair->output) && !pair->output.failed();
  CloseInput(&pair->input);
  Sys().SetStreamMode(kStdin, StreamMode::kText);
  Sys().SetStreamMode(kStdout, StreamMode::kText);
  return ok;
}

}  // namespace zolt

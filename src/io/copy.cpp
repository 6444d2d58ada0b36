#include "io/copy.h"

#include "support/platform.h"

namespace zolt {

uint64_t CopyStream(InStream* in, OutStream* out, bool in_kernel) {
  uint64_t count = 0;
  if (in_kernel && in->pos == in->end && FlushOutput(out)) {
    for (;;) {
      int64_t n = Sys().CopyFileData(in->fd, out->fd, size_t{1} << 30);
      if (n <= 0) {
        if (n == 0) in->eof = true;
        break;
      }
      count += static_cast<uint64_t>(n);
    }
  }
  while (!out->failed && FillInput(in) > 0) {
    size_t n = in->end - in->pos;
    WriteBytes(out, in->buffer.data() + in->pos, n);
    in->pos = in->end;
    EndOfBlock(out);
    if (!out->failed) count += n;
  }
  return count;
}

}  // namespace zolt

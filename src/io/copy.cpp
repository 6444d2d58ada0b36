#include "io/copy.h"

#include <algorithm>

#include "support/platform.h"

namespace zolt {

uint64_t CopyStream(InStream* in, OutStream* out, CopyBy how) {
  uint64_t count = 0;
  if (how == CopyBy::kSystem && in->pos == in->end && FlushOutput(out)) {
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

uint64_t CopyBytes(InStream* in, OutStream* out, uint64_t count) {
  uint64_t done = std::min<uint64_t>(count, in->end - in->pos);
  WriteBytes(out, in->buffer.data() + in->pos, static_cast<size_t>(done));
  in->pos += static_cast<size_t>(done);
  bool in_kernel = FlushOutput(out);
  while (done < count && !out->failed && !in->eof && !in->error) {
    uint64_t limit = in_kernel ? size_t{1} << 30 : in->buffer.size();
    size_t want = static_cast<size_t>(std::min(count - done, limit));
    int64_t n = in_kernel ? Sys().CopyFileData(in->fd, out->fd, want)
                          : Sys().Read(in->fd, in->buffer.data(), want);
    if (n < 0 && in_kernel) {
      in_kernel = false;  // Read and Write take over and report any error
      continue;
    }
    if (n <= 0) {
      (n == 0 ? in->eof : in->error) = true;
      break;
    }
    if (!in_kernel) WriteBytes(out, in->buffer.data(), static_cast<size_t>(n));
    done += static_cast<uint64_t>(n);
  }
  return done;
}

}  // namespace zolt

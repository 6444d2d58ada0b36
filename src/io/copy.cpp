#include "io/copy.h"

#include <algorithm>
#include <span>

namespace zolt {

namespace {

// The most the system is asked to copy at once.
constexpr size_t kSystemCopyStep = size_t{1} << 30;

// Writes `count` pending bytes of `in` to `out` and consumes them.
void PassPending(InStream* in, OutStream* out, size_t count) {
  WriteBytes(out, in->Pending().data(), count);
  in->Consume(count);
}

}  // namespace

uint64_t CopyStream(InStream* in, OutStream* out, CopyBy how) {
  uint64_t count = 0;
  if (how == CopyBy::kSystem && in->Pending().empty() && FlushOutput(out)) {
    for (;;) {
      int64_t n = SystemCopy(in, out, kSystemCopyStep);
      if (n <= 0) break;
      count += static_cast<uint64_t>(n);
    }
  }
  while (!out->failed() && FillInput(in) > 0) {
    size_t n = in->Pending().size();
    PassPending(in, out, n);
    EndOfBlock(out);
    if (!out->failed()) count += n;
  }
  return count;
}

uint64_t CopyBytes(InStream* in, OutStream* out, uint64_t count) {
  uint64_t done = std::min<uint64_t>(count, in->Pending().size());
  PassPending(in, out, static_cast<size_t>(done));
  bool in_kernel = FlushOutput(out);
  while (done < count && !out->failed() && !in->eof() && !in->error()) {
    uint64_t limit = in_kernel ? kSystemCopyStep : kStreamBlock;
    size_t want = static_cast<size_t>(std::min(count - done, limit));
    int64_t n = in_kernel ? SystemCopy(in, out, want) : static_cast<int64_t>(FillInput(in, want));
    if (n < 0) {
      in_kernel = false;  // reads and writes take over and report any error
      continue;
    }
    if (n == 0) break;  // the input ended or a read failed
    if (!in_kernel) PassPending(in, out, static_cast<size_t>(n));
    done += static_cast<uint64_t>(n);
  }
  return done;
}

}  // namespace zolt

#include "filters/newline.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "filters/filter_driver.h"
#include "io/copy.h"
#include "io/work_buffer.h"
#include "support/byte_masks.h"
#include "support/platform.h"

namespace zolt {

namespace {

// Writes the bytes of newline type 1 (CR LF), 2 (LF) or 4 (CR).
void PutNewline(int type, OutStream* out) {
  switch (type) {
    case 1:
      WriteBytes(out, "\r\n", 2);
      break;
    case 2:
      WriteByte(out, '\n');
      break;
    case 4:
      WriteByte(out, '\r');
      break;
    default:
      break;
  }
}

// The plain copy: no per-byte work. From a file the system copies the data
// itself where it can; whatever it leaves (or cannot do) moves in whole
// blocks from the input stream's buffer to the output, which reports the
// errors. The work buffer is taken as the job requires, but the data never
// passes through it.
int PlainCopy(StreamPair* pair) {
  WorkBuffer work;
  if (!work.Allocate()) return -1;
  CopyStream(&pair->input, &pair->output, true);
  return 0;
}

// Newline rewriting over one block. Each CR or LF byte is kept (left in the
// run of bytes copied as they are), dropped, or replaced by a newline; a run
// is written in one piece when a byte in it must change. `type` is a newline
// type (1, 2 or 4) or kJoin. `after_cr` says whether the previous block
// ended with a CR, and is updated for the next one.
constexpr int kJoin = 0;

void NewlineBlock(int type, bool* after_cr, const char* data, size_t size, OutStream* out) {
  if (size == 0) return;
  const char* end = data + size;
  const char* p = data;
  // An LF after the previous block's CR: that CR already made the newline
  // (or, joining, the pair goes).
  if (*after_cr && *p == '\n') ++p;
  *after_cr = end[-1] == '\r';
  const char* copied = p;
  const bool want_cr = type != 4;
  const bool want_lf = type != 2;
  while (p < end) {
    size_t n = std::min(kMaskChunk, static_cast<size_t>(end - p));
    auto* bytes = reinterpret_cast<const unsigned char*>(p);
    uint64_t crs = want_cr ? EqualMask(bytes, n, '\r') : 0;
    uint64_t lfs = want_lf ? EqualMask(bytes, n, '\n') : 0;
    if (type == 1 && n == kMaskChunk) {
      // Text already in CR LF pairs keeps every byte: a chunk whose LFs are
      // exactly the bytes after its CRs (and whose last CR, if any, has its
      // LF in this block) needs no look at each newline.
      uint64_t cr_before = p > data && p[-1] == '\r' ? 1 : 0;
      bool last_paired = (crs >> 63) == 0 ||
                         (end - p > static_cast<ptrdiff_t>(kMaskChunk) && p[kMaskChunk] == '\n');
      if (lfs == ((crs << 1) | cr_before) && last_paired) {
        p += n;
        continue;
      }
    }
    uint64_t events = crs | lfs;
    for (; events != 0; events &= events - 1) {
      const char* q = p + std::countr_zero(events);
      bool keep;
      if (*q == '\r') {
        bool lf_next = q + 1 < end && q[1] == '\n';
        // -Cu drops the CR of a pair, -Cd keeps the pair, joining drops it.
        keep = type == 1 && lf_next;
        if (type == 2 && lf_next) {
          if (q > copied) WriteBytes(out, copied, static_cast<size_t>(q - copied));
          copied = q + 1;
          continue;
        }
      } else {
        bool cr_before = q > data && q[-1] == '\r';
        keep = cr_before ? type == 1 : type == kJoin;
      }
      if (keep) continue;
      if (q > copied) WriteBytes(out, copied, static_cast<size_t>(q - copied));
      copied = q + 1;
      bool cr = *q == '\r';
      if (type == kJoin) {
        // A CR goes; an LF after a CR goes with it.
      } else if (cr || !(q > data && q[-1] == '\r')) {
        PutNewline(type, out);
      }
    }
    p += n;
  }
  if (end > copied) WriteBytes(out, copied, static_cast<size_t>(end - copied));
}

int RunNewlineBlocks(StreamPair* pair, int type) {
  bool after_cr = false;
  ForEachBlock(pair, [&](const char* data, size_t size) {
    NewlineBlock(type, &after_cr, data, size, &pair->output);
    return true;
  });
  return 0;
}

}  // namespace

int CopyUnchanged(StreamPair* pair) {
  return PlainCopy(pair);
}

int ConvertNewlines(StreamPair* pair, Newline newline) {
  return RunNewlineBlocks(pair, newline == Newline::kCrLf ? 1 : newline == Newline::kLf ? 2 : 4);
}

int JoinLines(StreamPair* pair) {
  return RunNewlineBlocks(pair, kJoin);
}

}  // namespace zolt

#include "filters/newline.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "filters/filter_driver.h"
#include "io/copy.h"
#include "io/work_buffer.h"
#include "support/byte_masks.h"
#include "support/platform.h"

namespace zolt {

namespace {

// Writes the bytes of a newline in the form `type` (nothing for kNone).
void PutNewline(Newline type, OutStream* out) {
  switch (type) {
    case Newline::kCrLf:
      WriteBytes(out, "\r\n", 2);
      break;
    case Newline::kLf:
      WriteByte(out, '\n');
      break;
    case Newline::kCr:
      WriteByte(out, '\r');
      break;
    case Newline::kNone:
      break;
  }
}

// The plain copy: no per-byte work. From a file the system copies the data
// itself where it can; whatever it leaves (or cannot do) moves in whole
// blocks from the input stream's buffer to the output, which reports the
// errors. The work buffer is taken as the job requires, but the data never
// passes through it.
JobResult PlainCopy(StreamPair* pair) {
  WorkBuffer work;
  if (!work.Allocate()) return JobResult::kFailed;
  CopyStream(&pair->input, &pair->output, CopyBy::kSystem);
  return JobResult::kDone;
}

// A block of input: the bytes around a range that its rules may look at.
struct Block {
  const char* data;
  const char* end;
};

// Newline rewriting over [p, to) of `block`, looking at the bytes next to
// each CR and LF wherever they lie in the block. Each CR or LF byte is kept
// (left in the run of bytes copied as they are), dropped, or replaced by a
// newline; a run is written in one piece when a byte in it must change.
void NewlineRange(Newline type, Block block, const char* p, const char* to, OutStream* out) {
  const char* copied = p;
  const bool want_cr = type != Newline::kCr;
  const bool want_lf = type != Newline::kLf;
  while (p < to) {
    size_t n = std::min(kMaskChunk, static_cast<size_t>(to - p));
    auto* bytes = reinterpret_cast<const unsigned char*>(p);
    uint64_t crs = want_cr ? EqualMask(bytes, n, '\r') : 0;
    uint64_t lfs = want_lf ? EqualMask(bytes, n, '\n') : 0;
    if (type == Newline::kCrLf && n == kMaskChunk) {
      // Text already in CR LF pairs keeps every byte: a chunk whose LFs are
      // exactly the bytes after its CRs (and whose last CR, if any, has its
      // LF in this block) needs no look at each newline.
      uint64_t cr_before = p > block.data && p[-1] == '\r' ? 1 : 0;
      bool last_paired = (crs >> 63) == 0 || (block.end - p > static_cast<ptrdiff_t>(kMaskChunk) &&
                                              p[kMaskChunk] == '\n');
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
        bool lf_next = q + 1 < block.end && q[1] == '\n';
        // -Cu drops the CR of a pair, -Cd keeps the pair, joining drops it.
        keep = type == Newline::kCrLf && lf_next;
        if (type == Newline::kLf && lf_next) {
          if (q > copied) WriteBytes(out, copied, static_cast<size_t>(q - copied));
          copied = q + 1;
          continue;
        }
      } else {
        bool cr_before = q > block.data && q[-1] == '\r';
        keep = cr_before ? type == Newline::kCrLf : type == Newline::kNone;
      }
      if (keep) continue;
      if (q > copied) WriteBytes(out, copied, static_cast<size_t>(q - copied));
      copied = q + 1;
      bool cr = *q == '\r';
      if (type == Newline::kNone) {
        // A CR goes; an LF after a CR goes with it.
      } else if (cr || !(q > block.data && q[-1] == '\r')) {
        PutNewline(type, out);
      }
    }
    p += n;
  }
  if (to > copied) WriteBytes(out, copied, static_cast<size_t>(to - copied));
}

// One step of the vector pass for kLf, kCr or kNone: the 16 bytes at
// p (p[-1] to p[31] must be readable) are stored at o (32 bytes of room)
// without the bytes the type drops: the CR of each CR LF pair for LF
// newlines, the LF of each pair for CR newlines, every CR and the LF of
// each pair when joining. Returns the bytes written, or -1 (nothing
// stored) when the bytes need NewlineRange: a byte to replace, or dropped
// bytes that are not one run.
template <Newline kType>
int PairStep(const char* p, char* o) {
  auto* bytes = reinterpret_cast<const unsigned char*>(p);
  uint32_t crs = EqualMask16(bytes, '\r');
  uint32_t drop;
  uint32_t replace;
  if (kType == Newline::kLf) {
    uint32_t lf_next = EqualMask16(bytes + 1, '\n');
    drop = crs & lf_next;
    replace = crs & ~lf_next;
  } else {
    uint32_t lf_after_cr = EqualMask16(bytes, '\n') & EqualMask16(bytes - 1, '\r');
    drop = kType == Newline::kCr ? lf_after_cr : crs | lf_after_cr;
    replace = kType == Newline::kCr ? EqualMask16(bytes, '\n') & ~lf_after_cr : 0;
  }
  // The dropped bytes run from `at` (16: none), `count` of them.
  int at = std::countr_zero(drop | 0x10000);
  int count = std::countr_zero(((drop >> at) + 1) | 0x20000);  // the run's trailing ones
  if ((replace | (drop >> at >> count)) != 0) return -1;
  // The second store moves the bytes after the run down over it. Where
  // each step starts does not depend on the bytes, so steps overlap.
  std::memcpy(o, p, 16);
  std::memcpy(o + at, p + at + count, 16);
  return 16 - count;
}

// Vector steps from p to `stop` while they can be taken, storing from *o
// on; returns where they stopped.
template <Newline kType>
const char* PairSteps(const char* p, const char* stop, char** o) {
  char* at = *o;
  for (; p < stop; p += 16) {
    int written = PairStep<kType>(p, at);
    if (written < 0) break;
    at += written;
  }
  *o = at;
  return p;
}

// Input bytes a stretch of vector steps covers between two looks at the
// room in the output.
constexpr size_t kStretch = 4096;

// The vector pass over text in CR LF pairs (kLf, kCr and kNone): from p
// (after the block's first byte) to 32 bytes before the block's end, 16
// bytes a step stored straight into the output buffer; steps that hold
// something else go through NewlineRange. Returns where it stopped.
template <Newline kType>
const char* PairPass(Block block, const char* p, OutStream* out) {
  while (block.end - p >= 32 + 16) {
    const char* stop = p + std::min<size_t>(kStretch, static_cast<size_t>(block.end - p) - 32);
    char* o = OutputRoom(out, kStretch + 32);
    if (!o) break;
    while (p < stop) {
      p = PairSteps<kType>(p, stop, &o);
      if (p == stop) break;
      OutputDone(out, o);
      NewlineRange(kType, block, p, p + 16, out);
      p += 16;
      o = OutputRoom(out, kStretch + 32);
      if (!o) return p;
    }
    OutputDone(out, o);
  }
  return p;
}

// Newline rewriting over one block. `after_cr` says whether the previous
// block ended with a CR, and is updated for the next one.
void NewlineBlock(Newline type, bool* after_cr, const char* data, size_t size, OutStream* out) {
  if (size == 0) return;
  Block block = {data, data + size};
  const char* p = data;
  // An LF after the previous block's CR: that CR already made the newline
  // (or, joining, the pair goes).
  if (*after_cr && *p == '\n') ++p;
  *after_cr = block.end[-1] == '\r';
  if (type != Newline::kCrLf && block.end - p > 16) {
    // The vector pass looks at the byte before each step.
    NewlineRange(type, block, p, p + 16, out);
    p += 16;
    if (type == Newline::kLf) p = PairPass<Newline::kLf>(block, p, out);
    if (type == Newline::kCr) p = PairPass<Newline::kCr>(block, p, out);
    if (type == Newline::kNone) p = PairPass<Newline::kNone>(block, p, out);
  }
  NewlineRange(type, block, p, block.end, out);
}

JobResult RunNewlineBlocks(StreamPair* pair, Newline type) {
  bool after_cr = false;
  ForEachBlock(pair, [&](const char* data, size_t size) {
    NewlineBlock(type, &after_cr, data, size, &pair->output);
    return true;
  });
  return JobResult::kDone;
}

}  // namespace

JobResult CopyUnchanged(StreamPair* pair) {
  return PlainCopy(pair);
}

JobResult ConvertNewlines(StreamPair* pair, Newline newline) {
  return RunNewlineBlocks(pair, newline);
}

JobResult JoinLines(StreamPair* pair) {
  return RunNewlineBlocks(pair, Newline::kNone);
}

}  // namespace zolt

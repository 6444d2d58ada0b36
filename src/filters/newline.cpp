#include "filters/newline.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "filters/filter_driver.h"
#include "support/byte_masks.h"
#include "support/platform.h"
#include "support/wide_masks.h"

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

// A block of input: the bytes around a range that its rules may look at.
struct Block {
  const char* data;
  const char* end;
};

// Whether the 64 bytes at p in `block` need no look at each newline: every
// CR and LF among them is one of a CR LF pair, the byte after them
// included (its LF, too, has its CR).
template <typename Masks>
bool PairedChunk(Block block, const char* p) {
  bool first_paired = *p != '\n' || (p > block.data && p[-1] == '\r');
  return first_paired && block.end - p > static_cast<ptrdiff_t>(kMaskChunk) &&
         Masks::PairedNewlines(reinterpret_cast<const unsigned char*>(p));
}

// Newline rewriting over [p, to) of `block`, looking at the bytes next to
// each CR and LF wherever they lie in the block. Each CR or LF byte is kept
// (left in the run of bytes copied as they are), dropped, or replaced by a
// newline; a run is written in one piece when a byte in it must change.
template <typename Masks>
void NewlineRange(Newline type, Block block, const char* p, const char* to, OutStream* out) {
  const char* copied = p;
  const bool want_cr = type != Newline::kCr;
  const bool want_lf = type != Newline::kLf;
  while (p < to) {
    // Text already in CR LF pairs keeps every byte: whole chunks of it are
    // skipped in a loop of their own.
    if (type == Newline::kCrLf) {
      while (to - p >= static_cast<ptrdiff_t>(kMaskChunk) && PairedChunk<Masks>(block, p))
        p += kMaskChunk;
      if (p == to) break;
    }
    size_t n = std::min(kMaskChunk, static_cast<size_t>(to - p));
    auto* bytes = reinterpret_cast<const unsigned char*>(p);
    bool whole = n == kMaskChunk;
    uint64_t crs = !want_cr ? 0 : whole ? Masks::Equal(bytes, '\r') : EqualMask(bytes, n, '\r');
    uint64_t lfs = !want_lf ? 0 : whole ? Masks::Equal(bytes, '\n') : EqualMask(bytes, n, '\n');
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

// Which bytes of the vector at `bytes` a kLf, kCr or kNone conversion
// changes, with `equal(at, c)` the mask of the bytes at `at` equal to c
// (bytes[-1] and the byte after the vector are read).
struct NewlineBits {
  uint64_t drop;     // left out: the CR of a CR LF pair for LF, its LF for
                     // CR, every CR and the LF of each pair when joining
  uint64_t replace;  // a lone CR for LF and a lone LF for CR, rewritten
};
template <Newline kType, typename Equal>
NewlineBits NewlineChanges(const unsigned char* bytes, Equal equal) {
  if (kType == Newline::kLf) {
    uint64_t crs = equal(bytes, '\r');
    uint64_t lf_next = equal(bytes + 1, '\n');
    return {crs & lf_next, crs & ~lf_next};
  }
  uint64_t lfs = equal(bytes, '\n');
  uint64_t lf_after_cr = lfs & equal(bytes - 1, '\r');
  if (kType == Newline::kCr) return {lf_after_cr, lfs & ~lf_after_cr};
  return {equal(bytes, '\r') | lf_after_cr, 0};
}

// One step of the vector pass for kLf, kCr or kNone: the kStep bytes
// at p (p[-1] to p[2 * kStep - 1] must be readable) are stored at o (2 *
// kStep bytes of room) without the bytes the type drops: the CR of each CR
// LF pair for LF newlines, the LF of each pair for CR newlines, every CR
// and the LF of each pair when joining. Returns the bytes written, or -1
// (nothing stored) when the bytes need NewlineRange: a byte to replace, or
// dropped bytes that are not one run.
template <Newline kType, typename Masks>
int PairStep(const char* p, char* o) {
  constexpr int kStep = static_cast<int>(Masks::kStep);
  auto [drop, replace] = NewlineChanges<kType>(
      reinterpret_cast<const unsigned char*>(p),
      [](const unsigned char* at, unsigned char c) { return Masks::StepEqual(at, c); });
  // The dropped bytes run from `at` (kStep: none), `count` of them.
  int at = std::countr_zero(drop | uint64_t{1} << kStep);
  int count = std::countr_zero(((drop >> at) + 1) | uint64_t{2} << kStep);  // trailing ones
  if ((replace | (drop >> at >> count)) != 0) return -1;
  // The second store moves the bytes after the run down over it. Where
  // each step starts does not depend on the bytes, so steps overlap.
  Masks::StepCopy(o, p);
  Masks::StepCopy(o + at, p + at + count);
  return kStep - count;
}

// Vector steps from p to `stop` while they can be taken, storing from *o
// on; returns where they stopped. A wide step that fails is tried again as
// two narrow ones (two newlines in 32 bytes).
template <Newline kType, typename Masks>
const char* PairSteps(const char* p, const char* stop, char** o) {
  char* at = *o;
  for (; p < stop; p += Masks::kStep) {
    int written = PairStep<kType, Masks>(p, at);
    if constexpr (Masks::kStep == 2 * NarrowMasks::kStep) {
      if (written < 0) {
        int first = PairStep<kType, NarrowMasks>(p, at);
        int second = first < 0 ? -1 : PairStep<kType, NarrowMasks>(p + 16, at + first);
        written = second < 0 ? -1 : first + second;
      }
    }
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
// (after the block's first byte) to two steps before the block's end, a
// step at a time stored straight into the output buffer; steps that hold
// something else go through NewlineRange. Returns where it stopped.
template <Newline kType, typename Masks>
const char* PairPass(Block block, const char* p, OutStream* out) {
  constexpr size_t kStep = Masks::kStep;
  while (block.end - p >= static_cast<ptrdiff_t>(3 * kStep)) {
    const char* stop = p + std::min(kStretch, static_cast<size_t>(block.end - p) - 2 * kStep);
    char* o = OutputRoom(out, kStretch + 2 * kStep);
    if (!o) break;
    while (p < stop) {
      p = PairSteps<kType, Masks>(p, stop, &o);
      if (p >= stop) break;
      OutputDone(out, o);
      NewlineRange<Masks>(kType, block, p, p + kStep, out);
      p += kStep;
      o = OutputRoom(out, kStretch + 2 * kStep);
      if (!o) return p;
    }
    OutputDone(out, o);
  }
  return p;
}

// One chunk of the compaction for kLf, kCr or kNone: the 64 bytes at p
// (p[-1] and p[64] readable) stored at o (64 bytes of room) without the
// bytes the type drops, a lone CR made LF for LF newlines and a lone LF
// made CR for CR newlines, as NewlineRange would write them. Returns the
// end of what it stored.
template <Newline kType, typename Masks>
char* CompactChunk(const char* p, char* o) {
  auto* bytes = reinterpret_cast<const unsigned char*>(p);
  auto [drop, replace] = NewlineChanges<kType>(
      bytes, [](const unsigned char* at, unsigned char c) { return Masks::Equal(at, c); });
  const unsigned char with = kType == Newline::kLf ? '\n' : '\r';
  return o + Masks::StoreKept(bytes, ~drop, replace, with, o);
}

// The compaction pass (kLf, kCr and kNone) on 64-byte vectors that can drop
// any bytes of a chunk: from p (after the block's first byte) while a byte
// follows the chunk, stored straight into the output buffer. Returns where
// it stopped.
template <Newline kType, typename Masks>
const char* CompactPass(Block block, const char* p, OutStream* out) {
  while (block.end - p > static_cast<ptrdiff_t>(kMaskChunk)) {
    size_t chunks = std::min(kStretch, static_cast<size_t>(block.end - p) - 1) / kMaskChunk;
    char* o = OutputRoom(out, kStretch);
    if (!o) break;
    for (; chunks > 0; --chunks, p += kMaskChunk) o = CompactChunk<kType, Masks>(p, o);
    OutputDone(out, o);
  }
  return p;
}

// The vector pass of the type: compaction where the vectors can drop bytes,
// else pairs of stores.
template <Newline kType, typename Masks>
const char* VectorPass(Block block, const char* p, OutStream* out) {
  if constexpr (Masks::kStep == kMaskChunk) {
    return CompactPass<kType, Masks>(block, p, out);
  } else {
    return PairPass<kType, Masks>(block, p, out);
  }
}

// Newline rewriting over one block. `after_cr` says whether the previous
// block ended with a CR, and is updated for the next one.
template <typename Masks>
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
    NewlineRange<Masks>(type, block, p, p + 16, out);
    p += 16;
    if (type == Newline::kLf) p = VectorPass<Newline::kLf, Masks>(block, p, out);
    if (type == Newline::kCr) p = VectorPass<Newline::kCr, Masks>(block, p, out);
    if (type == Newline::kNone) p = VectorPass<Newline::kNone, Masks>(block, p, out);
  }
  NewlineRange<Masks>(type, block, p, block.end, out);
}

ZOLT_WIDE_PATH void WideNewlineBlock(Newline type, bool* after_cr, const char* data, size_t size,
                                     OutStream* out) {
  NewlineBlock<WideMasks>(type, after_cr, data, size, out);
}

ZOLT_WIDEST_PATH void WidestNewlineBlock(Newline type, bool* after_cr, const char* data,
                                         size_t size, OutStream* out) {
  NewlineBlock<WidestMasks>(type, after_cr, data, size, out);
}

// State of a newline conversion carried from one block to the next.
struct NewlineState {
  Newline type = Newline::kCrLf;
  bool after_cr = false;                   // the previous input byte was a CR
  VectorWidth vectors = VectorWidth::k16;  // set by RunFilter
};

JobResult RunNewlineBlocks(StreamPair* pair, Newline type) {
  NewlineState state;
  state.type = type;
  return RunFilter(pair, &state,
                   [](NewlineState* s, const char* data, size_t size, OutStream* out) {
                     if (s->vectors == VectorWidth::k64) {
                       WidestNewlineBlock(s->type, &s->after_cr, data, size, out);
                     } else if (s->vectors == VectorWidth::k32) {
                       WideNewlineBlock(s->type, &s->after_cr, data, size, out);
                     } else {
                       NewlineBlock<NarrowMasks>(s->type, &s->after_cr, data, size, out);
                     }
                   });
}

}  // namespace

JobResult ConvertNewlines(StreamPair* pair, Newline newline) {
  return RunNewlineBlocks(pair, newline);
}

JobResult JoinLines(StreamPair* pair) {
  return RunNewlineBlocks(pair, Newline::kNone);
}

}  // namespace zolt

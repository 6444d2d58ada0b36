#include "filters/tabs.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "filters/filter_driver.h"
#include "support/byte_masks.h"
#include "support/platform.h"
#include "support/wide_masks.h"

namespace zolt {

namespace {

constexpr char kSpaces[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

// Writes `count` (1 to 8) spaces; with room for eight, as one store of eight
// of which the first `count` are kept.
void PutSpaces(OutStream* out, size_t count) {
  if (char* room = SpareRoom(out, sizeof kSpaces)) {
    std::memcpy(room, kSpaces, sizeof kSpaces);
    OutputDone(out, room + count);
    return;
  }
  WriteBytes(out, kSpaces, count);
}

// x modulo the tab width w (1 to 8). Each case divides by a constant, which
// compiles to a few multiplications instead of a slow division.
size_t ModuloWidth(size_t x, size_t w) {
  switch (w) {
    case 1:
      return 0;
    case 2:
      return x % 2;
    case 3:
      return x % 3;
    case 4:
      return x % 4;
    case 5:
      return x % 5;
    case 6:
      return x % 6;
    case 7:
      return x % 7;
    default:
      return x % 8;
  }
}

// A place in the input whose output column (modulo the width) is known.
struct Origin {
  const char* at;
  size_t column;
};

// The column (modulo `width`) of the byte at `at`, counted from `origin`
// or from the last newline byte between the two. Moves `origin` to `at`.
size_t ColumnAt(Origin* origin, const char* at, size_t width) {
  const char* newline = FindLastOfTwo(origin->at, at, '\n', '\r');
  if (newline) *origin = {newline + 1, 0};
  size_t column = ModuloWidth(origin->column + static_cast<size_t>(at - origin->at), width);
  *origin = {at, column};
  return column;
}

// Moves `origin` past the last newline byte in `newlines`, a mask over the
// chunk at p; nothing when the mask is empty.
void PassNewlines(const char* p, uint64_t newlines, Origin* origin) {
  Origin after = {p + kMaskChunk - std::countl_zero(newlines), 0};
  *origin = newlines != 0 ? after : *origin;
}

// Writes the chunk at p (128 bytes from p readable) at o with its TABs
// expanded, the columns counted from `origin` (moved on to the last TAB or
// newline byte). Whole chunks of bytes are stored before each TAB and at
// the end; the stores after them replace what is not kept. A `kWidth` of 8
// fixes the width at 8, which needs no division. Returns where the output
// ends.
template <typename Masks, size_t kWidth>
char* TabChunk(const char* p, size_t width, Origin* origin, char* o) {
  auto* bytes = reinterpret_cast<const unsigned char*>(p);
  uint64_t tabs = Masks::Equal(bytes, '\t');
  uint64_t newlines = Masks::Equal(bytes, '\n') | Masks::Equal(bytes, '\r');
  const char* from = p;  // the next byte to write
  for (; tabs != 0; tabs &= tabs - 1) {
    int at = std::countr_zero(tabs);
    uint64_t before = (uint64_t{1} << at) - 1;
    PassNewlines(p, newlines & before, origin);
    newlines &= ~before;
    const char* tab = p + at;
    size_t x = origin->column + static_cast<size_t>(tab - origin->at);
    size_t spaces = kWidth == 8 ? 8 - (x & 7) : width - ModuloWidth(x, width);
    std::memcpy(o, from, kMaskChunk);
    o += tab - from;
    std::memcpy(o, kSpaces, sizeof kSpaces);
    o += spaces;
    from = tab + 1;
    *origin = {from, 0};
  }
  PassNewlines(p, newlines, origin);
  std::memcpy(o, from, kMaskChunk);
  return o + (p + kMaskChunk - from);
}

// Writes [p, end) with its TABs expanded, from `origin`; the bytes are
// written from p on. The newline bytes that set the column of a TAB back
// are looked for from the TAB backwards, no further than the origin.
void TabRest(const char* p, const char* end, size_t width, Origin* origin, OutStream* out) {
  const char* copied = p;  // the next byte to write
  for (; p < end; p += kMaskChunk) {
    size_t n = std::min(kMaskChunk, static_cast<size_t>(end - p));
    uint64_t tabs = EqualMask(reinterpret_cast<const unsigned char*>(p), n, '\t');
    for (; tabs != 0; tabs &= tabs - 1) {
      const char* tab = p + std::countr_zero(tabs);
      size_t column = ColumnAt(origin, tab, width);
      if (tab > copied) WriteBytes(out, copied, static_cast<size_t>(tab - copied));
      PutSpaces(out, width - column);
      copied = tab + 1;
      *origin = {copied, 0};
    }
  }
  if (end > copied) WriteBytes(out, copied, static_cast<size_t>(end - copied));
}

// The chunks of [p, end) with more than a chunk after them, written
// straight into the output buffer (kWidth as TabChunk); returns where they
// stopped.
template <typename Masks, size_t kWidth>
const char* TabChunks(const char* p, const char* end, size_t width, Origin* origin,
                      OutStream* out) {
  Origin at = *origin;  // kept apart from the bytes written
  for (; end - p > 2 * static_cast<ptrdiff_t>(kMaskChunk); p += kMaskChunk) {
    // Each byte of a chunk gives at most 8, then a chunk is stored.
    char* o = OutputRoom(out, 9 * kMaskChunk);
    if (!o) break;
    OutputDone(out, TabChunk<Masks, kWidth>(p, width, &at, o));
  }
  *origin = at;
  return p;
}

// TabChunks with the width fixed where it is 8.
template <typename Masks>
const char* AnyTabChunks(const char* p, const char* end, size_t width, Origin* origin,
                         OutStream* out) {
  return width == 8 ? TabChunks<Masks, 8>(p, end, width, origin, out)
                    : TabChunks<Masks, 0>(p, end, width, origin, out);
}

ZOLT_WIDE_PATH const char* WideTabChunks(const char* p, const char* end, size_t width,
                                         Origin* origin, OutStream* out) {
  return AnyTabChunks<WideMasks>(p, end, width, origin, out);
}

#if ZOLT_WIDE_VECTORS
ZOLT_WIDEST_PATH const char* TabChunks64(const char* p, const char* end, size_t width,
                                         Origin* origin, OutStream* out) {
  return AnyTabChunks<WidestMasks>(p, end, width, origin, out);
}
#endif

}  // namespace

// Chunks with more than a chunk after them are written straight into the
// output buffer; the rest goes through TabRest.
void TabBlock(TabState* state, const char* data, size_t size, OutStream* out) {
  const char* p = data;
  const char* end = data + size;
  Origin origin = {data, static_cast<size_t>(state->column)};
  const size_t width = static_cast<size_t>(state->width);
#if ZOLT_WIDE_VECTORS
  if (state->vectors == VectorWidth::k64) {
    p = TabChunks64(p, end, width, &origin, out);
  } else
#endif
    p = state->vectors == VectorWidth::k32 ? WideTabChunks(p, end, width, &origin, out)
                                           : AnyTabChunks<NarrowMasks>(p, end, width, &origin, out);
  TabRest(p, end, width, &origin, out);
  state->column = static_cast<int>(ColumnAt(&origin, end, width));
}

JobResult ExpandTabs(StreamPair* pair, int width) {
  TabState state;
  state.width = width < 1 || width > 8 ? 8 : width;
  return RunFilter(pair, &state, TabBlock);
}

JobResult DeleteTabs(StreamPair* pair) {
  ForEachBlock(pair, [&](const char* p, size_t size) {
    const char* end = p + size;
    while (p < end) {
      const void* tab = std::memchr(p, '\t', static_cast<size_t>(end - p));
      const char* stop = tab ? static_cast<const char*>(tab) : end;
      if (stop > p) WriteBytes(&pair->output, p, static_cast<size_t>(stop - p));
      p = tab ? stop + 1 : end;
    }
    return true;
  });
  return JobResult::kDone;
}

}  // namespace zolt

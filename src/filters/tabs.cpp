#include "filters/tabs.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "support/byte_masks.h"

namespace zolt {

namespace {

constexpr char kSpaces[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

// Writes `count` (1 to 8) spaces; with room for eight, as one store of eight
// of which the first `count` are kept.
void PutSpaces(OutStream* out, size_t count) {
  if (out->buffer.size() - out->used >= sizeof kSpaces) {
    std::memcpy(out->buffer.data() + out->used, kSpaces, sizeof kSpaces);
    out->used += count;
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

}  // namespace

// Only TABs cut the block into runs, found 64 bytes at a time; the newline
// bytes that set the column of a TAB back are looked for from the TAB
// backwards, no further than the TAB before it.
void TabBlock(TabState* state, const char* data, size_t size, OutStream* out) {
  const char* end = data + size;
  const char* copied = data;  // the next byte to write
  Origin origin = {data, static_cast<size_t>(state->column)};
  const size_t width = static_cast<size_t>(state->width);
  for (const char* p = data; p < end; p += kMaskChunk) {
    size_t n = std::min(kMaskChunk, static_cast<size_t>(end - p));
    uint64_t tabs = EqualMask(reinterpret_cast<const unsigned char*>(p), n, '\t');
    for (; tabs != 0; tabs &= tabs - 1) {
      const char* tab = p + std::countr_zero(tabs);
      size_t column = ColumnAt(&origin, tab, width);
      if (tab > copied) WriteBytes(out, copied, static_cast<size_t>(tab - copied));
      PutSpaces(out, width - column);
      copied = tab + 1;
      origin = {copied, 0};
    }
  }
  if (end > copied) WriteBytes(out, copied, static_cast<size_t>(end - copied));
  state->column = static_cast<int>(ColumnAt(&origin, end, width));
}

int Tab2space(StreamPair* pair, int width) {
  InStream* in = &pair->input;
  TabState state;
  state.width = width < 1 || width > 8 ? 8 : width;
  while (FillInput(in) > 0) {
    TabBlock(&state, in->buffer.data() + in->pos, in->end - in->pos, &pair->output);
    in->pos = in->end;
    EndOfBlock(&pair->output);
  }
  return 0;
}

int DeleteTabs(StreamPair* pair) {
  InStream* in = &pair->input;
  while (FillInput(in) > 0) {
    const char* p = in->buffer.data() + in->pos;
    const char* end = in->buffer.data() + in->end;
    while (p < end) {
      const void* tab = std::memchr(p, '\t', static_cast<size_t>(end - p));
      const char* stop = tab ? static_cast<const char*>(tab) : end;
      if (stop > p) WriteBytes(&pair->output, p, static_cast<size_t>(stop - p));
      p = tab ? stop + 1 : end;
    }
    in->pos = in->end;
    EndOfBlock(&pair->output);
  }
  return 0;
}

}  // namespace zolt

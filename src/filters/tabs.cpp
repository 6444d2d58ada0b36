#include "filters/tabs.h"

#include <cstring>

namespace zolt {

namespace {

constexpr char kSpaces[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

}  // namespace

void TabBlock(TabState* state, const char* data, size_t size, OutStream* out) {
  const char* p = data;
  const char* end = data + size;
  while (p < end) {
    const char* run = p;
    while (p < end && *p != '\t' && *p != '\n' && *p != '\r') ++p;
    if (p > run) {
      size_t n = static_cast<size_t>(p - run);
      WriteBytes(out, run, n);
      state->column = static_cast<int>((state->column + n) % static_cast<size_t>(state->width));
    }
    if (p == end) break;
    if (*p == '\t') {
      int spaces = state->width - state->column;
      WriteBytes(out, kSpaces, static_cast<size_t>(spaces));
    } else {
      WriteByte(out, *p);
    }
    // A TAB always ends on a tab stop; a newline byte starts a new line.
    state->column = 0;
    ++p;
  }
}

int ExpandTabs(StreamPair* pair, int width) {
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

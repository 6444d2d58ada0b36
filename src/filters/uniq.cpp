#include "filters/uniq.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "filters/filter_driver.h"
#include "support/ascii.h"
#include "support/byte_masks.h"
#include "support/messages.h"
#include "support/platform.h"
#include "support/wide_masks.h"

namespace zolt {

namespace {

constexpr size_t kFirstLineCapacity = 4096;

// Number of leading bytes on which a and b agree.
size_t MatchLength(const char* a, const char* b, size_t n, bool fold) {
  size_t i = 0;
  if (fold) {
    while (i < n && AsciiUpper(static_cast<unsigned char>(a[i])) ==
                        AsciiUpper(static_cast<unsigned char>(b[i])))
      ++i;
    return i;
  }
  while (i < n) {
    size_t chunk = std::min<size_t>(n - i, 64);
    if (std::memcmp(a + i, b + i, chunk) != 0) break;
    i += chunk;
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// Makes room for `size` bytes, keeping the `seen` bytes of the current line.
bool Reserve(UniqState* state, size_t size) {
  if (size <= state->capacity) return true;
  size_t capacity = std::max(size, state->capacity * 2);
  char* bigger = static_cast<char*>(Sys().Allocate(capacity));
  if (!bigger) {
    PrintMessage(Text::kUniqMemoryError);
    return false;
  }
  if (state->seen > 0) std::memcpy(bigger, state->line, state->seen);
  if (state->line) Sys().Release(state->line);
  state->line = bigger;
  state->capacity = capacity;
  return true;
}

// Takes the next `size` bytes of the current line.
bool TakeBytes(UniqState* state, const char* data, size_t size, OutStream* out) {
  if (!state->differs) {
    size_t comparable = std::min(size, state->length - state->seen);
    char* previous = state->line + state->seen;
    size_t same = MatchLength(previous, data, comparable, state->fold);
    if (state->fold) std::memcpy(previous, data, same);
    state->seen += same;
    data += same;
    size -= same;
    if (size == 0) return true;
    state->differs = true;
    WriteBytes(out, state->line, state->seen);
  }
  if (!Reserve(state, state->seen + size)) return false;
  std::memcpy(state->line + state->seen, data, size);
  state->seen += size;
  WriteBytes(out, data, size);
  return true;
}

// Ends the current line; it becomes the previous one.
void EndLine(UniqState* state, OutStream* out) {
  // A line that agrees with the start of a longer previous line differs.
  if (!state->differs && state->seen != state->length) WriteBytes(out, state->line, state->seen);
  state->length = state->seen;
  state->seen = 0;
  state->differs = false;
}

// A line held as a place in memory: the stored previous line, or a line of
// the current block.
struct Line {
  const char* text;
  size_t size;
};

// Whether two lines of `size` bytes each are equal under the comparison.
bool SameLine(const char* a, const char* b, size_t size, bool fold) {
  return fold ? SameIgnoringCase(a, b, size) : std::memcmp(a, b, size) == 0;
}

// Takes the lines that end in [p, end), each compared with the one before it
// (`previous`, which ends as the last of them); the LFs are found 64 bytes
// at a time. Equal lines have equal lengths, so a line is compared only
// when its length is the previous one's. Runs of lines that stay are
// written straight from the block. Returns where the last line ends.
template <typename Masks>
const char* WholeLines(bool fold, const char* p, const char* end, OutStream* out, Line* previous) {
  const char* unwritten = p;
  const char* start = p;  // of the line being read
  Line last = *previous;  // kept in registers
  auto take_lines = [&](const char* chunk, uint64_t lfs) {
    for (; lfs != 0; lfs &= lfs - 1) {
      const char* next = chunk + std::countr_zero(lfs) + 1;
      auto size = static_cast<size_t>(next - start);
      if (size == last.size && SameLine(start, last.text, size, fold)) [[unlikely]] {
        if (start > unwritten) WriteBytes(out, unwritten, static_cast<size_t>(start - unwritten));
        unwritten = next;
      }
      last = {start, size};
      start = next;
    }
  };
  const char* chunk = p;
  for (; end - chunk >= static_cast<ptrdiff_t>(kMaskChunk); chunk += kMaskChunk)
    take_lines(chunk, Masks::Equal(reinterpret_cast<const unsigned char*>(chunk), '\n'));
  if (chunk < end) {
    auto n = static_cast<size_t>(end - chunk);
    take_lines(chunk, EqualMask(reinterpret_cast<const unsigned char*>(chunk), n, '\n'));
  }
  if (start > unwritten) WriteBytes(out, unwritten, static_cast<size_t>(start - unwritten));
  *previous = last;
  return start;
}

ZOLT_WIDE_PATH const char* WideWholeLines(bool fold, const char* p, const char* end, OutStream* out,
                                          Line* previous) {
  return WholeLines<WideMasks>(fold, p, end, out, previous);
}

#if ZOLT_WIDE_VECTORS
ZOLT_WIDEST_PATH const char* WholeLines64(bool fold, const char* p, const char* end, OutStream* out,
                                          Line* previous) {
  return WholeLines<WidestMasks>(fold, p, end, out, previous);
}
#endif

// Stores `line` as the previous line. False (message printed) when memory
// is short; nothing of a current line may be held.
bool StoreLine(UniqState* state, Line line) {
  if (!Reserve(state, line.size)) return false;
  std::memcpy(state->line, line.text, line.size);
  state->length = line.size;
  return true;
}

}  // namespace

UniqState::~UniqState() {
  if (line) Sys().Release(line);
}

bool UniqStart(UniqState* state, bool fold) {
  state->fold = fold;
  return Reserve(state, kFirstLineCapacity);
}

bool UniqBlock(UniqState* state, const char* data, size_t size, OutStream* out) {
  const char* p = data;
  const char* end = data + size;
  // First the end of a line that earlier blocks began.
  if (state->seen > 0) {
    const void* lf = std::memchr(p, '\n', size);
    const char* stop = lf ? static_cast<const char*>(lf) + 1 : end;
    if (!TakeBytes(state, p, static_cast<size_t>(stop - p), out)) return false;
    if (!lf) return true;
    EndLine(state, out);
    p = stop;
  }
  Line previous = {state->line, state->length};
#if ZOLT_WIDE_VECTORS
  if (state->vectors == VectorWidth::k64) {
    p = WholeLines64(state->fold, p, end, out, &previous);
  } else
#endif
    p = state->vectors == VectorWidth::k32
            ? WideWholeLines(state->fold, p, end, out, &previous)
            : WholeLines<NarrowMasks>(state->fold, p, end, out, &previous);
  if (previous.text != state->line && !StoreLine(state, previous)) return false;
  // A line that the next block ends.
  return p == end || TakeBytes(state, p, static_cast<size_t>(end - p), out);
}

void UniqFinish(UniqState* state, OutStream* out) {
  if (state->seen > 0) EndLine(state, out);
}

JobResult FoldDuplicateLines(StreamPair* pair, bool ignore_case) {
  UniqState state;
  if (!UniqStart(&state, ignore_case)) return JobResult::kFailed;
  return RunFilter(pair, &state, UniqBlock, UniqFinish);
}

}  // namespace zolt

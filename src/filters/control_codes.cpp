#include "filters/control_codes.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "filters/filter_driver.h"
#include "support/byte_masks.h"
#include "support/platform.h"
#include "support/wide_masks.h"

namespace zolt {

namespace {

// Writes [data, end) without the bytes that go: control codes other than TAB
// and LF, except a CR with an LF right after it in this block. Runs of bytes
// that stay are written whole.
template <typename Masks>
void ControlRange(const char* data, const char* end, OutStream* out) {
  const char* copied = data;
  for (const char* p = data; p < end; p += kMaskChunk) {
    // Chunks without a byte to drop, skipped in a loop of their own.
    while (end - p > static_cast<ptrdiff_t>(kMaskChunk) &&
           !Masks::StrayControl(reinterpret_cast<const unsigned char*>(p)))
      p += kMaskChunk;
    size_t n = std::min(kMaskChunk, static_cast<size_t>(end - p));
    auto* bytes = reinterpret_cast<const unsigned char*>(p);
    uint64_t controls = BelowMask(bytes, n, 0x20) | EqualMask(bytes, n, 0x7F);
    uint64_t lfs = EqualMask(bytes, n, '\n');
    uint64_t drop = controls & ~lfs & ~EqualMask(bytes, n, '\t');
    if (drop == 0) continue;
    uint64_t lf_next = lfs >> 1;
    if (p + n < end && p[n] == '\n') lf_next |= uint64_t{1} << (n - 1);
    drop &= ~(EqualMask(bytes, n, '\r') & lf_next);
    for (; drop != 0; drop &= drop - 1) {
      const char* q = p + std::countr_zero(drop);
      if (q > copied) WriteBytes(out, copied, static_cast<size_t>(q - copied));
      copied = q + 1;
    }
  }
  if (end > copied) WriteBytes(out, copied, static_cast<size_t>(end - copied));
}

ZOLT_WIDE_PATH void WideControlRange(const char* data, const char* end, OutStream* out) {
  ControlRange<WideMasks>(data, end, out);
}

ZOLT_WIDEST_PATH void WidestControlRange(const char* data, const char* end, OutStream* out) {
  ControlRange<WidestMasks>(data, end, out);
}

}  // namespace

void DeleteControlBlock(ControlState* state, const char* data, size_t size, OutStream* out) {
  if (size == 0) return;
  const char* end = data + size;
  // A CR that ended the previous block is written now, before its LF.
  if (state->after_cr && *data == '\n') WriteByte(out, '\r');
  state->after_cr = end[-1] == '\r';
  if (state->vectors == VectorWidth::k64) {
    WidestControlRange(data, end, out);
  } else if (state->vectors == VectorWidth::k32) {
    WideControlRange(data, end, out);
  } else {
    ControlRange<NarrowMasks>(data, end, out);
  }
}

JobResult DeleteControlCodes(StreamPair* pair) {
  ControlState state;
  return RunFilter(pair, &state, DeleteControlBlock);
}

}  // namespace zolt

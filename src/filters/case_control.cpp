#include "filters/case_control.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "filters/filter_driver.h"
#include "support/byte_masks.h"
#include "support/sjis.h"

namespace zolt {

void ChangeCaseBlock(CaseState* state, char* data, size_t size) {
  const unsigned char from = state->to_lower ? 'A' : 'a';
  auto* bytes = reinterpret_cast<unsigned char*>(data);
  bool carry = state->partner_next;
  size_t i = 0;
  // Whole chunks: the letters that are not second bytes flip their case bit.
  for (; size - i >= kMaskChunk; i += kMaskChunk) {
    unsigned char* p = bytes + i;
    uint64_t trail = TrailMask(LeadMask(p), &carry);
    FlipRangeExcept(p, from, from + 25, trail, 0x20);
  }
  // The rest, one character at a time.
  if (carry) ++i;
  while (i < size) {
    unsigned char b = bytes[i];
    if (IsSjisLead(b)) {
      i += 2;
      continue;
    }
    if (static_cast<unsigned char>(b - from) < 26) bytes[i] = static_cast<unsigned char>(b ^ 0x20);
    ++i;
  }
  // i is size, or size + 1 when the last byte is a lead byte.
  if (size > 0) state->partner_next = i > size;
}

int ChangeCase(StreamPair* pair, bool to_lower) {
  CaseState state;
  state.to_lower = to_lower;
  ForEachBlock(pair, [&](char* data, size_t size) {
    ChangeCaseBlock(&state, data, size);
    WriteBytes(&pair->output, data, size);
    return true;
  });
  return 0;
}

void DeleteControlBlock(ControlState* state, const char* data, size_t size, OutStream* out) {
  if (size == 0) return;
  const char* end = data + size;
  // A CR that ended the previous block is written now, before its LF.
  if (state->after_cr && *data == '\n') WriteByte(out, '\r');
  state->after_cr = end[-1] == '\r';
  // Runs of bytes that stay are written whole; the chunks find the bytes
  // that go: control codes other than TAB and LF, except a CR with an LF
  // right after it in this block.
  const char* copied = data;
  for (const char* p = data; p < end; p += kMaskChunk) {
    size_t n = std::min(kMaskChunk, static_cast<size_t>(end - p));
    auto* bytes = reinterpret_cast<const unsigned char*>(p);
    if (end - p > static_cast<ptrdiff_t>(kMaskChunk) && !HasStrayControl(bytes)) continue;
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

int DeleteControlCodes(StreamPair* pair) {
  ControlState state;
  ForEachBlock(pair, [&](const char* data, size_t size) {
    DeleteControlBlock(&state, data, size, &pair->output);
    return true;
  });
  return 0;
}

}  // namespace zolt

#include "filters/letter_case.h"

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

JobResult ChangeCase(StreamPair* pair, bool to_lower) {
  CaseState state;
  state.to_lower = to_lower;
  ForEachBlock(pair, [&](char* data, size_t size) {
    ChangeCaseBlock(&state, data, size);
    WriteBytes(&pair->output, data, size);
    return true;
  });
  return JobResult::kDone;
}

}  // namespace zolt

#include "filters/letter_case.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "filters/filter_driver.h"
#include "support/byte_masks.h"
#include "support/platform.h"
#include "support/sjis.h"
#include "support/wide_masks.h"

namespace zolt {

namespace {

// Chunks whose lead masks are found in one go, before the second-byte
// parity carried from chunk to chunk, so that no compare waits for it.
constexpr size_t kLeadChunks = 32;

// The whole chunks of bytes[0..size): the letters from `from` that are not
// second bytes flip their case bit. Returns the bytes done.
template <typename Masks>
size_t CaseChunks(unsigned char* bytes, size_t size, unsigned char from, bool* carry) {
  size_t i = 0;
  bool partner = *carry;  // kept apart from the bytes written
  uint64_t leads[kLeadChunks];
  while (size - i >= kMaskChunk) {
    size_t n = std::min(kLeadChunks, (size - i) / kMaskChunk);
    for (size_t k = 0; k < n; ++k) leads[k] = Masks::Lead(bytes + i + k * kMaskChunk);
    for (size_t k = 0; k < n; ++k, i += kMaskChunk) {
      unsigned char* p = bytes + i;
      uint64_t trail = TrailMask(InRegister(leads[k]), &partner);
      // Most chunks have no letter to change and are left alone, except on
      // 64-byte vectors, where a flip costs less than a mispredicted test.
      if (Masks::kStep == kMaskChunk || (Masks::Range(p, from, from + 25) & ~trail) != 0)
        Masks::FlipExcept(p, from, from + 25, trail, 0x20);
    }
  }
  *carry = partner;
  return i;
}

ZOLT_WIDE_PATH size_t WideCaseChunks(unsigned char* bytes, size_t size, unsigned char from,
                                     bool* carry) {
  return CaseChunks<WideMasks>(bytes, size, from, carry);
}

ZOLT_WIDEST_PATH size_t WidestCaseChunks(unsigned char* bytes, size_t size, unsigned char from,
                                         bool* carry) {
  return CaseChunks<WidestMasks>(bytes, size, from, carry);
}

// The whole chunks, on the vectors of the job.
size_t CaseChunksOf(VectorWidth vectors, unsigned char* bytes, size_t size, unsigned char from,
                    bool* carry) {
  switch (vectors) {
    case VectorWidth::k64:
      return WidestCaseChunks(bytes, size, from, carry);
    case VectorWidth::k32:
      return WideCaseChunks(bytes, size, from, carry);
    case VectorWidth::k16:
      break;
  }
  return CaseChunks<NarrowMasks>(bytes, size, from, carry);
}

}  // namespace

void ChangeCaseBlock(CaseState* state, char* data, size_t size) {
  const unsigned char from = state->to_lower ? 'A' : 'a';
  auto* bytes = reinterpret_cast<unsigned char*>(data);
  bool carry = state->partner_next;
  size_t i = CaseChunksOf(state->vectors, bytes, size, from, &carry);
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
  return RunFilter(pair, &state, [](CaseState* s, char* data, size_t size, OutStream* out) {
    ChangeCaseBlock(s, data, size);
    WriteBytes(out, data, size);
  });
}

}  // namespace zolt

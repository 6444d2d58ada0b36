#include "filters/case_control.h"

#include <bit>
#include <cstdint>

#include "front/parse_switch.h"
#include "support/byte_masks.h"
#include "support/sjis.h"

namespace zolt {

namespace {

// True for the bytes Deletecontrolchar writes as they are.
inline bool IsPlainByte(unsigned char b) {
  return (b >= 0x20 && b != 0x7F) || b == '\t';
}

}  // namespace

void ChangeCaseBlock(CaseState* state, char* data, size_t size) {
  const unsigned char from = state->to_lower ? 'A' : 'a';
  auto* bytes = reinterpret_cast<unsigned char*>(data);
  bool carry = state->partner_next;
  size_t i = 0;
  // Whole chunks: the letters that are not second bytes flip their case bit.
  for (; size - i >= kMaskChunk; i += kMaskChunk) {
    unsigned char* p = bytes + i;
    uint64_t trail = TrailMask(LeadMask(p), &carry);
    uint64_t letters = RangeMask(p, from, from + 25) & ~trail;
    for (; letters != 0; letters &= letters - 1) p[std::countr_zero(letters)] ^= 0x20;
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

int ChangeCase(StreamPair* pair, int job) {
  InStream* in = &pair->input;
  CaseState state;
  state.to_lower = job == kJobLower;
  while (FillInput(in) > 0) {
    char* data = in->buffer.data() + in->pos;
    size_t size = in->end - in->pos;
    ChangeCaseBlock(&state, data, size);
    WriteBytes(&pair->output, data, size);
    in->pos = in->end;
    EndOfBlock(&pair->output);
  }
  return 0;
}

void DeleteControlBlock(ControlState* state, const char* data, size_t size, OutStream* out) {
  const char* p = data;
  const char* end = data + size;
  while (p < end) {
    const char* run = p;
    while (p < end && IsPlainByte(static_cast<unsigned char>(*p))) ++p;
    if (p > run) {
      WriteBytes(out, run, static_cast<size_t>(p - run));
      state->after_cr = false;
    }
    if (p == end) break;
    if (*p == '\n') {
      if (state->after_cr) WriteByte(out, '\r');
      WriteByte(out, '\n');
    }
    state->after_cr = *p == '\r';
    ++p;
  }
}

int Deletecontrolchar(StreamPair* pair) {
  InStream* in = &pair->input;
  ControlState state;
  while (FillInput(in) > 0) {
    DeleteControlBlock(&state, in->buffer.data() + in->pos, in->end - in->pos, &pair->output);
    in->pos = in->end;
    EndOfBlock(&pair->output);
  }
  return 0;
}

}  // namespace zolt

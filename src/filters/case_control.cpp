#include "filters/case_control.h"

#include "front/parse_switch.h"
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
  size_t i = 0;
  if (state->partner_next && size > 0) i = 1;
  while (i < size) {
    unsigned char b = static_cast<unsigned char>(data[i]);
    if (IsSjisLead(b)) {
      i += 2;
      continue;
    }
    if (static_cast<unsigned char>(b - from) < 26) data[i] = static_cast<char>(b ^ 0x20);
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

#include "filters/newline.h"

#include "front/work_buffer.h"

namespace zolt {

namespace {

// The plain copy: whole blocks of the work buffer, no per-byte work.
int PlainCopy(StreamPair* pair) {
  if (AllocWorkBuffer(0) != 0) return -1;
  for (;;) {
    size_t n = ReadBlock(&pair->input, WorkBuffer, WorkBufferSize);
    if (n == 0) break;
    WriteBytes(&pair->output, WorkBuffer, n);
    EndOfBlock(&pair->output);
  }
  FreeWorkBuffer();
  return 0;
}

// Writes the bytes of [p, end) up to the next CR or LF in one call and
// returns where that newline byte is (or end).
const char* CopyToNewline(const char* p, const char* end, OutStream* out) {
  const char* stop = p;
  while (stop < end && *stop != '\r' && *stop != '\n') ++stop;
  if (stop > p) WriteBytes(out, p, static_cast<size_t>(stop - p));
  return stop;
}

}  // namespace

int Crconv(StreamPair* pair, int newline_type) {
  if (newline_type == 0) return PlainCopy(pair);
  InStream* in = &pair->input;
  OutStream* out = &pair->output;
  bool after_cr = false;
  while (FillInput(in) > 0) {
    const char* p = in->buffer.data() + in->pos;
    const char* end = in->buffer.data() + in->end;
    while (p < end) {
      if (*p == '\r') {
        PutNewline(newline_type, out);
        after_cr = true;
        ++p;
      } else if (*p == '\n') {
        if (!after_cr) PutNewline(newline_type, out);
        after_cr = false;
        ++p;
      } else {
        after_cr = false;
        p = CopyToNewline(p, end, out);
      }
    }
    in->pos = in->end;
    EndOfBlock(out);
  }
  return 0;
}

int Join(StreamPair* pair) {
  InStream* in = &pair->input;
  OutStream* out = &pair->output;
  bool after_cr = false;
  while (FillInput(in) > 0) {
    const char* p = in->buffer.data() + in->pos;
    const char* end = in->buffer.data() + in->end;
    while (p < end) {
      if (*p == '\r') {
        after_cr = true;
        ++p;
      } else if (*p == '\n') {
        if (!after_cr) WriteByte(out, '\n');
        after_cr = false;
        ++p;
      } else {
        after_cr = false;
        p = CopyToNewline(p, end, out);
      }
    }
    in->pos = in->end;
    EndOfBlock(out);
  }
  return 0;
}

}  // namespace zolt

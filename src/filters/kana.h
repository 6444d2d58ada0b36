// Half-width katakana to full-width katakana.
#pragma once

#include <cstddef>

#include "io/stream_pair.h"
#include "support/job_result.h"

namespace zolt {

// The half-width katakana the conversion handles: 0xA1 (｡) to 0xDE (ﾞ).
constexpr bool IsHalfKana(unsigned char b) {
  return b >= 0xA1 && b <= 0xDE;
}

// The full-width character for a half-width katakana `b` (0xA1-0xDE), lead
// byte in the high eight bits.
unsigned KanaTable(unsigned char b);

// Writes a full-width character: the lead byte (high eight bits of `code`),
// then the second byte.
void PutDoubleByte(unsigned code, OutStream* out);

// State of the conversion carried from one block to the next.
struct KanaState {
  bool partner_next = false;               // the previous byte was a lead byte
  unsigned char kana = 0;                  // a katakana held back for a sound mark, or 0
  VectorWidth vectors = VectorWidth::k16;  // the vectors the job runs on
};

// Converts one block: each katakana is held back by one byte so that a
// following ﾞ or ﾟ can be folded into it.
void KanaBlock(KanaState* state, const char* data, size_t size, OutStream* out);

// Writes the katakana still held back at the end of the input.
void KanaFinish(KanaState* state, OutStream* out);

// Copies the input with half-width katakana made full-width; a katakana
// followed by a sound mark becomes one voiced or semi-voiced character where
// one exists. Double-byte characters pass unchanged.
JobResult WidenKana(StreamPair* pair);

}  // namespace zolt

#include "filters/encode_stream.h"

#include <algorithm>
#include <string>

#include "support/messages.h"
#include "support/platform.h"

namespace zolt {

namespace {

// The number of LF bytes in data[0..size): 16 bytes a step, the byte
// counters summed before they can overflow.
uint64_t CountLf(const char* data, size_t size) {
  uint64_t count = 0;
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  while (size - i >= 16) {
    __m128i counters = _mm_setzero_si128();
    for (int k = 0; k < 255 && size - i >= 16; ++k, i += 16) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(v, lf));
    }
    __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
    count += static_cast<uint64_t>(_mm_cvtsi128_si32(sums)) +
             static_cast<uint64_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
  }
#endif
  return count + static_cast<uint64_t>(std::count(data + i, data + size, '\n'));
}

}  // namespace

bool EncodeWide() {
  return FilterVectors() == VectorWidth::k64;
}

bool Unconvertible(EncodeTally* tally, const char* block, int64_t at) {
  if (tally->replace) {
    ++tally->replaced;
    return true;
  }
  uint64_t line = tally->lines + (at > 0 ? CountLf(block, static_cast<size_t>(at)) : 0);
  uint64_t byte = tally->offset + static_cast<uint64_t>(at);  // at may be negative
  PrintMessage(Text::kUnconvertible,
               "line " + std::to_string(line) + ", byte " + std::to_string(byte));
  return false;
}

void PassBlock(EncodeTally* tally, const char* block, size_t size) {
  if (!tally->replace) tally->lines += CountLf(block, size);
  tally->offset += size;
}

JobResult FinishTally(const EncodeTally& tally, bool stopped) {
  if (tally.replaced > 0) PrintMessage(Text::kReplaced, Decimal(tally.replaced));
  return stopped ? JobResult::kFailed : JobResult::kDone;
}

}  // namespace zolt

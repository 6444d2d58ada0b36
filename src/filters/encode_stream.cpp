#include "filters/encode_stream.h"

#include <string>

#include "support/messages.h"

namespace zolt {

namespace {

// The number of LF bytes in data[0..size).
uint64_t CountLf(const char* data, size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  uint64_t count = 0;
  size_t i = 0;
  for (; size - i >= kMaskChunk; i += kMaskChunk)
    count += std::popcount(EqualMask(p + i, kMaskChunk, '\n'));
  for (; i < size; ++i) count += p[i] == '\n';
  return count;
}

}  // namespace

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

int FinishTally(const EncodeTally& tally, bool stopped) {
  if (tally.replaced > 0) PrintMessage(Text::kReplaced, std::to_string(tally.replaced));
  return stopped ? -1 : 0;
}

}  // namespace zolt

#include "split/split_lines.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "front/work_buffer.h"
#include "split/split_naming.h"
#include "support/byte_masks.h"
#include "support/messages.h"

namespace zolt {

namespace {

// Without a pattern a piece ends after its n1-th LF, and a new one opens
// when the next chunk that ends a line comes. So the chunks matter only
// after the n1-th LF of a piece; up to it the input is copied in runs
// straight from the input buffer.
bool SplitByLineCount(InStream* input, const std::string& prefix, const std::string& base,
                      int64_t n1) {
  int number = 0;
  std::string name = PieceName(prefix, base, number);
  OutStream piece;
  if (!CreatePiece(&piece, name)) return false;
  int64_t count = 0;
  for (;;) {
    if (count < n1) {
      if (FillInput(input) == 0) break;
      const char* start = input->buffer.data() + input->pos;
      const char* end = input->buffer.data() + input->end;
      const char* p = start;
      // Whole 64-byte chunks by their LF count; the rest LF by LF.
      while (count < n1 && end - p >= static_cast<ptrdiff_t>(kMaskChunk)) {
        uint64_t lfs = EqualMask(reinterpret_cast<const unsigned char*>(p), kMaskChunk, '\n');
        int64_t found = std::popcount(lfs);
        if (count + found < n1) {
          count += found;
          p += kMaskChunk;
          continue;
        }
        for (int64_t skip = n1 - count - 1; skip > 0; --skip) lfs &= lfs - 1;
        p += std::countr_zero(lfs) + 1;
        count = n1;
      }
      while (count < n1 && p < end) {
        const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (!lf) {
          p = end;
          break;
        }
        p = static_cast<const char*>(lf) + 1;
        ++count;
      }
      input->pos += static_cast<size_t>(p - start);
      if (!WritePieceBytes(&piece, name, start, static_cast<size_t>(p - start))) return false;
      continue;
    }
    int64_t size = ReadLine(input, WorkBuffer, WorkBufferSize);
    if (size < 0) break;
    if (WorkBuffer[size - 1] == '\n') {
      if (!ClosePiece(&piece, name)) return false;
      number += 1;
      if (number > PieceMax) {
        PrintMessage(Text::kSplitTooSmall);
        return false;
      }
      name = PieceName(prefix, base, number);
      if (!CreatePiece(&piece, name)) return false;
      count = 1;
    }
    if (!WritePieceBytes(&piece, name, WorkBuffer, static_cast<size_t>(size))) return false;
  }
  return ClosePiece(&piece, name);
}

}  // namespace

bool SplitByLines(InStream* input, const std::string& prefix, const std::string& base, int64_t n1,
                  const CompiledPattern* pattern) {
  if (!pattern) return SplitByLineCount(input, prefix, base, n1);
  int number = 0;
  int64_t count = pattern ? 1 : 0;
  bool first = true;
  std::string name = PieceName(prefix, base, number);
  OutStream piece;
  if (!CreatePiece(&piece, name)) return false;

  MatchSpan span;
  for (;;) {
    int64_t size = ReadLine(input, WorkBuffer, WorkBufferSize);
    if (size < 0) break;
    const char* chunk = WorkBuffer;
    bool event;
    if (pattern) {
      event = !first && SearchCompiled(*pattern, chunk, &span) > 0;
    } else {
      event = chunk[size - 1] == '\n';
    }
    bool cut_line = false;
    if (event && count == n1) {
      cut_line = pattern != nullptr;
      if (!ClosePiece(&piece, name)) return false;
      number += 1;
      if (number > PieceMax) {
        PrintMessage(Text::kSplitTooSmall);
        return false;
      }
      name = PieceName(prefix, base, number);
      if (!CreatePiece(&piece, name)) return false;
      count = 0;
    }
    if (event) count += 1;
    if (!cut_line || KeepMatchLine) {
      if (!WritePieceBytes(&piece, name, chunk, static_cast<size_t>(size))) return false;
    }
    first = false;
  }
  return ClosePiece(&piece, name);
}

}  // namespace zolt

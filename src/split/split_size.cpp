#include "split/split_size.h"

#include <algorithm>

#include "support/platform.h"
#include "support/sjis.h"

namespace zolt {

namespace {

// A byte outside the lead ranges is never a lead byte, so the byte after it
// starts a character, and so does the first byte of a piece. From there a
// run of lead-range bytes alternates lead, trail, lead, ... (every
// lead-range byte is also a valid trail byte).

// Bytes looked at in one step back from a cut.
constexpr size_t kLookBack = 256;

// The length of a piece asked for `want` (> 0) bytes from the input's
// current offset: want, or want - 1 when the last of them opens a
// double-byte character. Reads back from the cut only over the run of
// lead-range bytes before it; -1 when the input cannot be read ahead.
int64_t PieceLength(int fd, uint64_t want) {
  unsigned char window[kLookBack];
  uint64_t run = 0;
  for (uint64_t end = want; end > 0;) {
    size_t size = static_cast<size_t>(std::min<uint64_t>(end, kLookBack));
    int64_t got = Sys().Peek(fd, window, size, end - size);
    if (got < 0) return -1;
    if (static_cast<size_t>(got) < size) return static_cast<int64_t>(want);  // ends before
    size_t start = size;
    while (start > 0 && IsSjisLead(window[start - 1])) --start;
    run += size - start;
    if (start > 0) break;
    end -= size;
  }
  return static_cast<int64_t>(run % 2 == 1 ? want - 1 : want);
}

// True when the last of `size` bytes (size > 0) is a lead byte, given
// whether the byte before them was one.
bool EndsOnLeadByte(bool after_lead, const unsigned char* data, size_t size) {
  size_t run = 0;
  while (run < size && IsSjisLead(data[size - 1 - run])) ++run;
  if (run < size) return run % 2 == 1;
  return (run % 2 == 1) != after_lead;  // the run goes on from the bytes before
}

// Writes a piece of `want` bytes through the input's buffer, for an input
// that cannot be read ahead: the bytes are classified as they pass, and a
// last one that opens a double-byte character stays in the input. Returns
// the bytes written, -1 after a write failure.
int64_t StreamPiece(InStream* in, PieceWriter* pieces, uint64_t want) {
  uint64_t remaining = want;
  uint64_t written = 0;
  bool after_lead = false;
  while (remaining > 0 && FillInput(in) > 0) {
    const char* data = in->Pending().data();
    size_t got = static_cast<size_t>(std::min<uint64_t>(remaining, in->Pending().size()));
    remaining -= got;
    after_lead = EndsOnLeadByte(after_lead, reinterpret_cast<const unsigned char*>(data), got);
    size_t keep = remaining == 0 && after_lead ? got - 1 : got;
    in->Consume(keep);
    if (!pieces->Write(data, keep)) return -1;
    written += keep;
  }
  return static_cast<int64_t>(written);
}

// True while `input` has a byte left. Asks the system where it can (the
// input left unbuffered for read-ahead); else, clearing `read_ahead`, fills
// the input's buffer.
bool HasMore(InStream* input, bool* read_ahead) {
  unsigned char byte;
  int64_t got = *read_ahead ? Sys().Peek(input->fd(), &byte, 1, 0) : -1;
  if (got >= 0) return got > 0;
  *read_ahead = false;
  return FillInput(input) > 0;
}

}  // namespace

SizeSplit SplitBySize(InStream* input, const SplitRun& run, uint64_t piece_size, uint64_t full,
                      uint64_t rest) {
  PieceWriter pieces(run);
  bool read_ahead = true;
  uint64_t left_over = 0;
  for (uint64_t i = 0; i <= full; ++i) {
    uint64_t want = i < full ? piece_size : rest + left_over;
    if (want > 0 && !HasMore(input, &read_ahead))
      return i == 0 || pieces.Close() ? SizeSplit::kEnded : SizeSplit::kFailed;
    if (!(i == 0 ? pieces.Open() : pieces.Next())) return SizeSplit::kFailed;
    if (i == full) break;
    int64_t length = read_ahead ? PieceLength(input->fd(), piece_size) : -1;
    read_ahead = length >= 0;
    int64_t written = read_ahead ? pieces.Copy(input, static_cast<uint64_t>(length))
                                 : StreamPiece(input, &pieces, piece_size);
    if (written < 0) return SizeSplit::kFailed;
    left_over += piece_size - static_cast<uint64_t>(written);
  }
  int64_t last = pieces.Copy(input, rest + left_over);
  if (last < 0 || !pieces.Close()) return SizeSplit::kFailed;
  return static_cast<uint64_t>(last) < rest + left_over ? SizeSplit::kEnded : SizeSplit::kDone;
}

}  // namespace zolt

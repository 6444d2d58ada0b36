#include "split/split_size.h"

#include <algorithm>

#include "split/split_naming.h"
#include "support/sjis.h"

namespace zolt {

bool EndsOnLeadByte(bool after_lead, const unsigned char* data, size_t size) {
  // A byte outside the lead ranges is never a lead byte, so the byte after
  // it starts a character. From there on a run of lead-range bytes
  // alternates lead, trail, lead, ... (every lead-range byte is also a
  // valid trail byte).
  size_t run = 0;
  while (run < size && IsSjisLead(data[size - 1 - run])) ++run;
  if (run == 0) return false;
  if (run < size) return run % 2 == 1;
  // The whole block is one run: it continues the state before it.
  return (run % 2 == 1) != after_lead;
}

uint64_t WriteSizePiece(SizeCutter* cutter, uint64_t want, bool last) {
  std::string name = PieceName(cutter->prefix, cutter->base, cutter->number);
  OutStream piece;
  if (!CreatePiece(&piece, name)) {
    cutter->failed = true;
    return want;
  }
  // The bytes go from the input's buffer straight to the piece.
  InStream* in = cutter->input;
  uint64_t written = 0;
  uint64_t remaining = want;  // still to take from the input
  while (remaining > 0 && FillInput(in) > 0) {
    const char* data = in->buffer.data() + in->pos;
    size_t got = static_cast<size_t>(std::min<uint64_t>(remaining, in->end - in->pos));
    remaining -= got;
    size_t keep = got;
    bool ends_on_lead =
        EndsOnLeadByte(cutter->after_lead, reinterpret_cast<const unsigned char*>(data), got);
    if (remaining == 0 && !last && ends_on_lead) {
      // The piece would end inside a character: its lead byte stays in the
      // input and opens the next piece.
      keep = got - 1;
      ends_on_lead = false;
    }
    cutter->after_lead = ends_on_lead;
    in->pos += keep;
    if (!WritePieceBytes(&piece, name, data, keep)) {
      cutter->failed = true;
      return want;
    }
    written += keep;
  }
  if (!ClosePiece(&piece, name)) {
    cutter->failed = true;
    return want;
  }
  cutter->number += 1;
  return want - written;
}

bool SplitBySize(InStream* input, const std::string& prefix, const std::string& base,
                 uint64_t piece_size, uint64_t full, uint64_t rest) {
  SizeCutter cutter;
  cutter.input = input;
  cutter.prefix = prefix;
  cutter.base = base;
  uint64_t total = 0;
  for (uint64_t i = 0; i < full; ++i) {
    total += WriteSizePiece(&cutter, piece_size, false);
    if (cutter.failed) return false;
  }
  WriteSizePiece(&cutter, rest + total, true);
  return !cutter.failed;
}

}  // namespace zolt

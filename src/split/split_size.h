// Cutting an input into pieces of a fixed number of bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "io/stream.h"

namespace zolt {

// State of one size split, carried from piece to piece.
struct SizeCutter {
  InStream* input = nullptr;
  std::string prefix;
  std::string base;
  int number = 0;           // number of the next piece
  bool after_lead = false;  // the last byte taken from the input opens a double-byte character
  bool failed = false;      // a piece could not be created or written; the job stops
};

// True when the last of `size` bytes (size > 0) is the lead byte of a
// double-byte character, given whether the byte before them was one. Looks
// back only over the trailing run of bytes that lie in a lead-byte range.
bool EndsOnLeadByte(bool after_lead, const unsigned char* data, size_t size);

// Writes one piece of `want` bytes of input, taken straight from the input
// stream's buffer. A piece other than the last that would end on a lead byte
// ends one byte earlier and leaves that byte in the input for the next piece.
// Returns the shortfall (want minus the bytes written); sets cutter->failed
// after reporting a piece that could not be created or written.
uint64_t WriteSizePiece(SizeCutter* cutter, uint64_t want, bool last);

// Writes `full` pieces of `piece_size` bytes and a last piece with the rest
// and every shortfall, so that the pieces joined give back the input. Stops
// at the first piece that fails; returns false then.
bool SplitBySize(InStream* input, const std::string& prefix, const std::string& base,
                 uint64_t piece_size, uint64_t full, uint64_t rest);

}  // namespace zolt

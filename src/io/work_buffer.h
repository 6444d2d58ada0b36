// The work buffer: one process-wide block shared by the plain copy, merge
// and split, allocated once per job. It bounds the chunks of split's line
// and pattern modes; bulk data moves through the streams' own blocks.
#pragma once

#include <cstdint>

namespace zolt {

// Size asked for when the caller passes 0.
constexpr uint32_t kDefaultWorkBufferSize = 16384;

extern char* WorkBuffer;
extern uint32_t WorkBufferSize;

// Allocates `size` bytes (0: the default), halving the size while the
// allocation fails. Returns 0, or -1 after printing the allocation message
// (without a newline) when not even one byte could be had.
int AllocWorkBuffer(uint32_t size);
// Releases the work buffer if one is allocated.
void FreeWorkBuffer();

}  // namespace zolt

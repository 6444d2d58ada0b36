// The work buffer: the block of memory the plain copy, merge and split take
// at their start. It bounds the chunks of split's line and pattern modes;
// bulk data moves through the streams' own blocks.
#pragma once

#include <cstdint>

namespace zolt {

// Size asked for when the caller passes 0.
constexpr uint32_t kDefaultWorkBufferSize = 16384;

class WorkBuffer {
 public:
  WorkBuffer() = default;
  ~WorkBuffer();
  WorkBuffer(const WorkBuffer&) = delete;
  WorkBuffer& operator=(const WorkBuffer&) = delete;

  // Allocates `size` bytes (0: the default), halving the size while the
  // allocation fails. False after printing the allocation message (without
  // a newline) when not even one byte could be had.
  bool Allocate(uint32_t size = 0);

  char* data() const { return data_; }
  // Bytes allocated: the size asked for, or a power-of-two fraction of it.
  uint32_t size() const { return size_; }

 private:
  char* data_ = nullptr;
  uint32_t size_ = 0;
};

}  // namespace zolt

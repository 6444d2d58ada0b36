#include "io/work_buffer.h"

#include "support/messages.h"
#include "support/platform.h"

namespace zolt {

WorkBuffer::~WorkBuffer() {
  if (data_) Sys().Release(data_);
}

bool WorkBuffer::Allocate(uint32_t size) {
  if (data_) Sys().Release(data_);
  data_ = nullptr;
  size_ = size == 0 ? kDefaultWorkBufferSize : size;
  while (size_ > 0) {
    data_ = static_cast<char*>(Sys().Allocate(size_));
    if (data_) return true;
    size_ /= 2;
  }
  PrintRaw(TextBytes(Text::kWorkBufferError));
  return false;
}

}  // namespace zolt

#include "io/work_buffer.h"

#include "support/messages.h"
#include "support/platform.h"

namespace zolt {

char* WorkBuffer = nullptr;
uint32_t WorkBufferSize = 0;

int AllocWorkBuffer(uint32_t size) {
  WorkBufferSize = size == 0 ? kDefaultWorkBufferSize : size;
  while (WorkBufferSize > 0) {
    WorkBuffer = static_cast<char*>(Sys().Allocate(WorkBufferSize));
    if (WorkBuffer) return 0;
    WorkBufferSize /= 2;
  }
  PrintRaw(TextBytes(Text::kWorkBufferError));
  return -1;
}

void FreeWorkBuffer() {
  if (WorkBuffer) Sys().Release(WorkBuffer);
  WorkBuffer = nullptr;
}

}  // namespace zolt

// Placeholder until this job is built.
#include "filters/uniq.h"

#include "support/messages.h"

namespace zolt {

int Uniq(StreamPair*, int) {
  PrintMessage(Text::kNotYetBuilt, "Uniq");
  return -2;
}

}  // namespace zolt

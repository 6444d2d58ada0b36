// Placeholder until this job is built.
#include "split/split.h"

#include "support/messages.h"

namespace zolt {

int Split(int, char**) {
  PrintMessage(Text::kNotYetBuilt, "Split");
  return -1;
}

}  // namespace zolt

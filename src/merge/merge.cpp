// Placeholder until this job is built.
#include "merge/merge.h"

#include "support/messages.h"

namespace zolt {

int Merge(int, char**) {
  PrintMessage(Text::kNotYetBuilt, "Merge");
  return -1;
}

}  // namespace zolt

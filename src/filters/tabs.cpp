// Placeholder until this job is built.
#include "filters/tabs.h"

#include "support/messages.h"

namespace zolt {

int Tab2space(StreamPair*, int) {
  PrintMessage(Text::kNotYetBuilt, "Tab2space");
  return -2;
}

int DeleteTabs(StreamPair*) {
  PrintMessage(Text::kNotYetBuilt, "DeleteTabs");
  return -2;
}

}  // namespace zolt

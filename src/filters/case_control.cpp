// Placeholder until this job is built.
#include "filters/case_control.h"

#include "support/messages.h"

namespace zolt {

int ChangeCase(StreamPair*, int) {
  PrintMessage(Text::kNotYetBuilt, "ChangeCase");
  return -2;
}

int Deletecontrolchar(StreamPair*) {
  PrintMessage(Text::kNotYetBuilt, "Deletecontrolchar");
  return -2;
}

}  // namespace zolt

// Placeholder until this job is built.
#include "filters/kana.h"

#include "support/messages.h"

namespace zolt {

int Kana(StreamPair*) {
  PrintMessage(Text::kNotYetBuilt, "Kana");
  return -2;
}

}  // namespace zolt

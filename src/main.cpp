#include <cstdlib>
#include <exception>

#include "front/zolt_main.h"

int main(int argc, char** argv) {
  // Without memory even for an exception object the runtime ends the
  // process: that too is a memory shortage, and is reported as one.
  std::set_terminate([] {
    zolt::ReportMemoryShortage();
    std::_Exit(1);
  });
  return zolt::ZoltMain(argc, argv);
}

#include "front/zolt_main.h"

int main(int argc, char** argv) {
  return zolt::ZoltMain(argc, argv);
}

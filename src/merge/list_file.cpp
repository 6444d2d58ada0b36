#include "merge/list_file.h"

#include <span>

namespace zolt {

bool ReadListNames(InStream* in, const std::function<void(const std::string&)>& each) {
  std::string line;
  bool ended = false;  // 0x1A reached
  while (!ended && FillInput(in) > 0) {
    std::span<const char> block = in->Pending();
    for (char c : block) {
      if (c == '\x1A') {
        ended = true;
        break;
      }
      if (c == '\n') {
        each(line);
        line.clear();
        continue;
      }
      if (c != '\r') line.push_back(c);
    }
    in->Consume(block.size());
  }
  if (!line.empty()) each(line);
  return !in->error();
}

}  // namespace zolt

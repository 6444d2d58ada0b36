#include "merge/list_file.h"

namespace zolt {

bool ReadListNames(InStream* in, const std::function<void(const std::string&)>& each) {
  std::string line;
  bool ended = false;  // 0x1A reached
  while (!ended && FillInput(in) > 0) {
    const char* start = in->buffer.data() + in->pos;
    const char* stop = in->buffer.data() + in->end;
    for (const char* p = start; p < stop; ++p) {
      char c = *p;
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
    in->pos = in->end;
  }
  if (!line.empty()) each(line);
  return !in->error;
}

}  // namespace zolt

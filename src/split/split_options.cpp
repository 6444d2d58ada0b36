#include "split/split_options.h"

#include <cstring>

#include "support/ascii.h"
#include "support/sjis.h"

namespace zolt {

SplitOptions ParseSplitOptions(const char* text) {
  SplitOptions options;
  const char* rest = text + 2;
  options.n1 = LeadingDecimal(rest, kMaxSplitCount);
  const char* dot = SjisFindFirst(rest, '.');
  if (dot && IsDigit(dot[1])) {
    int64_t n2 = LeadingDecimal(dot + 1, kMaxSplitCount);
    options.digits = n2 < 2 ? 2 : n2 > 5 ? 5 : static_cast<int>(n2);
  }
  char last = text[std::strlen(text) - 1];
  options.line_mode = last == 'L' || last == 'l';
  return options;
}

}  // namespace zolt

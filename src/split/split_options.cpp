#include "split/split_options.h"

#include <cstring>

#include "support/sjis.h"

namespace zolt {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The decimal number at the start of `text`, saturating at kMaxSplitCount.
int64_t LeadingNumber(const char* text) {
  int64_t value = 0;
  for (; IsDigit(*text); ++text) {
    value = value * 10 + (*text - '0');
    if (value > kMaxSplitCount) value = kMaxSplitCount;
  }
  return value;
}

}  // namespace

SplitOptions ParseSplitOptions(const char* text) {
  SplitOptions options;
  const char* rest = text + 2;
  options.n1 = LeadingNumber(rest);
  const char* dot = SjisFindFirst(rest, '.');
  if (dot && IsDigit(dot[1])) {
    int64_t n2 = LeadingNumber(dot + 1);
    options.digits = n2 < 2 ? 2 : n2 > 5 ? 5 : static_cast<int>(n2);
  }
  char last = text[std::strlen(text) - 1];
  options.line_mode = last == 'L' || last == 'l';
  return options;
}

}  // namespace zolt

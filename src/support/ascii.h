// ASCII characters inside byte strings: digits, letter case, decimal numbers.
// Every other byte, a Shift-JIS byte included, is neither digit nor letter.
#pragma once

#include <cstdint>

namespace zolt {

// True for the ASCII digits 0-9.
constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The ASCII upper case of `c`: a-z folded to A-Z, every other byte kept.
constexpr unsigned char AsciiUpper(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

// The number the digits at the start of `text` spell (0 when there are
// none), capped at `cap` (at most INT64_MAX / 10 - 1): once a prefix of the digits
// passes `cap` the result is `cap`, however many digits follow.
constexpr int64_t LeadingDecimal(const char* text, int64_t cap) {
  int64_t value = 0;
  for (; IsDigit(*text); ++text) {
    value = value * 10 + (*text - '0');
    if (value > cap) value = cap;
  }
  return value;
}

}  // namespace zolt

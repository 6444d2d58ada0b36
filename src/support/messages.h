// Writing texts to standard error.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "support/texts.h"

namespace zolt {

// The message line: the fixed text, then `variable` (raw bytes, never
// converted), then a newline.
void PrintMessage(Text fixed, const std::string& variable = std::string());
// Writes `text` to standard output; false when the write failed, which is
// reported.
bool WriteToStdout(const std::string& text);
// Raw bytes to standard error.
void PrintRaw(const std::string& bytes);

// `text` with each "%s" replaced by the next of `values` (raw bytes, never
// converted, nor searched for "%s" themselves).
std::string FillText(const std::string& text, std::initializer_list<std::string_view> values);
// `value` in decimal digits.
std::string Decimal(uint64_t value);

// Prints text `id` with `values` (strings: a number goes in as Decimal or
// grouped digits) in its "%s" places; the compiler checks their number.
template <Text id, typename... Values>
void PrintFilled(const Values&... values) {
  static_assert(sizeof...(Values) == TextSlots(id), "the text takes another number of values");
  PrintRaw(FillText(TextBytes(id), {std::string_view(values)...}));
}

// WriteToStdout of text `id` filled as PrintFilled fills it.
template <Text id, typename... Values>
bool WriteFilledToStdout(const Values&... values) {
  static_assert(sizeof...(Values) == TextSlots(id), "the text takes another number of values");
  return WriteToStdout(FillText(TextBytes(id), {std::string_view(values)...}));
}

}  // namespace zolt

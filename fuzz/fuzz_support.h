// Helpers shared by the fuzz targets.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Stops the run, so the fuzzer keeps the input, when a property fails.
inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

// Takes up to `length` bytes from the front of [*at, end).
inline std::string Take(const uint8_t** at, const uint8_t* end, size_t length) {
  size_t n = std::min(length, static_cast<size_t>(end - *at));
  std::string text(reinterpret_cast<const char*>(*at), n);
  *at += n;
  return text;
}

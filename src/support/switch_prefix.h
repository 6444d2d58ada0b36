// The character that starts a switch on the command line.
#pragma once

namespace zolt {

// True when `c` starts a switch or an option: '-' everywhere, and '/' on
// Win32 too. On POSIX an argument that starts with '/' is a path.
constexpr bool IsSwitchPrefix(char c) {
#ifdef _WIN32
  return c == '-' || c == '/';
#else
  return c == '-';
#endif
}

}  // namespace zolt

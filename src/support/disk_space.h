// Free-space checks for a destination and grouped byte counts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zolt {

// Writes `value` in decimal with a comma between groups of three digits
// (1234567 gives "1,234,567") into `out`, never past `capacity` bytes
// including the terminator. Returns the number of characters written.
int CommaFormat(int64_t value, char* out, size_t capacity);

// Bytes free to the caller on the file system (drive) that `path` names;
// null or empty means the current directory. kFreeSpaceUnknown when the
// query failed.
uint64_t DiskFreeBytes(const char* path);

// What a free-space check found.
enum class DiskSpace {
  kEnough,    // there is room (equality is enough)
  kShort,     // there is too little room; the caller says which job it stops
  kNotReady,  // the query failed, and "Drive Not Ready!" has been printed
};

// Decides whether the file system (drive) that `path` names has `required`
// bytes free. `path` null or empty means the current directory.
DiskSpace CheckDiskSpace(int64_t required, const char* path);
// The same for the file system that holds the open file `fd`; kEnough when
// that file system cannot be told.
DiskSpace CheckDiskSpaceOf(int64_t required, int fd);

}  // namespace zolt

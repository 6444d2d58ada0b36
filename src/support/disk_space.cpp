#include "support/disk_space.h"

#include <cstdio>

#include "support/messages.h"
#include "support/platform.h"

namespace zolt {

int CommaFormat(int64_t value, char* out, size_t capacity) {
  if (capacity == 0) return 0;
  char digits[32];
  int length = std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(value));
  size_t written = 0;
  for (int i = 0; i < length; ++i) {
    if (written + 1 >= capacity) break;
    out[written++] = digits[i];
    int remaining = length - i;  // characters still to copy, this one included
    if (remaining > 1 && remaining % 3 == 1 && digits[i] != '-') {
      if (written + 1 >= capacity) break;
      out[written++] = ',';
    }
  }
  out[written] = '\0';
  return static_cast<int>(written);
}

uint64_t DiskFreeBytes(const char* path) {
  return Sys().FreeBytes(path);
}

namespace {

// CheckDiskSpace with the free bytes found.
DiskSpace CheckFree(int64_t required, uint64_t free) {
  if (free == kFreeSpaceUnknown) {
    PrintMessage(Text::kDriveNotReady);
    return DiskSpace::kNotReady;
  }
  if (required <= 0) return DiskSpace::kEnough;
  return static_cast<uint64_t>(required) <= free ? DiskSpace::kEnough : DiskSpace::kShort;
}

}  // namespace

DiskSpace CheckDiskSpace(int64_t required, const char* path) {
  return CheckFree(required, DiskFreeBytes(path));
}

DiskSpace CheckDiskSpaceOf(int64_t required, int fd) {
  // An open file whose file system cannot be told (a handle Wine got from
  // its host) is not refused: a write that finds no room is reported.
  uint64_t free = Sys().FreeBytesOf(fd);
  return free == kFreeSpaceUnknown ? DiskSpace::kEnough : CheckFree(required, free);
}

}  // namespace zolt

// The Win32 implementation of Platform.
//
// Data goes through the C runtime's descriptors (so descriptor numbers stay
// small ints, as on POSIX); names, times, directory searches and free space
// go through the ANSI Win32 calls, so names are taken in the system's code
// page (Shift-JIS on a Japanese system) byte for byte.
#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <string.h>
#include <sys/stat.h>
#include <windows.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "support/platform.h"
#include "support/sjis.h"

namespace zolt {

namespace {

// The largest count handed to one _read or _write call.
constexpr size_t kMaxTransfer = 1u << 30;

int64_t FromFiletime(const FILETIME& ft) {
  return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

FILETIME ToFiletime(FileTime time) {
  uint64_t v = static_cast<uint64_t>(time.value);
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(v & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
  return ft;
}

using GetFileInformationByHandleExFn = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID,
                                                     DWORD);

// Looks a kernel32 function up by name, for calls older systems lack.
template <typename Fn>
Fn Kernel32Function(const char* name) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, name)));
}

// Identity of an open handle; invalid when the system cannot tell it. A
// pipe, a console or the null device is known to be no regular file, which
// is all its identity says (it has no file index; only identities of
// regular files are ever compared).
// The file-id query comes first: it also answers for handles that were
// inherited with few access rights, and so does the standard-information
// query that tells a directory (the basic-information one needs the right to
// read attributes, which a handle opened for writing only lacks). Both
// answers for one file agree only within one method, so the older
// whole-record query is used only where the newer call does not exist.
FileId IdOfHandle(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE) return {};
  SetLastError(NO_ERROR);
  DWORD type = GetFileType(h);
  if (type == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR) return {};
  if (type != FILE_TYPE_DISK) return {true, false, 0, 0};
  static const auto by_handle_ex =
      Kernel32Function<GetFileInformationByHandleExFn>("GetFileInformationByHandleEx");
  if (by_handle_ex) {
    FILE_ID_INFO id;
    FILE_STANDARD_INFO standard;
    if (!by_handle_ex(h, FileIdInfo, &id, sizeof id) ||
        !by_handle_ex(h, FileStandardInfo, &standard, sizeof standard))
      return {};
    uint64_t low, high;
    memcpy(&low, id.FileId.Identifier, sizeof low);
    memcpy(&high, id.FileId.Identifier + sizeof low, sizeof high);
    return {true, !standard.Directory, id.VolumeSerialNumber, low ^ (high * 0x9E3779B97F4A7C15u)};
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) return {};
  bool regular = !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  uint64_t index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return {true, regular, info.dwVolumeSerialNumber, index};
}

// The text the system gives for a Win32 error code, without its line end.
std::string Win32ErrorText(DWORD code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = n && text ? std::string(text, n) : "error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
  return result;
}

using GetDiskFreeSpaceExAFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                            PULARGE_INTEGER);

// Free bytes available to the caller on drive `drive` (0 the current drive,
// 1 drive A, 2 drive B, ...), or kFreeSpaceUnknown. The extended query is
// looked up on every call; systems without it answer from cluster counts.
uint64_t DiskFreeBytes(int drive) {
  char root[4] = "?:\\";
  const char* where = nullptr;
  if (drive != 0) {
    root[0] = static_cast<char>(drive + 64);
    where = root;
  }
  auto extended = Kernel32Function<GetDiskFreeSpaceExAFn>("GetDiskFreeSpaceExA");
  if (extended) {
    ULARGE_INTEGER available, total;
    if (extended(where, &available, &total, nullptr) != 1) return kFreeSpaceUnknown;
    return available.QuadPart;
  }
  DWORD sectors_per_cluster, bytes_per_sector, free_clusters, total_clusters;
  if (GetDiskFreeSpaceA(where, &sectors_per_cluster, &bytes_per_sector, &free_clusters,
                        &total_clusters) != 1)
    return kFreeSpaceUnknown;
  return uint64_t{sectors_per_cluster} * bytes_per_sector * free_clusters;
}

// The drive a path names: a leading letter and colon select it (the letter's
// case folded by clearing bit 5, so a: and A: are both 1), anything else is
// the current drive 0. Non-letters are not refused: they give a number whose
// query fails.
int DriveNumber(const char* path) {
  if (!path || path[0] == '\0' || path[1] != ':') return 0;
  return (static_cast<unsigned char>(path[0]) & 0xDF) - 64;
}

// True when the piece just opened through `h` is a regular file, not a
// link, device or pipe; it is then emptied.
bool EmptyRegularPiece(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info)) return false;
  if (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(ERROR_FILE_EXISTS);
    return false;
  }
  return SetEndOfFile(h) != 0;
}

class Win32Platform : public Platform {
 public:
  // Opened through CreateFileA like every other call that takes a name, so
  // that all of them accept the same names (a C runtime's own open may take
  // paths the ANSI calls refuse, and then a file could be copied that the
  // directory search never found). The probe modes open a symbolic link (a
  // reparse point) itself, never its target.
  int Open(const std::string& name, OpenMode mode) override {
    bool reading = mode == OpenMode::kRead || mode == OpenMode::kProbe;
    DWORD disposition = reading ? OPEN_EXISTING : OPEN_ALWAYS;
    if (mode == OpenMode::kTruncate) disposition = CREATE_ALWAYS;
    if (mode == OpenMode::kCreateNew) disposition = CREATE_NEW;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (mode == OpenMode::kProbe || mode == OpenMode::kCreateNew || mode == OpenMode::kPiece)
      attributes |= FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE h =
        CreateFileA(name.c_str(), reading ? GENERIC_READ : GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE || (mode == OpenMode::kPiece && !EmptyRegularPiece(h))) {
      SetWin32Error();
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
      return -1;
    }
    int flags = _O_BINARY | (reading ? _O_RDONLY : _O_WRONLY);
    if (mode == OpenMode::kAppend) flags |= _O_APPEND;
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), flags);
    if (fd < 0) {
      SetErrno();
      CloseHandle(h);
    }
    return fd;
  }

  int64_t Read(int fd, void* buffer, size_t size) override {
    unsigned count = static_cast<unsigned>(size < kMaxTransfer ? size : kMaxTransfer);
    int n = _read(fd, buffer, count);
    if (n < 0) SetErrno();
    return n;
  }

  bool Write(int fd, const void* data, size_t size) override {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      unsigned count = static_cast<unsigned>(size < kMaxTransfer ? size : kMaxTransfer);
      int n = _write(fd, p, count);
      if (n < 0) {
        SetErrno();
        return false;
      }
      if (n == 0) {
        errno = ENOSPC;
        SetErrno();
        return false;
      }
      p += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }

  bool Truncate(int fd) override {
    if (_chsize_s(fd, 0) == 0) return true;
    SetErrno();
    return false;
  }

  bool Close(int fd) override {
    if (_close(fd) == 0) return true;
    SetErrno();
    return false;
  }

  int Duplicate(int fd) override {
    int copy = _dup(fd);
    if (copy < 0) SetErrno();
    return copy;
  }

  bool Remove(const std::string& name) override {
    if (_unlink(name.c_str()) == 0) return true;
    SetErrno();
    return false;
  }

  // The attributes of a symbolic link are its own: a dangling one exists.
  bool NameExists(const std::string& name) override {
    if (GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    SetWin32Error();
    return false;
  }

  int64_t BytesLeft(int fd) override {
    struct _stati64 st;
    if (_fstati64(fd, &st) != 0) {
      SetErrno();
      return -1;
    }
    if ((st.st_mode & _S_IFMT) != _S_IFREG) {
      errno = ESPIPE;
      SetErrno();
      return -1;
    }
    int64_t here = _lseeki64(fd, 0, SEEK_CUR);
    if (here < 0) {
      SetErrno();
      return -1;
    }
    return here < st.st_size ? st.st_size - here : 0;
  }

  std::string LastError() override { return last_error_; }

  bool IsCharDevice(int fd) override { return _isatty(fd) != 0; }

  void SetStreamMode(int fd, StreamMode mode) override {
    _setmode(fd, mode == StreamMode::kBinary ? _O_BINARY : _O_TEXT);
  }

  // The C runtime keeps descriptors 0 to 2 reserved even when the process
  // was started without a standard handle, so no file can take them.
  bool OpenClosedStandardStreams() override { return true; }

  void ReattachStdinToConsole() override {
    // "CON" is the console; a process without one (a service, a pipeline
    // started without a console) gets the null device instead.
    int fd = _open("CON", _O_RDONLY | _O_TEXT);
    if (fd < 0) fd = _open("NUL", _O_RDONLY | _O_TEXT);
    if (fd < 0) return;
    if (fd != kStdin) {
      _dup2(fd, kStdin);
      _close(fd);
    }
  }

  FileId IdentifyDescriptor(int fd) override {
    return IdOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
  }

  FileId IdentifyName(const std::string& name) override {
    HANDLE h = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    FileId id = IdOfHandle(h);
    CloseHandle(h);
    return id;
  }

  bool FindFiles(const std::string& pattern, std::vector<DirEntry>* entries) override {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
      SetWin32Error();
      return false;
    }
    size_t before = entries->size();
    do {
      // Every file is taken; a directory only when it is hidden or system.
      DWORD attributes = found.dwFileAttributes;
      bool marked = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !marked) continue;
      uint64_t size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
      entries->push_back({found.cFileName, size});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return entries->size() > before;
  }

  bool GetFileTimes(const std::string& name, FileTimes* times) override {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      SetWin32Error();
      return false;
    }
    FILETIME creation, access, write;
    bool ok = GetFileTime(h, &creation, &access, &write);
    if (ok) {
      times->creation = {FromFiletime(creation)};
      times->access = {FromFiletime(access)};
      times->write = {FromFiletime(write)};
    } else {
      SetWin32Error();
    }
    CloseHandle(h);
    return ok;
  }

  bool SetFileTimes(const std::string& name, const FileTimes& times) override {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      SetWin32Error();
      return false;
    }
    // An empty time is passed as no time at all, which leaves it unchanged.
    FILETIME creation = ToFiletime(times.creation);
    FILETIME access = ToFiletime(times.access);
    FILETIME write = ToFiletime(times.write);
    bool ok = SetFileTime(h, times.creation.empty() ? nullptr : &creation,
                          times.access.empty() ? nullptr : &access,
                          times.write.empty() ? nullptr : &write);
    if (!ok) SetWin32Error();
    CloseHandle(h);
    return ok;
  }

  FileTime Now() override {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return {FromFiletime(now)};
  }

  uint64_t FreeBytes(const char* path) override { return DiskFreeBytes(DriveNumber(path)); }

  // Asked of the directory that holds the handle's file.
  uint64_t FreeBytesOf(int fd) override {
    char path[MAX_PATH + 8];
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    DWORD length = GetFinalPathNameByHandleA(h, path, sizeof path, VOLUME_NAME_DOS);
    const char* last = length > 0 && length < sizeof path ? SjisFindLast(path, '\\') : nullptr;
    if (!last) {
      SetWin32Error();
      return kFreeSpaceUnknown;
    }
    path[last + 1 - path] = '\0';
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(path, &available, nullptr, nullptr)) {
      SetWin32Error();
      return kFreeSpaceUnknown;
    }
    return available.QuadPart;
  }

  void* Allocate(size_t size) override { return std::malloc(size); }
  void Release(void* block) override { std::free(block); }

  // Messages are always in the system's code page.
  bool MessagesInUtf8() override { return false; }

 private:
  void SetErrno() { last_error_ = strerror(errno); }
  void SetWin32Error() { last_error_ = Win32ErrorText(GetLastError()); }

  std::string last_error_;
};

}  // namespace

Platform& NativePlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace zolt

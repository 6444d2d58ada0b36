// The POSIX implementation of Platform.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "support/ascii.h"
#include "support/platform.h"
#include "support/wildcard_match.h"

namespace zolt {

namespace {

int64_t ToNanoseconds(const struct timespec& ts) {
  return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

struct timespec ToTimespec(FileTime time) {
  struct timespec ts;
  if (time.empty()) {
    ts.tv_sec = 0;
    ts.tv_nsec = UTIME_OMIT;
    return ts;
  }
  ts.tv_sec = static_cast<time_t>(time.value / 1000000000);
  ts.tv_nsec = static_cast<long>(time.value % 1000000000);
  return ts;
}

FileId IdOf(const struct stat& st) {
  return {true, S_ISREG(st.st_mode), static_cast<uint64_t>(st.st_dev),
          static_cast<uint64_t>(st.st_ino)};
}

// The directory part of `path` (through its last '/'), or "." when none.
std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// True when `codeset` (the part after '.' of a locale name) names UTF-8.
bool IsUtf8Codeset(const char* locale) {
  const char* dot = strchr(locale, '.');
  if (!dot) return false;
  std::string codeset(dot + 1);
  size_t at = codeset.find('@');
  if (at != std::string::npos) codeset.resize(at);
  std::string folded;
  for (char c : codeset) {
    if (c == '-' || c == '_') continue;
    folded += static_cast<char>(AsciiUpper(static_cast<unsigned char>(c)));
  }
  return folded == "UTF8";
}

class PosixPlatform : public Platform {
 public:
  int Open(const std::string& name, OpenMode mode) override {
    int flags = O_RDONLY;
    if (mode == OpenMode::kTruncate) flags = O_WRONLY | O_CREAT | O_TRUNC;
    if (mode == OpenMode::kAppend) flags = O_WRONLY | O_CREAT | O_APPEND;
    if (mode == OpenMode::kWrite) flags = O_WRONLY | O_CREAT;
    if (mode == OpenMode::kProbe) flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    if (mode == OpenMode::kCreateNew) flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW;
    if (mode == OpenMode::kPiece)
      flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    int fd;
    do {
      fd = ::open(name.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      last_errno_ = errno;
      return -1;
    }
    struct stat st;
    if (mode == OpenMode::kRead && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      last_errno_ = EISDIR;
      return -1;
    }
    if (mode == OpenMode::kPiece) return KeepRegularPiece(fd);
    return fd;
  }

  int64_t CopyFileData(int in, int out, size_t size) override {
    // copy_file_range between files (which may share blocks), else sendfile
    // from a file into anything, a pipe included.
    if (out != sendfile_out_) {
      for (;;) {
        ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size, 0);
        if (n >= 0) return n;
        if (errno != EINTR) break;
      }
      if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
          errno != EBADF)
        return -1;
      sendfile_out_ = out;
    }
    for (;;) {
      ssize_t n = ::sendfile(out, in, nullptr, size);
      if (n >= 0) return n;
      if (errno != EINTR) return -1;
    }
  }
  int64_t Peek(int fd, void* buffer, size_t size, uint64_t skip) override {
    off_t here = ::lseek(fd, 0, SEEK_CUR);
    if (here < 0) {
      last_errno_ = errno;
      return -1;
    }
    for (;;) {
      ssize_t n = ::pread(fd, buffer, size, here + static_cast<off_t>(skip));
      if (n >= 0) return n;
      if (errno == EINTR) continue;
      last_errno_ = errno;
      return -1;
    }
  }

  int64_t Read(int fd, void* buffer, size_t size) override {
    for (;;) {
      ssize_t n = ::read(fd, buffer, size);
      if (n >= 0) return n;
      if (errno == EINTR) continue;
      last_errno_ = errno;
      return -1;
    }
  }

  bool Write(int fd, const void* data, size_t size) override {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      ssize_t n = ::write(fd, p, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        last_errno_ = errno;
        return false;
      }
      if (n == 0) {
        last_errno_ = ENOSPC;
        return false;
      }
      p += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }

  bool Truncate(int fd) override {
    if (::ftruncate(fd, 0) == 0) return true;
    last_errno_ = errno;
    return false;
  }

  bool Close(int fd) override {
    if (::close(fd) == 0 || errno == EINTR) return true;
    last_errno_ = errno;
    return false;
  }

  int Duplicate(int fd) override {
    int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (copy < 0) last_errno_ = errno;
    return copy;
  }

  bool Remove(const std::string& name) override {
    if (::unlink(name.c_str()) == 0) return true;
    last_errno_ = errno;
    return false;
  }

  bool NameExists(const std::string& name) override {
    struct stat st;
    if (::lstat(name.c_str(), &st) == 0) return true;
    last_errno_ = errno;
    return false;
  }

  int64_t BytesLeft(int fd) override {
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      last_errno_ = errno;
      return -1;
    }
    off_t here = S_ISREG(st.st_mode) ? ::lseek(fd, 0, SEEK_CUR) : -1;
    if (here < 0) {
      last_errno_ = S_ISREG(st.st_mode) ? errno : ESPIPE;
      return -1;
    }
    return here < st.st_size ? st.st_size - here : 0;
  }

  bool CanRead(int fd) override {
    // A read of no bytes checks the descriptor without taking any data.
    char none;
    if (::read(fd, &none, 0) >= 0 || errno == EINTR || errno == EAGAIN) return true;
    last_errno_ = errno;
    return false;
  }

  std::string LastError() override { return strerror(last_errno_); }

  bool IsCharDevice(int fd) override {
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode);
  }

  void SetStreamMode(int, StreamMode) override {}

  bool OpenClosedStandardStreams() override {
    for (int fd : {kStdin, kStdout, kStderr}) {
      if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
      int null_fd = ::open("/dev/null", O_RDONLY);
      if (null_fd < 0) {
        last_errno_ = errno;
        return false;
      }
      if (null_fd == fd) continue;
      bool moved = ::dup2(null_fd, fd) == fd;
      if (!moved) last_errno_ = errno;
      ::close(null_fd);
      if (!moved) return false;
    }
    return true;
  }

  void ReattachStdinToConsole() override {
    int fd = ::open("/dev/tty", O_RDONLY | O_NOCTTY);
    if (fd < 0) fd = ::open("/dev/null", O_RDONLY);
    if (fd < 0) return;
    if (fd != kStdin) {
      ::dup2(fd, kStdin);
      ::close(fd);
    }
  }

  FileId IdentifyDescriptor(int fd) override {
    struct stat st;
    if (::fstat(fd, &st) != 0) return {};
    return IdOf(st);
  }

  FileId IdentifyName(const std::string& name) override {
    struct stat st;
    if (::stat(name.c_str(), &st) != 0) return {};
    return IdOf(st);
  }

  bool FindFiles(const std::string& pattern, std::vector<DirEntry>* entries) override {
    size_t slash = pattern.rfind('/');
    std::string dir = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
    std::string leaf = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    size_t before = entries->size();
    if (!HasWildcard(leaf.c_str())) {
      // A plain name finds at most that one entry.
      struct stat st;
      if (pattern.empty() || ::stat(pattern.c_str(), &st) != 0) return false;
      if (S_ISDIR(st.st_mode)) return false;
      entries->push_back({leaf, static_cast<uint64_t>(st.st_size)});
      return true;
    }
    DIR* d = ::opendir(dir.c_str());
    if (!d) {
      last_errno_ = errno;
      return false;
    }
    while (struct dirent* e = ::readdir(d)) {
      if (!WildcardMatch(leaf.c_str(), e->d_name)) continue;
      std::string full = (slash == std::string::npos ? std::string() : dir) + e->d_name;
      // Only regular files (or links to them) are taken: a directory is
      // never an input, and a pipe or device picked up by a wildcard would
      // block or never end.
      struct stat st;
      if (::stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
      entries->push_back({e->d_name, static_cast<uint64_t>(st.st_size)});
    }
    ::closedir(d);
    return entries->size() > before;
  }

  bool GetFileTimes(const std::string& name, FileTimes* times) override {
    struct stat st;
    if (::stat(name.c_str(), &st) != 0) {
      last_errno_ = errno;
      return false;
    }
    times->creation = {};
    times->access = {ToNanoseconds(st.st_atim)};
    times->write = {ToNanoseconds(st.st_mtim)};
    return true;
  }

  bool SetFileTimes(const std::string& name, const FileTimes& times) override {
    struct timespec ts[2] = {ToTimespec(times.access), ToTimespec(times.write)};
    if (::utimensat(AT_FDCWD, name.c_str(), ts, 0) == 0) return true;
    last_errno_ = errno;
    return false;
  }

  FileTime Now() override {
    struct timespec ts;
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return {ToNanoseconds(ts)};
  }

  uint64_t FreeBytes(const char* path) override {
    // The nearest existing directory of the destination.
    std::string dir = path && *path ? path : ".";
    for (;;) {
      struct stat st;
      if (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) break;
      std::string parent = DirectoryOf(dir);
      if (parent == dir) break;
      dir = parent;
    }
    struct statvfs vfs;
    if (::statvfs(dir.c_str(), &vfs) != 0) {
      last_errno_ = errno;
      return kFreeSpaceUnknown;
    }
    return static_cast<uint64_t>(vfs.f_bavail) * static_cast<uint64_t>(vfs.f_frsize);
  }

  uint64_t FreeBytesOf(int fd) override {
    struct statvfs vfs;
    if (::fstatvfs(fd, &vfs) != 0) {
      last_errno_ = errno;
      return kFreeSpaceUnknown;
    }
    return static_cast<uint64_t>(vfs.f_bavail) * static_cast<uint64_t>(vfs.f_frsize);
  }

  void* Allocate(size_t size) override { return std::malloc(size); }
  void Release(void* block) override { std::free(block); }

  bool MessagesInUtf8() override {
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
      const char* value = std::getenv(var);
      if (value && *value) return IsUtf8Codeset(value);
    }
    return false;
  }

 private:
  // Keeps a piece opened by Open: a regular file (then blocking again), or
  // -1 after closing anything else.
  int KeepRegularPiece(int fd) {
    struct stat st;
    int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flags >= 0 &&
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0)
      return fd;
    ::close(fd);
    last_errno_ = EEXIST;
    return -1;
  }

  int last_errno_ = 0;
  int sendfile_out_ = -1;  // an output copy_file_range refused: use sendfile
};

}  // namespace

Platform& NativePlatform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace zolt

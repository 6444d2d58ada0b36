// The operating-system services zolt needs, behind one interface.
//
// Everything outside src/support talks to the system only through Platform.
// There is one implementation per system (platform_posix.cpp,
// platform_win32.cpp); tests install their own (for instance one that makes
// a chosen write or allocation fail) with SetPlatform. The services are
// grouped by concern: files, names, directories, file times, terminal,
// disk space, memory, locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zolt {

// Descriptors of the standard streams, the same numbers on every system.
constexpr int kStdin = 0;
constexpr int kStdout = 1;
constexpr int kStderr = 2;

// How a standard stream treats its bytes (on Win32; the same elsewhere).
enum class StreamMode {
  kText,    // newlines translated: the mode a stream is handed back in
  kBinary,  // untranslated: every byte as it is
};

// How a file is opened. Every mode is untranslated (binary).
enum class OpenMode {
  kRead,      // existing file, reading
  kTruncate,  // writing; created when missing, emptied when present
  kAppend,    // writing at the end; created when missing
  // Reading whatever entry has the name, never through a symbolic link and
  // never waiting (a FIFO opens at once, with or without a writer).
  kProbe,
  // Writing; created only when no entry of that name exists (a symbolic
  // link, dangling or not, counts as one and is never followed).
  kCreateNew,
  // Writing; created when missing, its contents kept (see Truncate).
  kWrite,
  // Writing a piece: created when missing, emptied when it is a regular
  // file; refused (-1) when the name is anything else, a symbolic link
  // included, which is left as it is. Never waits (on a FIFO).
  kPiece,
};

// A file time: on POSIX nanoseconds since the epoch, on Win32 the FILETIME
// count of 100 ns units. Zero means "no time" (and, when setting, "leave
// this time unchanged").
struct FileTime {
  int64_t value = 0;
  bool empty() const { return value == 0; }
  friend bool operator==(FileTime a, FileTime b) = default;
};

// The three times a file carries. Systems without a creation time leave
// `creation` empty and ignore it when setting.
struct FileTimes {
  FileTime creation;
  FileTime access;
  FileTime write;
};

// Identity of an open file or of a name: two names or descriptors with equal
// valid identities of regular files are the same file. For a pipe or a device
// a valid identity may tell no more than that it is no regular file.
struct FileId {
  bool valid = false;
  bool regular = false;  // a regular file (not a device, pipe or directory)
  uint64_t device = 0;
  uint64_t index = 0;
  friend bool operator==(const FileId& a, const FileId& b) = default;
};

// One entry of a directory search: always a file, never a directory.
struct DirEntry {
  std::string name;  // without any directory part
  uint64_t size = 0;
};

// Free space query failed.
constexpr uint64_t kFreeSpaceUnknown = ~uint64_t{0};

// The vectors a filter's chunk loops run on: 16, 32 or 64 bytes.
enum class VectorWidth { k16, k32, k64 };

class Platform {
 public:
  virtual ~Platform() = default;

  // --- Files through descriptors. Descriptors are small non-negative
  // integers; -1 is failure, and a failed call leaves its reason for
  // LastError. Every mode is untranslated.

  // Opens `name` in `mode`; returns -1 and leaves the reason in LastError.
  // A directory is never opened, for reading either.
  virtual int Open(const std::string& name, OpenMode mode) = 0;
  // Reads up to `size` bytes; returns the count, 0 at end of file, -1 on error.
  virtual int64_t Read(int fd, void* buffer, size_t size) = 0;
  // Writes all `size` bytes (retrying short writes); false on any failure.
  virtual bool Write(int fd, const void* data, size_t size) = 0;
  // Copies up to `size` bytes from the current offset of `in` to that of
  // `out` inside the system, without passing them through the caller's
  // memory. Returns the count copied, 0 at the end of `in`, or -1 when it
  // cannot copy this way (an unsupported pair of files, or an error): the
  // caller then goes on with Read and Write, which report any error. The
  // default copies nothing and returns -1.
  virtual int64_t CopyFileData(int in, int out, size_t size);
  // Reads up to `size` bytes that lie `skip` bytes past the current offset
  // of `fd`, leaving that offset where it is. Returns the count read (fewer
  // near the end of the file, 0 past it), or -1 when the file cannot be read
  // this way (a pipe, a device) or on an error. The default reads nothing
  // and returns -1.
  virtual int64_t Peek(int fd, void* buffer, size_t size, uint64_t skip);
  // Empties the regular file open for writing on `fd`; false on failure.
  virtual bool Truncate(int fd) = 0;
  // Closes a descriptor; false when the close reported an error.
  virtual bool Close(int fd) = 0;
  // Duplicates a descriptor; -1 on failure.
  virtual int Duplicate(int fd) = 0;
  // Bytes of the file behind `fd` from its current offset to its end (0
  // when the offset lies past the end), or -1 when it cannot be told (a
  // pipe, a terminal, or a failed query).
  virtual int64_t BytesLeft(int fd) = 0;
  // False when `fd` is open but cannot be read at all (a directory, a
  // descriptor open for writing only). The default answers true.
  virtual bool CanRead(int fd);
  // Text of the last failed call, as the system's error report gives it.
  virtual std::string LastError() = 0;

  // --- Names: what a name refers to, and deleting it. A failure answers
  // false or an invalid identity.

  // Deletes a file by name.
  virtual bool Remove(const std::string& name) = 0;
  // True when the directory holds an entry of that name, whatever it is; a
  // symbolic link is not followed, so a dangling one exists too.
  virtual bool NameExists(const std::string& name) = 0;
  // Identity of an open descriptor or of a name (invalid when it cannot be
  // told, e.g. the name does not exist).
  virtual FileId IdentifyDescriptor(int fd) = 0;
  virtual FileId IdentifyName(const std::string& name) = 0;

  // --- Directories: searching one directory for files.

  // Searches one directory: `pattern` is a path whose last component may
  // hold the wildcards * and ? (matched as WildcardMatch does on POSIX).
  // Appends the matching entries in the order the system lists them: files
  // of any attributes and, on Win32 only, a directory that is hidden or
  // system (which the merge then reports as unopenable); never any other
  // directory. A name without wildcards finds at most that one entry; on
  // POSIX a wildcard takes regular files only (no pipe or device). False
  // when nothing was taken or the search failed.
  virtual bool FindFiles(const std::string& pattern, std::vector<DirEntry>* entries) = 0;

  // --- File times, by name. A file that cannot be opened fails silently.

  // Reads the times of an existing file by name; false (times untouched)
  // when the file cannot be opened.
  virtual bool GetFileTimes(const std::string& name, FileTimes* times) = 0;
  // Sets the non-empty times of an existing file by name; false on failure.
  virtual bool SetFileTimes(const std::string& name, const FileTimes& times) = 0;
  // The current time of the system clock as a file time.
  virtual FileTime Now() = 0;

  // --- Terminal and standard streams.

  // Opens the null device on each of standard input, output and error that
  // is closed, so that no file opened later can take its number. Output and
  // error are opened for reading only: writing to them fails, as it would
  // on the closed descriptor. False (the reason in LastError) when one of
  // them stays closed.
  virtual bool OpenClosedStandardStreams() = 0;
  // True for a console or other character device (the null device included);
  // false for files and pipes.
  virtual bool IsCharDevice(int fd) = 0;
  // Switches a descriptor between untranslated and text mode.
  virtual void SetStreamMode(int fd, StreamMode mode) = 0;
  // After a redirected standard input was taken over through a duplicate,
  // points standard input at the console again (or the null device when
  // there is none). Never fails the caller.
  virtual void ReattachStdinToConsole() = 0;

  // --- Disk space. kFreeSpaceUnknown when the query fails.

  // Bytes free to the caller on the file system (or drive) that `path`
  // names; `path` null or empty means the current directory (drive).
  virtual uint64_t FreeBytes(const char* path) = 0;
  // Bytes free to the caller on the file system (or volume) that holds the
  // open file `fd`.
  virtual uint64_t FreeBytesOf(int fd) = 0;

  // --- Memory for large buffers.

  // A block of `size` bytes; nullptr when none can be had.
  virtual void* Allocate(size_t size) = 0;
  // Gives back a block from Allocate (nullptr is ignored).
  virtual void Release(void* block) = 0;

  // --- Locale and processor: how to write messages, which vector paths run.

  // True when messages should be written as UTF-8 rather than Shift-JIS.
  virtual bool MessagesInUtf8() = 0;
  // True when the filters may take their 32-byte vector paths (the
  // processor has AVX2); otherwise they take the 16-byte ones.
  virtual bool WideVectors();
  // True when the filters may take their 64-byte vector paths (the
  // processor has AVX-512 BW, VBMI and VBMI2); otherwise WideVectors decides.
  virtual bool WidestVectors();
};

// The platform in use: the system's own unless a test installed another.
Platform& Sys();
// Installs `platform` (nullptr restores the system's own); returns the
// previous one.
Platform* SetPlatform(Platform* platform);
// The system's own implementation.
Platform& NativePlatform();

}  // namespace zolt

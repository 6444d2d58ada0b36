// The pieces only the Win32 build has: drive letters, the console and null
// devices, text mode, Win32 directory searches with attributes, creation
// times, 64-bit sizes and Shift-JIS names whose second byte is 0x5C.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/disk_space.h"
#include "support/platform.h"

namespace zolt {
namespace {

// A fresh directory under the system's temporary directory, removed with
// its contents at the end.
class WinTempDir {
 public:
  WinTempDir() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    for (unsigned n = GetTickCount();; ++n) {
      path_ = std::string(base) + "zolt-unit-" + std::to_string(n);
      if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    }
  }
  ~WinTempDir() { RemoveTree(path_); }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
  const std::string& path() const { return path_; }

 private:
  static void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string full = dir + "\\" + name;
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(full);
        else
          DeleteFileA(full.c_str());
      } while (FindNextFileA(h, &found));
      FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
  }
  std::string path_;
};

void WriteWhole(const std::string& name, const std::string& bytes) {
  int fd = Sys().Open(name, OpenMode::kTruncate);
  ASSERT_GE(fd, 0) << name;
  ASSERT_TRUE(Sys().Write(fd, bytes.data(), bytes.size()));
  ASSERT_TRUE(Sys().Close(fd));
}

std::string ReadWhole(const std::string& name) {
  int fd = Sys().Open(name, OpenMode::kRead);
  if (fd < 0) return "<missing>";
  std::string bytes;
  char buf[4096];
  for (int64_t n; (n = Sys().Read(fd, buf, sizeof buf)) > 0;)
    bytes.append(buf, static_cast<size_t>(n));
  Sys().Close(fd);
  return bytes;
}

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const DirEntry& e : entries) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

// A drive letter that this system does not have, or 0.
char MissingDriveLetter() {
  DWORD drives = GetLogicalDrives();
  for (char letter = 'B'; letter <= 'Y'; ++letter)
    if (!(drives & (1u << (letter - 'A')))) return letter;
  return 0;
}

char CurrentDriveLetter() {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(sizeof cwd, cwd);
  return cwd[0];
}

TEST(Win32FreeBytes, ALeadingLetterAndColonSelectTheDrive) {
  char current = CurrentDriveLetter();
  ASSERT_TRUE(current >= 'A' && current <= 'Z');
  // The letter alone selects the drive: no backslash is needed after the
  // colon, and a lower-case letter names the same drive.
  std::string upper = std::string(1, current) + ":NEW.TXT";
  std::string lower = std::string(1, static_cast<char>(current + 32)) + ":NEW.TXT";
  EXPECT_NE(Sys().FreeBytes(upper.c_str()), kFreeSpaceUnknown);
  EXPECT_NE(Sys().FreeBytes(lower.c_str()), kFreeSpaceUnknown);

  char missing = MissingDriveLetter();
  ASSERT_NE(missing, 0);
  std::string absent = std::string(1, static_cast<char>(missing + 32)) + ":NEW.TXT";
  EXPECT_EQ(Sys().FreeBytes(absent.c_str()), kFreeSpaceUnknown) << absent;
}

TEST(Win32FreeBytes, NamesWithoutADriveUseTheCurrentOne) {
  uint64_t current = Sys().FreeBytes(nullptr);
  ASSERT_NE(current, kFreeSpaceUnknown);
  for (const char* path : {"", "NEW.TXT", "\\DIR\\NEW.TXT", "\\\\server\\share\\NEW.TXT",
                           "DIR\\NEW.TXT", "@:NEW.TXT", "`:NEW.TXT"}) {
    EXPECT_NE(Sys().FreeBytes(path), kFreeSpaceUnknown) << path;
  }
}

TEST(Win32FreeBytes, ADigitBeforeTheColonIsADriveThatIsNeverReady) {
  EXPECT_EQ(Sys().FreeBytes("1:"), kFreeSpaceUnknown);
  EXPECT_EQ(Sys().FreeBytes("1:\\OUT"), kFreeSpaceUnknown);
  testing::internal::CaptureStderr();
  int result = CheckDiskSpace(1, "1:");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, -2);
  EXPECT_EQ(err.substr(0, 16), "Drive Not Ready!");
}

TEST(Win32Devices, ConsoleAndNullAreCharacterDevicesFilesAreNot) {
  WinTempDir dir;
  WriteWhole(dir / "a.txt", "x");
  int file = Sys().Open(dir / "a.txt", OpenMode::kRead);
  int null = Sys().Open("NUL", OpenMode::kRead);
  ASSERT_GE(file, 0);
  ASSERT_GE(null, 0);
  EXPECT_FALSE(Sys().IsCharDevice(file));
  EXPECT_TRUE(Sys().IsCharDevice(null));
  // The null device has no identity of its own; a file has one, the same
  // through its name and through an open descriptor.
  EXPECT_FALSE(Sys().IdentifyDescriptor(null).regular);
  FileId by_fd = Sys().IdentifyDescriptor(file);
  EXPECT_TRUE(by_fd.valid && by_fd.regular);
  EXPECT_EQ(by_fd, Sys().IdentifyName(dir / "a.txt"));
  EXPECT_EQ(by_fd, Sys().IdentifyName(dir.path() + "\\.\\A.TXT"));
  WriteWhole(dir / "b.txt", "x");
  EXPECT_NE(by_fd, Sys().IdentifyName(dir / "b.txt"));
  EXPECT_FALSE(Sys().IdentifyName(dir / "missing.txt").valid);
  Sys().Close(file);
  Sys().Close(null);
}

TEST(Win32Identity, PipesAreNoRegularFilesAndWriteOnlyFilesKeepTheirIdentity) {
  // A pipe has no size and no file index, but is known to be no regular
  // file: split counts it as an empty input rather than a failed query.
  int ends[2];
  ASSERT_EQ(_pipe(ends, 4096, _O_BINARY), 0);
  for (int fd : ends) {
    FileId id = Sys().IdentifyDescriptor(fd);
    EXPECT_TRUE(id.valid);
    EXPECT_FALSE(id.regular);
    EXPECT_EQ(Sys().FileSize(fd), -1);
    Sys().Close(fd);
  }
  // A file open for writing only (as a redirected output may be) is still
  // recognised as the file its name opens; a directory is no regular file.
  WinTempDir dir;
  int out = Sys().Open(dir / "out.txt", OpenMode::kAppend);
  ASSERT_GE(out, 0);
  FileId by_fd = Sys().IdentifyDescriptor(out);
  EXPECT_TRUE(by_fd.valid && by_fd.regular);
  EXPECT_EQ(by_fd, Sys().IdentifyName(dir / "out.txt"));
  Sys().Close(out);
  FileId directory = Sys().IdentifyName(dir.path());
  EXPECT_TRUE(directory.valid);
  EXPECT_FALSE(directory.regular);
}

TEST(Win32Devices, TextModeTranslatesNewlinesAndBinaryModeDoesNot) {
  WinTempDir dir;
  int fd = Sys().Open(dir / "out.txt", OpenMode::kTruncate);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(Sys().Write(fd, "a\n", 2));
  Sys().SetBinaryMode(fd, false);
  ASSERT_TRUE(Sys().Write(fd, "b\n", 2));
  Sys().SetBinaryMode(fd, true);
  ASSERT_TRUE(Sys().Write(fd, "c\n", 2));
  ASSERT_TRUE(Sys().Close(fd));
  EXPECT_EQ(ReadWhole(dir / "out.txt"), "a\nb\r\nc\n");
}

TEST(Win32FindFiles, TakesFilesAndOnlyHiddenOrSystemDirectories) {
  WinTempDir dir;
  WriteWhole(dir / "one.txt", "1");
  WriteWhole(dir / "two.txt", "22");
  WriteWhole(dir / "other.dat", "333");
  ASSERT_TRUE(CreateDirectoryA((dir / "plain.txt").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((dir / "hidden.txt").c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA((dir / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  WriteWhole(dir / "ro.txt", "");
  ASSERT_TRUE(SetFileAttributesA((dir / "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));

  std::vector<DirEntry> entries;
  ASSERT_TRUE(Sys().FindFiles(dir / "*.txt", &entries));
  EXPECT_EQ(Names(entries),
            (std::vector<std::string>{"hidden.txt", "one.txt", "ro.txt", "two.txt"}));
  for (const DirEntry& e : entries) {
    if (e.name == "hidden.txt") {
      EXPECT_TRUE(e.directory && e.hidden);
    }
    if (e.name == "two.txt") {
      EXPECT_EQ(e.size, 2u);
    }
  }

  // A name without wildcards finds that one entry, never a plain directory.
  entries.clear();
  EXPECT_TRUE(Sys().FindFiles(dir / "other.dat", &entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].size, 3u);
  entries.clear();
  EXPECT_FALSE(Sys().FindFiles(dir / "plain.txt", &entries));
  EXPECT_FALSE(Sys().FindFiles(dir / "*.none", &entries));
  EXPECT_FALSE(Sys().FindFiles(dir / "missing\\*.txt", &entries));
  EXPECT_TRUE(entries.empty());
}

TEST(Win32Sizes, FilesOverFourGibibytesKeepTheirSize) {
  WinTempDir dir;
  const int64_t size = (int64_t{5} << 30) + 7;
  HANDLE h = CreateFileA((dir / "big.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD ignored;
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = size;
  ASSERT_TRUE(SetFilePointerEx(h, end, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(h));
  CloseHandle(h);

  std::vector<DirEntry> entries;
  ASSERT_TRUE(Sys().FindFiles(dir / "big.bin", &entries));
  EXPECT_EQ(entries[0].size, static_cast<uint64_t>(size));
  int fd = Sys().Open(dir / "big.bin", OpenMode::kRead);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Sys().FileSize(fd), size);
  Sys().Close(fd);
}

TEST(Win32FileTimes, SetsTheGivenTimesAndLeavesEmptyOnesAlone) {
  WinTempDir dir;
  WriteWhole(dir / "a.txt", "x");
  FileTimes before;
  ASSERT_TRUE(Sys().GetFileTimes(dir / "a.txt", &before));
  EXPECT_FALSE(before.creation.empty());
  EXPECT_FALSE(before.write.empty());

  // 2001-02-03 04:05:06 UTC and an hour later, as FILETIME counts.
  const FileTime when{126254295060000000};
  const FileTime later{when.value + int64_t{36000000000}};
  FileTimes set;
  set.write = when;
  set.access = later;
  ASSERT_TRUE(Sys().SetFileTimes(dir / "a.txt", set));
  FileTimes after;
  ASSERT_TRUE(Sys().GetFileTimes(dir / "a.txt", &after));
  EXPECT_EQ(after.write, when);
  EXPECT_EQ(after.access, later);
  // The creation time is not compared: Wine derives it from the other times
  // on file systems that keep none.

  FileTimes untouched{{1}, {2}, {3}};
  EXPECT_FALSE(Sys().GetFileTimes(dir / "missing.txt", &untouched));
  EXPECT_EQ(untouched.write, FileTime{3});
  EXPECT_FALSE(Sys().SetFileTimes(dir / "missing.txt", set));

  // The clock and the file system agree on what "now" is.
  FileTime now = Sys().Now();
  EXPECT_LT(now.value - before.write.value, int64_t{600} * 10000000);
}

TEST(Win32ShiftJisNames, AKanjiEndingInBackslashIsPartOfTheName) {
  if (GetACP() != 932)
    GTEST_SKIP() << "the ANSI code page is " << GetACP()
                 << ", not Shift-JIS (932): run with a Japanese locale";
  WinTempDir dir;
  // 表 is 0x95 0x5C: its second byte is the separator's value.
  const std::string kanji_dir = dir / "\x95\x5C";
  ASSERT_TRUE(CreateDirectoryA(kanji_dir.c_str(), nullptr));
  WriteWhole(kanji_dir + "\\\x95\x5C.txt", "hyou");
  EXPECT_EQ(ReadWhole(kanji_dir + "\\\x95\x5C.txt"), "hyou");

  std::vector<DirEntry> entries;
  ASSERT_TRUE(Sys().FindFiles(kanji_dir + "\\*.txt", &entries));
  EXPECT_EQ(Names(entries), std::vector<std::string>{"\x95\x5C.txt"});
  FileTimes times;
  EXPECT_TRUE(Sys().GetFileTimes(kanji_dir + "\\\x95\x5C.txt", &times));
  EXPECT_NE(Sys().FreeBytes(kanji_dir.c_str()), kFreeSpaceUnknown);
}

}  // namespace
}  // namespace zolt

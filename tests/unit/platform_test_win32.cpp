// What only the Win32 platform does and no run of the program under Wine
// shows: drive selection for the free-space query, identities of pipes and
// write-only files, directory searches by attribute, times of missing files.
// (Text mode, Shift-JIS names, sizes past 4 GiB, file times and their units,
// the clock and the devices are checked by the end-to-end tests run against
// zolt.exe.)
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/platform.h"

namespace zolt {
namespace {

// A fresh directory under the system's temporary directory, removed with
// its contents at the end.
struct WinTempDir {
  WinTempDir() { std::filesystem::create_directories(path); }
  ~WinTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string operator/(const std::string& name) const { return path + "\\" + name; }
  std::string path = (std::filesystem::temp_directory_path() /
                      ("zolt-unit-" + std::to_string(GetCurrentProcessId())))
                         .string();
};

TEST(Win32FreeBytes, ALetterAndColonSelectTheDriveAnythingElseTheCurrentOne) {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(sizeof cwd, cwd);
  char missing = 'b';
  while (missing < 'z' && (GetLogicalDrives() & (1u << (missing - 'a')))) ++missing;
  const std::string current(1, cwd[0]), lower(1, static_cast<char>(cwd[0] | 0x20));
  for (const std::string& known :
       {current + ":NEW.TXT", lower + ":NEW.TXT", std::string(), std::string("\\DIR\\NEW.TXT"),
        std::string("\\\\server\\x"), std::string("@:NEW.TXT"), std::string("`:NEW.TXT")})
    EXPECT_NE(Sys().FreeBytes(known.c_str()), kFreeSpaceUnknown) << known;
  EXPECT_NE(Sys().FreeBytes(nullptr), kFreeSpaceUnknown);
  for (const std::string& unknown : {std::string(1, missing) + ":NEW.TXT", std::string("1:\\OUT")})
    EXPECT_EQ(Sys().FreeBytes(unknown.c_str()), kFreeSpaceUnknown) << unknown;
}

TEST(Win32Identity, PipesAreNoRegularFilesAndWriteOnlyFilesKeepTheirIdentity) {
  // A pipe has no size and no file index but is known to be no regular file.
  int ends[2];
  ASSERT_EQ(_pipe(ends, 4096, _O_BINARY), 0);
  for (int fd : ends) {
    FileId id = Sys().IdentifyDescriptor(fd);
    EXPECT_TRUE(id.valid && !id.regular);
    EXPECT_EQ(Sys().BytesLeft(fd), -1);
    Sys().Close(fd);
  }
  // A file open for writing only, as a redirected output may be, is the file
  // its name opens; a directory is no regular file.
  WinTempDir dir;
  int out = Sys().Open(dir / "out.txt", OpenMode::kAppend);
  FileId by_fd = Sys().IdentifyDescriptor(out);
  EXPECT_TRUE(by_fd.valid && by_fd.regular);
  EXPECT_EQ(by_fd, Sys().IdentifyName(dir.path + "\\.\\OUT.TXT"));
  Sys().Close(out);
  FileId directory = Sys().IdentifyName(dir.path);
  EXPECT_TRUE(directory.valid && !directory.regular);
}

TEST(Win32FindFiles, TakesFilesAndOnlyHiddenDirectories) {
  WinTempDir dir;
  std::ofstream(dir / "one.txt") << "1";
  std::ofstream(dir / "ro.txt") << "22";
  ASSERT_TRUE(SetFileAttributesA((dir / "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CreateDirectoryA((dir / "plain.txt").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((dir / "hidden.txt").c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA((dir / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  std::vector<DirEntry> found;
  ASSERT_TRUE(Sys().FindFiles(dir / "*.txt", &found));
  std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.name < b.name; });
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].name, "hidden.txt");
  EXPECT_TRUE(found[2].name == "ro.txt" && found[2].size == 2);
  // A name without wildcards finds that entry, never a plain directory.
  found.clear();
  EXPECT_TRUE(Sys().FindFiles(dir / "one.txt", &found) && found.size() == 1);
  found.clear();
  EXPECT_FALSE(Sys().FindFiles(dir / "plain.txt", &found));
  EXPECT_FALSE(Sys().FindFiles(dir / "missing\\*.txt", &found));
  EXPECT_TRUE(found.empty());
  SetFileAttributesA((dir / "ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Win32FileTimes, AMissingFileFailsAndLeavesTheTimesAlone) {
  WinTempDir dir;
  FileTimes untouched{{1}, {2}, {3}};
  EXPECT_FALSE(Sys().GetFileTimes(dir / "missing.txt", &untouched));
  EXPECT_EQ(untouched.write, FileTime{3});
  EXPECT_FALSE(Sys().SetFileTimes(dir / "missing.txt", untouched));
}

}  // namespace
}  // namespace zolt

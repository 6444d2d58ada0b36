// Drive letters. On Windows a name that begins with a letter (or any byte)
// and a colon puts the file on that drive, whose free space is checked
// first; a drive that does not exist, or a "drive" such as 1:, is not
// ready. Elsewhere the same names are ordinary file names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {
namespace {

const std::string kNotReady = "Drive Not Ready!\n";

RunResult RunIn(const TempDir& dir, const std::vector<std::string>& args) {
  RunOptions options;
  options.cwd = dir.path();
  options.input = Input::kDevNull;
  return RunZolt(args, options);
}

// True when the Wine prefix in use maps drive B: (a default one does not).
bool WineHasDriveB() {
  const char* prefix = std::getenv("WINEPREFIX");
  const char* home = std::getenv("HOME");
  std::string dir = prefix ? prefix : std::string(home ? home : "") + "/.wine";
  return FileExists(dir + "/dosdevices/b:");
}

TEST(Drives, MergeChecksTheDriveTheOutputNames) {
  TempDir d;
  WriteFile(d / "a", "a");
  WriteFile(d / "b", "b");
  if (!TargetIsWin32()) {
    for (const char* name : {"b:NEW.TXT", "1:", "z:NEW.TXT"}) {
      RunResult r = RunIn(d, {"-M", "a", "b", "-o", name});
      EXPECT_EQ(r.status, 0) << name;
      EXPECT_EQ(ReadFile(d / name), "ab") << name;
    }
    return;
  }
  // Z: is the drive Wine maps the host's root on, and the current one: the
  // name after its colon is taken in the current directory.
  RunResult r = RunIn(d, {"-M", "a", "b", "-o", "z:NEW.TXT"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(d / "NEW.TXT"), "ab");

  r = RunIn(d, {"-M", "a", "b", "-o1:"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + "Total Marge Size = 2 byte\n" + kNotReady);

  if (WineHasDriveB()) GTEST_SKIP() << "this Wine prefix has a drive B:";
  r = RunIn(d, {"-M", "a", "b", "-o", "b:NEW.TXT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Banner() + "Total Marge Size = 2 byte\n" + kNotReady);
  EXPECT_EQ(ReadFile(d / "NEW.TXT"), "ab");
}

TEST(Drives, SplitChecksTheDriveOfItsOutputDirectory) {
  TempDir d;
  WriteFile(d / "IN.TXT", "text\r\n");
  const std::string missing_dir = Sjis("ディレクトリが見つかりません: ");
  for (const char* outdir : {"1:", "b:OUT"}) {
    if (TargetIsWin32() && outdir[0] == 'b' && WineHasDriveB()) continue;
    RunResult r = RunIn(d, {"-S1", "IN.TXT", outdir});
    EXPECT_EQ(r.status, 1) << outdir;
    // Elsewhere the name is an ordinary directory name, here a missing one.
    EXPECT_EQ(r.err, Banner() + (TargetIsWin32() ? kNotReady : missing_dir + outdir + "\n"))
        << outdir;
  }
  EXPECT_EQ(ListDir(d.path()), std::vector<std::string>{"IN.TXT"});
  // An existing drive: z:. is the current directory of Z:, the current one.
  RunResult r = RunIn(d, {"-S1", "IN.TXT", TargetIsWin32() ? "z:." : "."});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(d / "IN._00"), "text\r\n");
}

}  // namespace
}  // namespace e2e

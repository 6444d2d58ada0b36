// Drive letters. On Windows a name that begins with a letter (or any byte)
// and a colon puts the file on that drive, whose free space is checked
// first; a drive that does not exist, or a "drive" such as 1:, is not
// ready. Elsewhere the same names are ordinary file names.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {
namespace {

// True when the Wine prefix in use maps drive B: (a default one does not).
bool WineHasDriveB() {
  const char* prefix = std::getenv("WINEPREFIX");
  const char* home = std::getenv("HOME");
  std::string dir = prefix ? prefix : std::string(home ? home : "") + "/.wine";
  return access((dir + "/dosdevices/b:").c_str(), F_OK) == 0;
}

TEST(Drives, MergeAndSplitCheckTheDriveTheirOutputNames) {
  const bool win32 = TargetIsWin32();
  const std::string not_ready = "Drive Not Ready!\n", total = "Total Marge Size = 2 byte\n";
  TempDir d;
  WriteFile(d / "a", "a");
  WriteFile(d / "b", "b");
  WriteFile(d / "IN.TXT", "text\r\n");
  RunOptions options;
  options.cwd = d.path();
  options.input = Input::kDevNull;
  // Z: is the drive Wine maps the host's root on, and the current one: the
  // name after its colon is taken in the current directory.
  for (const char* name : {"z:NEW.TXT", "1:", "b:NEW.TXT"}) {
    SCOPED_TRACE(name);
    const bool ready = !win32 || name[0] == 'z';
    if (!ready && name[0] == 'b' && WineHasDriveB()) continue;
    RunResult r = RunZolt({"-M", "a", "b", "-o", name}, options);
    EXPECT_EQ(r.status, ready ? 0 : 1);
    EXPECT_EQ(r.err,
              Banner() + total +
                  (ready ? "Merging to '" + std::string(name) +
                               "'\nallocated buf size =16384 . ok\na 1bytes ok\nb 1bytes ok\n"
                         : not_ready));
    EXPECT_EQ(ReadFile(d / (win32 ? "NEW.TXT" : name)), "ab");
  }
  for (const char* outdir : {"1:", "b:OUT"}) {
    SCOPED_TRACE(outdir);
    if (win32 && outdir[0] == 'b' && WineHasDriveB()) continue;
    RunResult r = RunZolt({"-S1", "IN.TXT", outdir}, options);
    EXPECT_EQ(r.status, 1);
    // Elsewhere the name is an ordinary directory name, here a missing one.
    EXPECT_EQ(r.err, Banner() + (win32 ? not_ready
                                       : Sjis("ディレクトリが見つかりません: ") + outdir + "\n"));
  }
  // An existing drive: z:. is the current directory of Z:, the current one.
  EXPECT_EQ(RunZolt({"-S1", "IN.TXT", win32 ? "z:." : "."}, options).status, 0);
  EXPECT_EQ(ReadFile(d / "IN._00"), "text\r\n");
}

}  // namespace
}  // namespace e2e

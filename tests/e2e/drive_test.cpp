// Drive letters. On Windows a name that begins with a letter (or any byte)
// and a colon puts the file on that drive, whose free space is checked
// first; a drive that does not exist, or a "drive" such as 1:, is not
// ready. Elsewhere the same names are ordinary file names.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "e2e/harness.h"

namespace e2e {
namespace {

// The directory of the Wine prefix in use.
std::string WinePrefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  const char* home = std::getenv("HOME");
  return prefix ? prefix : std::string(home ? home : "") + "/.wine";
}

// True when the Wine prefix in use maps drive B: (a default one does not).
bool WineHasDriveB() {
  return access((WinePrefix() + "/dosdevices/b:").c_str(), F_OK) == 0;
}

TEST(Drives, MergeAndSplitCheckTheDriveTheirOutputNames) {
  const bool win32 = TargetIsWin32();
  auto merged = [&](const std::string& name) {  // what a merge to `name` on a ready drive prints
    return "Total Marge Size = 2 byte\nMerging to '" + name +
           "'\nallocated buf size =16384 . ok\na 1bytes ok\nb 1bytes ok\n";
  };
  const std::string not_ready = "Drive Not Ready!\n", no_dir = "ディレクトリが見つかりません: ";
  auto start = [](const std::string& name) {  // what a split of `name` prints first
    return "allocated buf size =16384 . ok\nSplitting '" + name + "'(6 byte)\n";
  };
  // Run in turn in one directory: NEW.TXT shows that later runs left it alone. Z: is the drive
  // Wine maps the host's root on, and the current one: the name after its colon is taken in the
  // current directory. Elsewhere 1: and b:OUT are missing directories.
  // clang-format off
  const std::tuple<std::vector<std::string>, int, std::string, std::string, std::string> rows[] = {
      // arguments, status, what is printed after the banner, a file and its bytes after
      {{"-M", "a", "b", "-o", "z:NEW.TXT"}, 0, merged("z:NEW.TXT"), win32 ? "NEW.TXT" : "z:NEW.TXT", "ab"},
      {{"-M", "a", "b", "-o", "1:"}, win32, win32 ? "Total Marge Size = 2 byte\n" + not_ready : merged("1:"), win32 ? "NEW.TXT" : "1:", "ab"},
      {{"-M", "a", "b", "-o", "b:NEW.TXT"}, win32, win32 ? "Total Marge Size = 2 byte\n" + not_ready : merged("b:NEW.TXT"), win32 ? "NEW.TXT" : "b:NEW.TXT", "ab"},
      {{"-S1", "IN.TXT", "1:"}, 1, win32 ? not_ready : Msg(no_dir, "1:"), "IN._00", "<missing>"},
      {{"-S1", "IN.TXT", "b:OUT"}, 1, win32 ? not_ready : Msg(no_dir, "b:OUT"), "IN._00", "<missing>"},
      // A drive's colon ends the base name, and a bare drive is its current directory.
      {{"-S1", "z:IN.TXT", "OUT"}, win32 ? 0 : 1, win32 ? start("z:IN.TXT") + "OUT\\IN._00\n" : Msg("ファイルがオープンできません: ", "z:IN.TXT"), "OUT/IN._00", win32 ? "text\r\n" : "<missing>"},
      {{"-S1", "IN.TXT", "z:"}, win32 ? 0 : 1, win32 ? start("IN.TXT") + "z:IN._00\n" : Msg(no_dir, "z:"), "IN._00", win32 ? "text\r\n" : "<missing>"},
      // z:. is the current directory of Z:, the current one.
      {{"-S1", "IN.TXT", win32 ? "z:." : "."}, 0, start("IN.TXT") + (win32 ? "z:.\\" : "./") + "IN._00\n", "IN._00", "text\r\n"},
  };
  // clang-format on
  TempDir d({{"a", "a"}, {"b", "b"}, {"IN.TXT", "text\r\n"}, {"OUT/", ""}});
  for (const auto& [args, status, err, file, bytes] : rows) {
    SCOPED_TRACE(args.back());
    if (win32 && args.back()[0] == 'b' && WineHasDriveB()) continue;
    RunResult r = RunZolt(args, {.input = Input::kDevNull, .cwd = d.path()});
    EXPECT_EQ(r.status, status);
    EXPECT_EQ(r.err, Banner() + err);
    EXPECT_EQ(ReadFile(d / file), bytes) << file;
  }
}

// A wildcard after a bare drive searches that drive's current directory: the
// root of C:, which is not the current drive.
TEST(Drives, AWildcardAfterADriveSearchesThatDrive) {
  if (!TargetIsWin32()) GTEST_SKIP() << "drive letters are Windows names";
  const std::string name = "zolt-e2e-" + std::to_string(getpid()),
                    on_c = WinePrefix() + "/drive_c/" + name;
  WriteFile(on_c, "C");
  TempDir d({{name, "here"}});
  RunResult r =
      RunZolt({"-M", "c:" + name + "*", "-o", "OUT"}, {.input = Input::kDevNull, .cwd = d.path()});
  unlink(on_c.c_str());
  EXPECT_EQ(r.err,
            Banner() +
                "Total Marge Size = 1 byte\nMerging to 'OUT'\nallocated buf size =16384 . ok\nc:" +
                name + " 1bytes ok\n");
  EXPECT_EQ(ReadFile(d / "OUT"), "C");
}

}  // namespace
}  // namespace e2e

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

// True when the Wine prefix in use maps drive B: (a default one does not).
bool WineHasDriveB() {
  const char* prefix = std::getenv("WINEPREFIX");
  const char* home = std::getenv("HOME");
  std::string dir = prefix ? prefix : std::string(home ? home : "") + "/.wine";
  return access((dir + "/dosdevices/b:").c_str(), F_OK) == 0;
}

TEST(Drives, MergeAndSplitCheckTheDriveTheirOutputNames) {
  const bool win32 = TargetIsWin32();
  auto merged = [&](const std::string& name) {  // what a merge to `name` on a ready drive prints
    return "Total Marge Size = 2 byte\nMerging to '" + name +
           "'\nallocated buf size =16384 . ok\na 1bytes ok\nb 1bytes ok\n";
  };
  const std::string not_ready = "Drive Not Ready!\n", no_dir = "ディレクトリが見つかりません: ";
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
      // z:. is the current directory of Z:, the current one.
      {{"-S1", "IN.TXT", win32 ? "z:." : "."}, 0, "allocated buf size =16384 . ok\nSplitting 'IN.TXT'(6 byte)\n" + std::string(win32 ? "z:.\\" : "./") + "IN._00\n", "IN._00", "text\r\n"},
  };
  // clang-format on
  TempDir d({{"a", "a"}, {"b", "b"}, {"IN.TXT", "text\r\n"}});
  for (const auto& [args, status, err, file, bytes] : rows) {
    SCOPED_TRACE(args.back());
    if (win32 && args.back()[0] == 'b' && WineHasDriveB()) continue;
    RunResult r = RunZolt(args, {.input = Input::kDevNull, .cwd = d.path()});
    EXPECT_EQ(r.status, status);
    EXPECT_EQ(r.err, Banner() + err);
    EXPECT_EQ(ReadFile(d / file), bytes) << file;
  }
}

}  // namespace
}  // namespace e2e

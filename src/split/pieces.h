// The pieces of a split run: their names, the settings they share and the
// writer that creates, fills, closes and stamps them one after another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "io/stream.h"
#include "support/platform.h"

namespace zolt {

// Settings every piece of one run shares, fixed before the first piece.
struct SplitRun {
  std::string prefix;           // the output directory with its separator, or empty
  std::string base;             // the input's base name
  int digits = 2;               // digits of a piece number, 2 to 5
  bool keep_match_line = true;  // false when the pattern came as --#
  FileTimes times;              // times every piece receives; empty ones are left alone
};

// 10^digits - 1: the highest piece number that `digits` digits show.
int MaxPieceNumber(int digits);

// prefix + base + "._" + number zero-padded to run.digits digits.
std::string PieceName(const SplitRun& run, int number);

// The name of `path` after its last path separator (on Win32 also after a
// drive "X:"), without its last extension: "dir/ARCHIVE.TAR.GZ" gives
// "ARCHIVE.TAR", ".PROFILE" gives "".
std::string SplitBaseName(const char* path);

// The name of a piece numbered up to `last` that is the open file `fd`
// itself (creating it would destroy the input), or an empty string. Files
// are compared by identity, so a piece name that reaches the input by
// another spelling (a link, a short name, a drive-relative name) counts.
std::string PieceThatIsInput(const SplitRun& run, int fd, int64_t last);

// The piece being written, numbered from 0; at most one is open. Every
// failure is reported here, once, and ends the run.
class PieceWriter {
 public:
  explicit PieceWriter(const SplitRun& run) : run_(run) {}

  // Creates (or empties) the current piece and prints its name line. False
  // after the cannot-create message.
  bool Open();
  // Writes bytes to the open piece. False after the write-failure message.
  bool Write(const char* data, size_t size);
  // Copies the next `count` bytes of `in` to the open piece (fewer at the
  // end of the input) and returns how many; -1 after the write-failure
  // message.
  int64_t Copy(InStream* in, uint64_t count);
  // Closes the open piece and opens the next number. False after reporting
  // a failed close, piece numbers used up or a piece that cannot be made.
  bool Next();
  // Flushes and closes the open piece and gives it the run's times
  // (silently when they cannot be set). False after the write-failure
  // message when any byte could not be written.
  bool Close();

 private:
  const SplitRun& run_;
  OutStream out_;
  std::string name_;
  int number_ = 0;
};

}  // namespace zolt

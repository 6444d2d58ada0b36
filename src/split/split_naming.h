// The split job's run settings, switch grammar, output naming and the
// handling of one piece file, shared by the size cutter and the line cutter.
#pragma once

#include <cstdint>
#include <string>

#include "io/stream.h"
#include "support/platform.h"

namespace zolt {

// Settings of one split run, set by Split before any piece is written.
extern int PieceDigits;       // digits of a piece number, 2 to 5
extern int PieceMax;          // highest piece number: 10^PieceDigits - 1
extern bool KeepMatchLine;    // false when the pattern came as --#
extern FileTimes PieceTimes;  // times every piece receives; empty ones are left alone

// The switch -Sn1[.n2][L] as read from its text.
struct SplitSwitch {
  int64_t n1 = 0;          // piece size in thousands of bytes, or lines/matches per piece
  bool line_mode = false;  // the switch ends in L or l
  int digits = 2;          // n2, clamped to 2..5
};

// The largest n1 taken; longer digit strings saturate here so that n1 * 1000
// always fits a signed 64-bit count.
constexpr int64_t kMaxSplitCount = INT64_MAX / 1000;

// Reads n1, n2 and the line-mode flag from a switch such as "-S10L" or
// "/s1.3". The text starts with a two-character prefix.
SplitSwitch ParseSplitSwitch(const char* text);

// Sets PieceDigits and PieceMax for `digits` (clamped to 2..5).
void SetPieceDigits(int digits);

// The name of `path` after its last path separator, without its last
// extension: "dir/ARCHIVE.TAR.GZ" gives "ARCHIVE.TAR", ".PROFILE" gives "".
std::string SplitBaseName(const char* path);

// Tests that `dir` is a directory pieces can be written to, by opening or
// else creating (exclusively) and deleting the probe file "_ZO_$$$$.TMP" in
// it. A probe that exists in any form (a link, a FIFO) proves the directory
// and is left alone: it is never followed, waited on, emptied or deleted. On
// success stores in *dst the prefix of the piece names (dir with a separator
// appended; empty for an empty dir) and returns 0; returns -1 when the
// directory is not usable.
int CheckOutputDir(std::string* dst, const char* dir);

// prefix + base + "._" + number zero-padded to PieceDigits digits.
std::string PieceName(const std::string& prefix, const std::string& base, int number);

// Creates (or empties) the piece `name` and prints its name line. On
// failure prints the cannot-create message and returns false.
bool CreatePiece(OutStream* piece, const std::string& name);

// Flushes and closes a piece and gives it PieceTimes (silently when the
// times cannot be set). Returns false after printing the write-failure
// message with the piece name when any byte could not be written.
bool ClosePiece(OutStream* piece, const std::string& name);

// Writes `size` bytes to a piece; on a write failure prints the message with
// the piece name, closes the piece and returns false.
bool WritePieceBytes(OutStream* piece, const std::string& name, const char* data, size_t size);

}  // namespace zolt

#include "split/split_naming.h"

#include <cstdio>

#include "support/messages.h"
#include "support/sjis.h"

namespace zolt {

int PieceDigits = 2;
int PieceMax = 99;
bool KeepMatchLine = true;
FileTimes PieceTimes;

namespace {

constexpr const char kProbeName[] = "_ZO_$$$$.TMP";

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The decimal number at the start of `text`, saturating at kMaxSplitCount.
int64_t LeadingNumber(const char* text) {
  int64_t value = 0;
  for (; IsDigit(*text); ++text) {
    value = value * 10 + (*text - '0');
    if (value > kMaxSplitCount) value = kMaxSplitCount;
  }
  return value;
}

}  // namespace

SplitSwitch ParseSplitSwitch(const char* text) {
  SplitSwitch result;
  size_t length = std::char_traits<char>::length(text);
  if (length < 2) return result;
  const char* rest = text + 2;
  result.n1 = LeadingNumber(rest);
  const char* dot = SjisFindFirst(rest, '.');
  if (dot && IsDigit(dot[1])) {
    int64_t n2 = LeadingNumber(dot + 1);
    result.digits = n2 < 2 ? 2 : n2 > 5 ? 5 : static_cast<int>(n2);
  }
  char last = text[length - 1];
  result.line_mode = last == 'L' || last == 'l';
  return result;
}

void SetPieceDigits(int digits) {
  PieceDigits = digits < 2 ? 2 : digits > 5 ? 5 : digits;
  PieceMax = 1;
  for (int i = 0; i < PieceDigits; ++i) PieceMax *= 10;
  PieceMax -= 1;
}

std::string SplitBaseName(const char* path) {
  const char* separator = SjisFindLast(path, kPathSeparator);
  std::string name = separator ? separator + 1 : path;
  const char* dot = SjisFindLast(name.c_str(), '.');
  if (dot) name.resize(static_cast<size_t>(dot - name.c_str()));
  return name;
}

int CheckOutputDir(std::string* dst, const char* dir) {
  std::string prefix = dir;
  if (!prefix.empty()) {
    int last = static_cast<int>(prefix.size()) - 1;
    if (prefix[last] != kPathSeparator || SjisByteClass(prefix.c_str(), last) != 0) {
      prefix += kPathSeparator;
    }
  }
  std::string probe = prefix + kProbeName;
  // Never through a link, never waiting on a FIFO; only a probe made here
  // is deleted.
  int fd = Sys().Open(probe, OpenMode::kProbe);
  bool made = false;
  if (fd < 0) {
    fd = Sys().Open(probe, OpenMode::kCreateNew);
    made = fd >= 0;
  }
  if (fd >= 0) Sys().Close(fd);
  if (made) Sys().Remove(probe);
  if (fd < 0 && !Sys().NameExists(probe)) return -1;
  *dst = prefix;
  return 0;
}

std::string PieceName(const std::string& prefix, const std::string& base, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%0*d", PieceDigits, number);
  return prefix + base + "._" + digits;
}

bool CreatePiece(OutStream* piece, const std::string& name) {
  if (!OpenOutput(piece, name, false)) {
    PrintMessage(Text::kCannotCreate, name);
    return false;
  }
  PrintRaw(name + "\n");
  return true;
}

bool ClosePiece(OutStream* piece, const std::string& name) {
  if (!CloseOutput(piece)) {
    PrintMessage(Text::kWriteFailed, name);
    return false;
  }
  Sys().SetFileTimes(name, PieceTimes);
  return true;
}

bool WritePieceBytes(OutStream* piece, const std::string& name, const char* data, size_t size) {
  WriteBytes(piece, data, size);
  if (!piece->failed) return true;
  CloseOutput(piece);
  PrintMessage(Text::kWriteFailed, name);
  return false;
}

}  // namespace zolt

#include "split/pieces.h"

#include <cstdio>
#include <vector>

#include "io/copy.h"
#include "support/messages.h"
#include "support/sjis.h"

namespace zolt {

namespace {

// The piece number shown by exactly run.digits decimal digits; -1 otherwise.
int PieceNumberOf(const SplitRun& run, const std::string& digits) {
  if (digits.size() != static_cast<size_t>(run.digits)) return -1;
  int number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

}  // namespace

int MaxPieceNumber(int digits) {
  int max = 1;
  for (int i = 0; i < digits; ++i) max *= 10;
  return max - 1;
}

std::string PieceName(const SplitRun& run, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%0*d", run.digits, number);
  return run.prefix + run.base + "._" + digits;
}

std::string SplitBaseName(const char* path) {
  const char* separator = SjisFindLast(path, kPathSeparator);
  std::string name = separator ? separator + 1 : path;
  const char* dot = SjisFindLast(name.c_str(), '.');
  if (dot) name.resize(static_cast<size_t>(dot - name.c_str()));
  return name;
}

std::string PieceThatIsInput(const SplitRun& run, int fd, int64_t last) {
  FileId id = Sys().IdentifyDescriptor(fd);
  if (!id.valid) return std::string();
  std::vector<DirEntry> entries;
  Sys().FindFiles(run.prefix + run.base + "._*", &entries);
  size_t stem = run.base.size() + 2;
  for (const DirEntry& entry : entries) {
    if (entry.name.size() <= stem) continue;
    int number = PieceNumberOf(run, entry.name.substr(stem));
    if (number < 0 || number > last) continue;
    std::string name = PieceName(run, number);
    if (Sys().IdentifyName(name) == id) return name;
  }
  return std::string();
}

bool PieceWriter::Open() {
  name_ = PieceName(run_, number_);
  if (!OpenOutput(&out_, name_, OpenMode::kPiece)) {
    PrintMessage(Text::kCannotCreate, name_);
    return false;
  }
  PrintRaw(name_ + "\n");
  return true;
}

bool PieceWriter::Write(const char* data, size_t size) {
  WriteBytes(&out_, data, size);
  if (!out_.failed) return true;
  PrintMessage(Text::kWriteFailed, name_);
  return false;
}

int64_t PieceWriter::Copy(InStream* in, uint64_t count) {
  uint64_t copied = CopyBytes(in, &out_, count);
  if (!out_.failed) return static_cast<int64_t>(copied);
  PrintMessage(Text::kWriteFailed, name_);
  return -1;
}

bool PieceWriter::Next() {
  if (!Close()) return false;
  if (number_ == MaxPieceNumber(run_.digits)) {
    PrintMessage(Text::kSplitTooSmall);
    return false;
  }
  number_ += 1;
  return Open();
}

bool PieceWriter::Close() {
  if (!CloseOutput(&out_)) {
    PrintMessage(Text::kWriteFailed, name_);
    return false;
  }
  Sys().SetFileTimes(name_, run_.times);
  return true;
}

}  // namespace zolt

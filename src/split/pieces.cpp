#include "split/pieces.h"

#include <string>
#include <vector>

#include "io/copy.h"
#include "support/messages.h"
#include "support/path.h"
#include "support/sjis.h"

namespace zolt {

int MaxPieceNumber(int digits) {
  int max = 1;
  for (int i = 0; i < digits; ++i) max *= 10;
  return max - 1;
}

std::string PieceName(const SplitRun& run, int number) {
  std::string digits = std::to_string(number);
  const auto width = static_cast<size_t>(run.digits);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return run.prefix + run.base + "._" + digits;
}

std::string SplitBaseName(const char* path) {
  std::string name = PathLeaf(path);
  const char* dot = SjisFindLast(name.c_str(), '.');
  if (dot) name.resize(static_cast<size_t>(dot - name.c_str()));
  return name;
}

std::string PieceThatIsInput(const SplitRun& run, int fd, int64_t last) {
  FileId id = Sys().IdentifyDescriptor(fd);
  if (!id.valid || !id.regular) return std::string();
  // The search matches every spelling the system gives an entry (on Win32
  // its short 8.3 name too), so unless one of its finds is the input no
  // piece name can reach it; only then is each piece name resolved.
  std::vector<DirEntry> entries;
  Sys().FindFiles(run.prefix + run.base + "._*", &entries);
  bool found = false;
  for (const DirEntry& entry : entries) found |= Sys().IdentifyName(run.prefix + entry.name) == id;
  for (int number = 0; found && number <= last; ++number) {
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
  if (!out_.failed()) return true;
  PrintMessage(Text::kWriteFailed, name_);
  return false;
}

int64_t PieceWriter::Copy(InStream* in, uint64_t count) {
  uint64_t copied = CopyBytes(in, &out_, count);
  if (!out_.failed()) return static_cast<int64_t>(copied);
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

#include "split/split_lines.h"

#include "front/work_buffer.h"
#include "split/split_naming.h"
#include "support/messages.h"

namespace zolt {

bool SplitByLines(InStream* input, const std::string& prefix, const std::string& base, int64_t n1,
                  const CompiledPattern* pattern) {
  int number = 0;
  int64_t count = pattern ? 1 : 0;
  bool first = true;
  std::string name = PieceName(prefix, base, number);
  OutStream piece;
  if (!CreatePiece(&piece, name)) return false;

  MatchSpan span;
  bool starts_line = true;  // the chunk is the first of its line
  for (;;) {
    int64_t size = ReadLine(input, WorkBuffer, WorkBufferSize);
    if (size < 0) break;
    const char* chunk = WorkBuffer;
    bool ends_line = chunk[size - 1] == '\n';
    bool event;  // the chunk counts towards n1
    bool cut;    // the chunk opens the next piece
    if (pattern) {
      event = !first && SearchCompiled(*pattern, chunk, &span) > 0;
      cut = event && count == n1;
    } else {
      // A full piece ends where the next line starts, so a line longer than
      // a chunk is never cut in two; a last line without LF stays put.
      event = ends_line;
      bool goes_on = ends_line || static_cast<uint64_t>(size) + 1 == WorkBufferSize;
      cut = starts_line && count == n1 && goes_on;
    }
    bool cut_line = false;
    if (cut) {
      cut_line = pattern != nullptr;
      if (!ClosePiece(&piece, name)) return false;
      number += 1;
      if (number > PieceMax) {
        PrintMessage(Text::kSplitTooSmall);
        return false;
      }
      name = PieceName(prefix, base, number);
      if (!CreatePiece(&piece, name)) return false;
      count = 0;
    }
    if (event) count += 1;
    if (!cut_line || KeepMatchLine) {
      if (!WritePieceBytes(&piece, name, chunk, static_cast<size_t>(size))) return false;
    }
    first = false;
    starts_line = ends_line;
  }
  return ClosePiece(&piece, name);
}

}  // namespace zolt

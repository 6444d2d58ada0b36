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
  for (;;) {
    int64_t size = ReadLine(input, WorkBuffer, WorkBufferSize);
    if (size < 0) break;
    const char* chunk = WorkBuffer;
    bool event;
    if (pattern) {
      event = !first && SearchCompiled(*pattern, chunk, &span) > 0;
    } else {
      event = chunk[size - 1] == '\n';
    }
    bool cut_line = false;
    if (event && count == n1) {
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
  }
  return ClosePiece(&piece, name);
}

}  // namespace zolt

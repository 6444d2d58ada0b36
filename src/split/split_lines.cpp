#include "split/split_lines.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "io/work_buffer.h"
#include "split/split_naming.h"
#include "support/byte_masks.h"
#include "support/messages.h"

namespace zolt {

namespace {

// Without a pattern a piece ends after its n1-th LF, and the next one opens
// where the next line starts, so a line longer than a chunk is never cut in
// two; a last line without LF stays in the piece before it. The chunks
// matter only after the n1-th LF of a piece; up to it the input is copied
// in runs straight from the input buffer.
bool SplitByLineCount(InStream* input, const WorkBuffer& work, const std::string& prefix,
                      const std::string& base, int64_t n1) {
  int number = 0;
  std::string name = PieceName(prefix, base, number);
  OutStream piece;
  if (!CreatePiece(&piece, name)) return false;
  int64_t count = 0;
  for (;;) {
    if (count < n1) {
      if (FillInput(input) == 0) break;
      const char* start = input->buffer.data() + input->pos;
      const char* end = input->buffer.data() + input->end;
      const char* p = start;
      // Whole 64-byte chunks by their LF count; the rest LF by LF.
      while (count < n1 && end - p >= static_cast<ptrdiff_t>(kMaskChunk)) {
        uint64_t lfs = EqualMask(reinterpret_cast<const unsigned char*>(p), kMaskChunk, '\n');
        int64_t found = std::popcount(lfs);
        if (count + found < n1) {
          count += found;
          p += kMaskChunk;
          continue;
        }
        for (int64_t skip = n1 - count - 1; skip > 0; --skip) lfs &= lfs - 1;
        p += std::countr_zero(lfs) + 1;
        count = n1;
      }
      while (count < n1 && p < end) {
        const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (!lf) {
          p = end;
          break;
        }
        p = static_cast<const char*>(lf) + 1;
        ++count;
      }
      input->pos += static_cast<size_t>(p - start);
      if (!WritePieceBytes(&piece, name, start, static_cast<size_t>(p - start))) return false;
      continue;
    }
    int64_t size = ReadLine(input, work.data(), work.size());
    if (size < 0) break;
    bool ends_line = work.data()[size - 1] == '\n';
    bool goes_on = ends_line || static_cast<uint64_t>(size) + 1 == work.size();
    if (goes_on) {
      if (!ClosePiece(&piece, name)) return false;
      number += 1;
      if (number > PieceMax) {
        PrintMessage(Text::kSplitTooSmall);
        return false;
      }
      name = PieceName(prefix, base, number);
      if (!CreatePiece(&piece, name)) return false;
      count = ends_line ? 1 : 0;
    }
    if (!WritePieceBytes(&piece, name, work.data(), static_cast<size_t>(size))) return false;
  }
  return ClosePiece(&piece, name);
}

// State of a pattern split.
struct PatternCut {
  InStream* input;
  std::string prefix;
  std::string base;
  std::string name;  // of the current piece
  OutStream piece;
  int number = 0;
  int64_t count = 1;
  size_t run = 0;  // where the chunks taken but not yet written start in the input buffer
  bool have_run = false;
};

// Writes the chunks taken in place and not yet written.
bool FlushRun(PatternCut* cut) {
  if (!cut->have_run) return true;
  cut->have_run = false;
  const char* data = cut->input->buffer.data() + cut->run;
  return WritePieceBytes(&cut->piece, cut->name, data, cut->input->pos - cut->run);
}

// Closes the current piece and opens the next one.
bool NextPiece(PatternCut* cut) {
  if (!ClosePiece(&cut->piece, cut->name)) return false;
  cut->number += 1;
  if (cut->number > PieceMax) {
    PrintMessage(Text::kSplitTooSmall);
    return false;
  }
  cut->name = PieceName(cut->prefix, cut->base, cut->number);
  if (!CreatePiece(&cut->piece, cut->name)) return false;
  cut->count = 0;
  return true;
}

// 1 when `chunk` holds a match, 0 when not, -1 when the search ran out of
// memory.
int SearchChunk(const CompiledPattern& pattern, const char* chunk) {
  try {
    return SearchCompiled(pattern, chunk) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

// Reports that a search ran out of memory and ends the current piece with
// the chunks taken before. Returns false.
bool OutOfMemory(PatternCut* cut) {
  PrintMessage(Text::kMemoryError);
  if (FlushRun(cut)) ClosePiece(&cut->piece, cut->name);
  return false;
}

// With a pattern every chunk after the first goes to the engine. A chunk
// that lies inside the buffered input with a byte after it is searched where
// it is (that byte is NUL during the search), and such chunks that stay in
// the current piece are written in runs; a chunk that reaches the end of the
// buffered input is read into the work buffer instead.
bool SplitByPattern(PatternCut* cut, const WorkBuffer& work, int64_t n1,
                    const CompiledPattern& pattern) {
  InStream* input = cut->input;
  cut->name = PieceName(cut->prefix, cut->base, cut->number);
  if (!CreatePiece(&cut->piece, cut->name)) return false;
  const size_t limit = work.size() > 0 ? work.size() - 1 : 0;  // bytes of one chunk
  bool first = true;
  for (;;) {
    if (input->pos == input->end) {
      if (!FlushRun(cut)) return false;  // the buffer is about to be refilled
      if (FillInput(input) == 0) break;
    }
    char* start = input->buffer.data() + input->pos;
    size_t avail = input->end - input->pos;
    size_t scan = std::min(avail, limit);
    const void* lf = std::memchr(start, '\n', scan);
    size_t size = lf ? static_cast<size_t>(static_cast<const char*>(lf) - start) + 1 : scan;
    bool in_place = limit > 0 && size < avail && (lf || scan == limit);
    const char* chunk = start;
    int found = 0;
    if (in_place) {
      char after = start[size];
      start[size] = '\0';
      if (!first) found = SearchChunk(pattern, chunk);
      start[size] = after;
    } else {
      if (!FlushRun(cut)) return false;
      int64_t n = ReadLine(input, work.data(), work.size());
      if (n < 0) break;
      chunk = work.data();
      size = static_cast<size_t>(n);
      if (!first) found = SearchChunk(pattern, chunk);
    }
    if (found < 0) return OutOfMemory(cut);
    bool event = found > 0;
    first = false;
    bool cut_line = event && cut->count == n1;
    if (cut_line && !(FlushRun(cut) && NextPiece(cut))) return false;
    if (event) cut->count += 1;
    bool keep = !cut_line || KeepMatchLine;
    if (!in_place) {
      if (keep && !WritePieceBytes(&cut->piece, cut->name, chunk, size)) return false;
      continue;
    }
    if (keep && !cut->have_run) {
      cut->run = input->pos;
      cut->have_run = true;
    }
    input->pos += size;
  }
  return FlushRun(cut) && ClosePiece(&cut->piece, cut->name);
}

}  // namespace

bool SplitByLines(InStream* input, const WorkBuffer& work, const std::string& prefix,
                  const std::string& base, int64_t n1, const CompiledPattern* pattern) {
  if (!pattern) return SplitByLineCount(input, work, prefix, base, n1);
  PatternCut cut;
  cut.input = input;
  cut.prefix = prefix;
  cut.base = base;
  return SplitByPattern(&cut, work, n1, *pattern);
}

}  // namespace zolt

#include "split/split_lines.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <span>
#include <string_view>

#include "support/byte_masks.h"
#include "support/messages.h"
#include "support/platform.h"
#include "support/sjis.h"
#include "support/wide_masks.h"

namespace zolt {

namespace {

// The bytes of `pending` through the n1 - *count LFs still wanted, or all
// of them; counts the LFs passed in *count. Whole 64-byte blocks go by their
// LF count, the rest LF by LF.
size_t SkipLines(std::span<const char> pending, int64_t n1, int64_t* count) {
  const char* p = pending.data();
  const char* end = p + pending.size();
  while (*count < n1 && end - p >= static_cast<ptrdiff_t>(kMaskChunk)) {
    uint64_t lfs = EqualMask(reinterpret_cast<const unsigned char*>(p), kMaskChunk, '\n');
    int64_t found = std::popcount(lfs);
    if (*count + found < n1) {
      *count += found;
      p += kMaskChunk;
      continue;
    }
    for (int64_t skip = n1 - *count - 1; skip > 0; --skip) lfs &= lfs - 1;
    p += std::countr_zero(lfs) + 1;
    *count = n1;
  }
  while (*count < n1 && p < end) {
    const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
    if (!lf) {
      p = end;
      break;
    }
    p = static_cast<const char*>(lf) + 1;
    ++*count;
  }
  return static_cast<size_t>(p - pending.data());
}

// Without a pattern a piece ends after its n1-th LF, and the next one opens
// where the next line starts, so a line longer than a chunk is never cut in
// two; a last line without LF that fits in a chunk stays in the piece before
// it. The chunks
// matter only after the n1-th LF of a piece; up to it the input is copied
// in runs straight from the input buffer.
bool SplitByLineCount(InStream* input, PieceWriter* pieces, const WorkBuffer& work, int64_t n1) {
  int64_t count = 0;
  for (;;) {
    if (count < n1) {
      if (FillInput(input) == 0) break;
      size_t passed = SkipLines(input->Pending(), n1, &count);
      if (!pieces->Write(input->Pending().data(), passed)) return false;
      input->Consume(passed);
      continue;
    }
    int64_t size = ReadLine(input, work.data(), work.size());
    if (size < 0) break;
    bool ends_line = work.data()[size - 1] == '\n';
    if (ends_line || FillInput(input) > 0) {  // a whole line, or one that goes on
      if (!pieces->Next()) return false;
      count = ends_line ? 1 : 0;
    }
    if (!pieces->Write(work.data(), static_cast<size_t>(size))) return false;
  }
  return pieces->Close();
}

// A pattern split in progress. Chunks taken in place in the input buffer
// that stay in the current piece form a run, written at once.
struct PatternCut {
  InStream* input;
  PieceWriter* pieces;
  const char* run = nullptr;  // the start of the chunks taken but not yet written
  bool have_run = false;
  bool line_start = true;                  // the next chunk starts a line
  bool dropping = false;                   // the line that opened the piece is being left out
  VectorWidth vectors = VectorWidth::k16;  // the vectors lines are passed over with
};

// One chunk of the input.
struct Chunk {
  std::string_view text;
  bool in_place = false;   // the input's first pending bytes, not yet consumed
  bool ends_line = false;  // holds the end of its line: an LF, or the end of the input
};

// Writes the run of chunks taken in place and not yet written.
bool FlushRun(PatternCut* cut) {
  if (!cut->have_run) return true;
  cut->have_run = false;
  size_t size = static_cast<size_t>(cut->input->Pending().data() - cut->run);
  return cut->pieces->Write(cut->run, size);
}

// Finds the next chunk where it lies in the input buffer, cut as ReadLine
// cuts it. False when it reaches the end of the buffered input: it is read
// into the work buffer then.
bool ChunkInPlace(std::span<const char> pending, size_t limit, Chunk* chunk) {
  const char* start = pending.data();
  size_t avail = pending.size();
  size_t scan = std::min(avail, limit);
  const void* lf = std::memchr(start, '\n', scan);
  size_t size = lf ? static_cast<size_t>(static_cast<const char*>(lf) - start) + 1 : scan;
  if (!lf && size == limit && size > 1 && EndsWithLeadByte(start, size)) --size;
  if (limit == 0 || size >= avail || (!lf && scan < limit)) return false;
  *chunk = {std::string_view(start, size), true, lf != nullptr};
  return true;
}

// What the search of a chunk found.
enum class ChunkSearch {
  kNoMatch,
  kMatch,
  kNoMemory,  // the search ran out of memory, which has been reported
};

// Searches `chunk` for the pattern.
ChunkSearch SearchChunk(const CompiledPattern& pattern, const Chunk& chunk) {
  try {
    TextIs what = chunk.ends_line ? TextIs::kWholeLine : TextIs::kFirstChunk;
    return SearchCompiled(pattern, chunk.text, what) ? ChunkSearch::kMatch : ChunkSearch::kNoMatch;
  } catch (const std::bad_alloc&) {
    PrintMessage(Text::kMemoryError);
    return ChunkSearch::kNoMemory;
  }
}

// Takes a chunk into the current piece, or leaves it out while `dropping`.
bool TakeChunk(PatternCut* cut, const Chunk& chunk) {
  bool keep = !cut->dropping;
  if (chunk.ends_line) cut->dropping = false;
  if (!chunk.in_place) return !keep || cut->pieces->Write(chunk.text.data(), chunk.text.size());
  if (!keep && !FlushRun(cut)) return false;
  if (keep && !cut->have_run) {
    cut->run = cut->input->Pending().data();
    cut->have_run = true;
  }
  cut->input->Consume(chunk.text.size());
  return true;
}

// Bit i set where p[i] (of p[0..63]) is an LF followed by the filter's one
// opening byte, and by the one second byte that opens with it when there is
// one; every LF when any byte may open. p[65] must be readable.
struct NarrowStarts {
  static uint64_t Of(const unsigned char* p, const LineStartFilter& filter) {
    if (filter.only < 0) return EqualMask(p, kMaskChunk, '\n');
    uint64_t starts = PairMask(p, '\n', static_cast<unsigned char>(filter.only));
    if (starts == 0 || filter.only_second < 0) return starts;
    return starts & EqualMask(p + 2, kMaskChunk, static_cast<unsigned char>(filter.only_second));
  }
};

#if ZOLT_WIDE_VECTORS
// As NarrowStarts, one 64-byte vector a compare.
struct Starts64 {
  ZOLT_WIDEST_ONLY static uint64_t Of(const unsigned char* p, const LineStartFilter& filter) {
    __mmask64 starts = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(p), _mm512_set1_epi8('\n'));
    if (filter.only < 0) return starts;
    starts = _mm512_mask_cmpeq_epi8_mask(starts, _mm512_loadu_si512(p + 1),
                                         _mm512_set1_epi8(static_cast<char>(filter.only)));
    if (filter.only_second < 0) return starts;
    return _mm512_mask_cmpeq_epi8_mask(starts, _mm512_loadu_si512(p + 2),
                                       _mm512_set1_epi8(static_cast<char>(filter.only_second)));
  }
};
#endif

// The next line start in p[from, end) whose first bytes the filter lets
// through, or `end`; `from` starts a line when `line_start`. A line start
// follows each LF: 64-byte blocks give the LFs before a line start that may
// pass (Starts), the rest are looked for one by one.
template <typename Starts>
size_t NextCandidate(const unsigned char* p, size_t from, size_t end, bool line_start,
                     const LineStartFilter& filter) {
  if (line_start && filter.MayMatch(p + from, from + 1 < end)) return from;
  size_t at = from;
  for (; end - at > kMaskChunk + 1; at += kMaskChunk) {
    for (uint64_t starts = Starts::Of(p + at, filter); starts != 0; starts &= starts - 1) {
      size_t q = at + static_cast<size_t>(std::countr_zero(starts)) + 1;
      if (filter.MayMatch(p + q, q + 1 < end)) return q;
    }
  }
  for (; at < end; ++at) {
    const void* lf = std::memchr(p + at, '\n', end - at);
    if (!lf) return end;
    at = static_cast<size_t>(static_cast<const unsigned char*>(lf) - p);
    if (at + 1 < end && filter.MayMatch(p + at + 1, at + 2 < end)) return at + 1;
  }
  return end;
}

#if ZOLT_WIDE_VECTORS
ZOLT_WIDEST_PATH size_t NextCandidate64(const unsigned char* p, size_t from, size_t end,
                                        bool line_start, const LineStartFilter& filter) {
  return NextCandidate<Starts64>(p, from, end, line_start, filter);
}
#endif

// Bit i set where p[i] (of p[0..63]) may start `bytes` (n > 1): the first
// and last of them are in place. p[62 + n] must be readable.
struct NarrowSpots {
  static uint64_t Of(const unsigned char* p, std::string_view bytes) {
    uint64_t first = EqualMask(p, kMaskChunk, static_cast<unsigned char>(bytes.front()));
    if (first == 0) return 0;
    return first &
           EqualMask(p + bytes.size() - 1, kMaskChunk, static_cast<unsigned char>(bytes.back()));
  }
};

#if ZOLT_WIDE_VECTORS
// As NarrowSpots, one 64-byte vector a compare.
struct Spots64 {
  ZOLT_WIDEST_ONLY static uint64_t Of(const unsigned char* p, std::string_view bytes) {
    __mmask64 first =
        _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(p), _mm512_set1_epi8(bytes.front()));
    return _mm512_mask_cmpeq_epi8_mask(first, _mm512_loadu_si512(p + bytes.size() - 1),
                                       _mm512_set1_epi8(bytes.back()));
  }
};
#endif

// Where `bytes` (n > 1) first lie whole in p[at, end), or `end`.
template <typename Spots>
size_t FindBytes(const unsigned char* p, size_t at, size_t end, std::string_view bytes) {
  const size_t n = bytes.size();
  for (; end - at >= kMaskChunk + n; at += kMaskChunk) {
    for (uint64_t spots = Spots::Of(p + at, bytes); spots != 0; spots &= spots - 1) {
      size_t q = at + static_cast<size_t>(std::countr_zero(spots));
      if (std::memcmp(p + q, bytes.data(), n) == 0) return q;
    }
  }
  for (; end - at >= n; ++at) {
    const void* first = std::memchr(p + at, bytes.front(), end - at - n + 1);
    if (!first) break;
    at = static_cast<size_t>(static_cast<const unsigned char*>(first) - p);
    if (std::memcmp(p + at, bytes.data(), n) == 0) return at;
  }
  return end;
}

// The start of the first line in p[from, end) that holds `bytes` (n > 1),
// `from` starting a line when `line_start`. A line that may go on after
// `end` is never passed over: without a line that holds them, the start of
// the last line, or `end` when it started before `from` or ends at `end`.
template <typename Spots>
size_t NextLineWith(const unsigned char* p, size_t from, size_t end, bool line_start,
                    std::string_view bytes) {
  const char* text = reinterpret_cast<const char*>(p);
  size_t line = line_start ? from : end;  // `end`: the line began before `from`
  for (size_t at = from; at < end;) {
    size_t hit = FindBytes<Spots>(p, at, end, bytes);
    const char* lf = FindLastOfTwo(text + at, text + hit, '\n', '\n');
    if (lf) line = static_cast<size_t>(lf - text) + 1;
    if (hit == end || line < end) return line;
    const void* next = std::memchr(p + hit, '\n', end - hit);  // past the line that began before
    if (!next) return end;
    at = line = static_cast<size_t>(static_cast<const unsigned char*>(next) - p) + 1;
  }
  return line;
}

#if ZOLT_WIDE_VECTORS
ZOLT_WIDEST_PATH size_t NextLineWith64(const unsigned char* p, size_t from, size_t end,
                                       bool line_start, std::string_view bytes) {
  return NextLineWith<Spots64>(p, from, end, line_start, bytes);
}
#endif

// The next line in the buffered input that the pattern's line-start filter
// or required bytes let through (see NextCandidate and NextLineWith).
size_t NextToSearch(const PatternCut& cut, const LineStartFilter* filter, std::string_view bytes) {
  std::span<const char> pending = cut.input->Pending();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(pending.data());
  size_t from = 0;
  size_t end = pending.size();
#if ZOLT_WIDE_VECTORS
  if (cut.vectors == VectorWidth::k64) {
    return filter ? NextCandidate64(p, from, end, cut.line_start, *filter)
                  : NextLineWith64(p, from, end, cut.line_start, bytes);
  }
#endif
  return filter ? NextCandidate<NarrowStarts>(p, from, end, cut.line_start, *filter)
                : NextLineWith<NarrowSpots>(p, from, end, cut.line_start, bytes);
}

// Takes the lines of the buffered input that the filter or the required
// bytes rule out into the current run: up to the next line that may match,
// or to the end of the buffered bytes.
void SkipRuledOut(PatternCut* cut, const LineStartFilter* filter, std::string_view bytes) {
  std::span<const char> pending = cut->input->Pending();
  size_t to = NextToSearch(*cut, filter, bytes);
  if (to == 0) return;
  if (!cut->have_run) {
    cut->run = pending.data();
    cut->have_run = true;
  }
  cut->input->Consume(to);
  cut->line_start = to < pending.size() || pending[to - 1] == '\n';
}

// With a pattern a line is tested once, on its first chunk, except the
// first line of the input; the n1-th match opens a piece. A search that
// runs out of memory ends the current piece with the chunks taken before.
bool SplitByPattern(PatternCut* cut, const WorkBuffer& work, int64_t n1,
                    const CompiledPattern& pattern, bool keep_match_line) {
  InStream* input = cut->input;
  int64_t count = 1;
  bool first = true;
  const LineStartFilter* filter = StartFilterOf(pattern);
  // A single required byte is left to the search.
  std::string_view bytes = RequiredBytesOf(pattern);
  bool skips = filter || bytes.size() > 1;
  for (;;) {
    if (input->Pending().empty()) {
      if (!FlushRun(cut)) return false;  // the buffer is about to be refilled
      if (FillInput(input) == 0) break;
    }
    if (skips && !first && !cut->dropping) {
      SkipRuledOut(cut, filter, bytes);
      if (input->Pending().empty()) continue;
    }
    Chunk chunk;
    if (!ChunkInPlace(input->Pending(), work.size() - 1, &chunk)) {
      if (!FlushRun(cut)) return false;
      int64_t n = ReadLine(input, work.data(), work.size());
      if (n < 0) break;
      chunk.text = std::string_view(work.data(), static_cast<size_t>(n));
      chunk.ends_line = chunk.text.back() == '\n' || FillInput(input) == 0;
    }
    ChunkSearch found =
        cut->line_start && !first ? SearchChunk(pattern, chunk) : ChunkSearch::kNoMatch;
    if (found == ChunkSearch::kNoMemory) {
      if (FlushRun(cut)) cut->pieces->Close();
      return false;
    }
    first = false;
    cut->line_start = chunk.ends_line;
    if (found == ChunkSearch::kMatch && count == n1) {
      if (!FlushRun(cut) || !cut->pieces->Next()) return false;
      count = 0;
      cut->dropping = !keep_match_line;
    }
    if (found == ChunkSearch::kMatch) count += 1;
    if (!TakeChunk(cut, chunk)) return false;
  }
  return FlushRun(cut) && cut->pieces->Close();
}

}  // namespace

bool SplitByLines(InStream* input, const SplitRun& run, const WorkBuffer& work, int64_t n1,
                  const CompiledPattern* pattern) {
  PieceWriter pieces(run);
  if (!pieces.Open()) return false;
  if (!pattern) return SplitByLineCount(input, &pieces, work, n1);
  PatternCut cut{input, &pieces};
  cut.vectors = FilterVectors();
  return SplitByPattern(&cut, work, n1, *pattern, run.keep_match_line);
}

}  // namespace zolt

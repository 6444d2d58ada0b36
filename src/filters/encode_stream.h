// The block loop shared by the two directions of the UTF-8 conversion: fast
// runs through the codec straight into the output buffer, the units that
// straddle input blocks carried over, and the count of what could not be
// converted with the place of the first such unit.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "filters/encode_table.h"
#include "filters/filter_driver.h"
#include "support/byte_masks.h"
#include "support/job_result.h"
#include "support/wide_masks.h"

namespace zolt {

// For byte 2k of a vector, k, and for byte 2k + 1, 64 + k: the index of
// _mm512_permutex2var_epi8 that makes 16-bit lane k of byte k of its first
// source and byte k of its second (above it); +32 for lanes 32-63.
inline constexpr auto kPairs = [] {
  std::array<unsigned char, kMaskChunk> pairs{};
  for (size_t k = 0; k < 32; ++k) pairs[2 * k] = static_cast<unsigned char>(k);
  for (size_t k = 0; k < 32; ++k) pairs[2 * k + 1] = static_cast<unsigned char>(64 + k);
  return pairs;
}();

#if ZOLT_WIDE_VECTORS
// Writes the 16-bit lanes that pair byte k of `low` with byte k of `high`
// to pairs[0..63].
ZOLT_WIDEST_ONLY inline void StorePairs(__m512i low, __m512i high, uint16_t* pairs) {
  __m512i index = _mm512_loadu_si512(kPairs.data());
  for (size_t half = 0; half < 2; ++half) {
    __m512i v = _mm512_permutex2var_epi8(low, index, high);
    auto* at = reinterpret_cast<__m128i*>(pairs + 32 * half);
    _mm_storeu_si128(at, _mm512_maskz_extracti32x4_epi32(0xF, v, 0));
    _mm_storeu_si128(at + 1, _mm512_maskz_extracti32x4_epi32(0xF, v, 1));
    _mm_storeu_si128(at + 2, _mm512_maskz_extracti32x4_epi32(0xF, v, 2));
    _mm_storeu_si128(at + 3, _mm512_maskz_extracti32x4_epi32(0xF, v, 3));
    index = _mm512_add_epi8(index, _mm512_set1_epi8(32));
  }
}
#endif

}  // namespace zolt

namespace zolt {

static_assert(std::endian::native == std::endian::little, "Packed is stored as a word");

// Where the conversion stands in its input and what it could not convert.
struct EncodeTally {
  bool replace = false;   // replace unconvertible units instead of stopping
  uint64_t offset = 0;    // input bytes before the current block
  uint64_t lines = 1;     // the line the current block starts in (when stopping)
  uint64_t replaced = 0;  // units replaced
};

// Whether the conversions may take their 64-byte (AVX-512) steps: the
// widest vectors the platform lets the filters take (FilterVectors).
bool EncodeWide();

// Accounts for one unconvertible unit starting `at` bytes after the start of
// `block` (before it for carried bytes, which hold no LF). Stopping: prints
// the message line with its place and returns false; else counts it.
bool Unconvertible(EncodeTally* tally, const char* block, int64_t at);
// Moves the tally past a block of `size` bytes.
void PassBlock(EncodeTally* tally, const char* block, size_t size);
// Prints the count of replaced units, if any; returns the job's result.
JobResult FinishTally(const EncodeTally& tally, bool stopped);

// Runs a conversion over the input of `pair`. A Codec provides:
//   kGrowth: the most output bytes one input byte makes;
//   kSkipsBom: whether a UTF-8 byte-order mark at the start is dropped;
//   kReplacement: the Packed replacement character;
//   Unit(p, available, &length): the unit at p (Packed, 0 if unconvertible),
//     length 0 when it needs more bytes than are available;
//   Run(&p, end, o), a member: converts units up to end as long as they are
//     whole and convertible, returning the new end of the output; it may
//     store up to kMaskChunk bytes past that end.
//   a constructor taking whether it may take the AVX-512 steps.
template <typename Codec>
class EncodeStream {
 public:
  EncodeStream(OutStream* out, bool replace) : codec_(EncodeWide()), out_(out) {
    tally_.replace = replace;
  }

  // Converts one block; false when it stopped at an unconvertible unit.
  bool Block(const char* data, size_t size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    size_t i = 0;
    if (bom_ < 3 && !SkipBom(p, size, &i)) return Pass(data, size);
    if (carried_ > 0) {
      // The carried bytes start a unit that takes at most 4 bytes.
      unsigned char t[8];
      std::memcpy(t, carry_, carried_);
      size_t take = std::min<size_t>(size - i, 4);
      std::memcpy(t + carried_, p + i, take);
      size_t length;
      Packed c = Codec::Unit(t, carried_ + take, &length);
      if (length == 0) {
        std::memcpy(carry_ + carried_, p + i, take);
        carried_ += take;
        return Pass(data, size);
      }
      if (!Put(c, data, static_cast<int64_t>(i) - static_cast<int64_t>(carried_))) return false;
      i += length - carried_;
      carried_ = 0;
    }
    return Stretches(p, i, size) && Pass(data, size);
  }

  // Ends the input: bytes still carried are a unit cut short. Returns the
  // job's result.
  JobResult Finish() {
    if (bom_ > 0 && bom_ < 3) std::memcpy(carry_, kBom, carried_ = bom_);
    if (!stopped_ && carried_ > 0) Put(0, nullptr, -static_cast<int64_t>(carried_));
    return FinishTally(tally_, stopped_);
  }

 private:
  static constexpr unsigned char kBom[3] = {0xEF, 0xBB, 0xBF};
  static constexpr size_t kStretch = 4096;  // input bytes per direct output room

  // Moves the tally past a block taken whole; true.
  bool Pass(const char* data, size_t size) {
    PassBlock(&tally_, data, size);
    return true;
  }

  // Matches the start of the input against the byte-order mark; false while
  // the whole block matched a part of it. A part followed by anything else
  // is carried as the start of a unit.
  bool SkipBom(const unsigned char* p, size_t size, size_t* i) {
    while (*i < size && bom_ < 3 && p[*i] == kBom[bom_]) ++*i, ++bom_;
    if (bom_ < 3 && *i == size) return false;
    if (bom_ < 3) std::memcpy(carry_, kBom, carried_ = bom_);
    bom_ = 3;
    return true;
  }

  // Writes the unit c (0: unconvertible) that starts `at` bytes into data.
  bool Put(Packed c, const char* data, int64_t at) {
    if (c == 0) {
      if (!Unconvertible(&tally_, data, at)) return !(stopped_ = true);
      c = Codec::kReplacement;
    }
    char bytes[4];
    std::memcpy(bytes, &c, 4);
    WriteBytes(out_, bytes, PackedLength(c));
    return true;
  }

  // Converts p[i..size), carrying a unit cut off by the end of the block.
  bool Stretches(const unsigned char* p, size_t i, size_t size) {
    const char* data = reinterpret_cast<const char*>(p);
    char local[kStretch * Codec::kGrowth + 2 * kMaskChunk];
    while (i < size) {
      size_t stop = i + std::min(size - i, kStretch);
      char* room = OutputRoom(out_, sizeof local);
      const unsigned char* q = p + i;
      char* o = codec_.Run(&q, p + stop, room ? room : local);
      if (room) OutputDone(out_, o);
      if (!room) WriteBytes(out_, local, static_cast<size_t>(o - local));
      i = static_cast<size_t>(q - p);
      if (i == stop) continue;
      // An unconvertible unit, or one that reaches past the stretch.
      size_t length;
      Packed c = Codec::Unit(q, size - i, &length);
      if (length == 0) {
        std::memcpy(carry_, q, carried_ = size - i);
        break;
      }
      if (!Put(c, data, static_cast<int64_t>(i))) return false;
      i += length;
    }
    return true;
  }

  Codec codec_;
  OutStream* out_;
  EncodeTally tally_;
  unsigned char carry_[4] = {};  // the start of a unit the block cut off
  size_t carried_ = 0;
  unsigned bom_ = Codec::kSkipsBom ? 0 : 3;  // mark bytes matched; 3 once past it
  bool stopped_ = false;
};

// Runs the conversion of Codec over the input of `pair`.
template <typename Codec>
JobResult RunEncode(StreamPair* pair, bool replace) {
  EncodeStream<Codec> stream(&pair->output, replace);
  ForEachBlock(pair, [&](const char* data, size_t size) { return stream.Block(data, size); });
  return stream.Finish();
}

}  // namespace zolt

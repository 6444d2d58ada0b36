#include "filters/kana.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "filters/filter_driver.h"
#include "support/byte_masks.h"
#include "support/platform.h"
#include "support/sjis.h"
#include "support/wide_masks.h"

namespace zolt {

namespace {

// The full-width character of each half-width katakana 0xA1 to 0xDE.
constexpr unsigned kTable[0xDE - 0xA1 + 1] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // A1-A8
    0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // A9-B0
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // B1-B8
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // B9-C0
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // C1-C8
    0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // C9-D0
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // D1-D8
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A,                  // D9-DE
};

constexpr unsigned char kVoicedMark = 0xDE;       // ﾞ
constexpr unsigned char kSemiVoicedMark = 0xDF;   // ﾟ
constexpr unsigned kFullVoicedMark = 0x814A;      // ゛
constexpr unsigned kFullSemiVoicedMark = 0x814B;  // ゜

// ｶ to ﾄ and ﾊ to ﾎ have a voiced form (second byte + 1).
constexpr bool HasVoiced(unsigned char k) {
  return (k >= 0xB6 && k <= 0xC4) || (k >= 0xCA && k <= 0xCE);
}
// ﾊ to ﾎ have a semi-voiced form (second byte + 2).
constexpr bool HasSemiVoiced(unsigned char k) {
  return k >= 0xCA && k <= 0xCE;
}

// What a katakana and the byte after it become: one or two full-width
// characters (2 or 4 bytes; the unused bytes are zero).
struct Converted {
  char bytes[4];
  unsigned char size;
};

// The byte after a katakana: 0 for no sound mark, 1 for ﾞ, 2 for ﾟ.
constexpr unsigned MarkIndex(unsigned char b) {
  static_assert(kSemiVoicedMark == kVoicedMark + 1);
  unsigned d = b - (kVoicedMark - 1u);
  return d * (d < 3);
}

// The conversion of katakana `k` followed by mark `mark` (a MarkIndex).
constexpr Converted Convert(unsigned char k, unsigned mark) {
  unsigned full = kTable[k - 0xA1];
  unsigned second = 0;
  if (mark == 1) {
    if (HasVoiced(k))
      full += 1;
    else
      second = kFullVoicedMark;
  } else if (mark == 2) {
    if (HasSemiVoiced(k))
      full += 2;
    else
      second = kFullSemiVoicedMark;
  }
  Converted c = {{static_cast<char>(full >> 8), static_cast<char>(full & 0xFF),
                  static_cast<char>(second >> 8), static_cast<char>(second & 0xFF)},
                 static_cast<unsigned char>(second ? 4 : 2)};
  return c;
}

// Every katakana 0xA1-0xDE with every MarkIndex.
constexpr auto kConverted = [] {
  std::array<std::array<Converted, 3>, std::size(kTable)> table{};
  for (unsigned i = 0; i < table.size(); ++i) {
    for (unsigned mark = 0; mark < 3; ++mark)
      table[i][mark] = Convert(static_cast<unsigned char>(0xA1 + i), mark);
  }
  return table;
}();

// Stores katakana `k` as converted with the byte `b` after it at `at`, four
// bytes whatever the size; returns the size.
size_t StoreKana(unsigned char k, unsigned char b, char* at) {
  const Converted& c = kConverted[k - 0xA1][MarkIndex(b)];
  std::memcpy(at, c.bytes, sizeof c.bytes);
  return c.size;
}

// Writes the held-back katakana `k` as converted with the byte `b` after it.
// Returns true when `b` was a sound mark and has been used up with it.
bool PutKana(unsigned char k, unsigned char b, OutStream* out) {
  const Converted& c = kConverted[k - 0xA1][MarkIndex(b)];
  WriteBytes(out, c.bytes, c.size);
  return MarkIndex(b) != 0;
}

}  // namespace

unsigned KanaTable(unsigned char b) {
  return kTable[b - 0xA1];
}

void PutDoubleByte(unsigned code, OutStream* out) {
  char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
  WriteBytes(out, bytes, 2);
}

namespace {

// The mask of chunk bits n and above, n from 0 to 65 (none from 64 on).
uint64_t BitsFrom(ptrdiff_t n) {
  return n >= 64 ? 0 : ~uint64_t{0} << n;
}

// Writes the chunk at p (128 bytes after it readable) from `copied` (p or
// p + 1) on, at o, with its katakana converted: `kana` marks those that are
// not second bytes. Whole chunks of bytes are stored from `copied` before
// each katakana, and the stores after them replace what is not kept.
// Returns where the output ends and sets *copied past the last byte used
// (a sound mark after the chunk's last byte included).
template <typename Masks>
char* KanaChunk(const char* p, uint64_t kana, const char** copied, char* o) {
  // Bit i: byte i + 1 is a sound mark, which a katakana at i folds in.
  uint64_t mark_next =
      Masks::Range(reinterpret_cast<const unsigned char*>(p + 1), kVoicedMark, kSemiVoicedMark);
  const char* from = *copied;
  for (kana &= BitsFrom(from - p); kana != 0;) {
    int at = std::countr_zero(kana);
    // This katakana's bit goes, and the bit of a sound mark folded into it
    // (none for a mark after byte 63).
    uint64_t bit = uint64_t{1} << at;
    kana &= ~(bit | (mark_next & bit) << 1);
    const char* q = p + at;
    std::memcpy(o, from, kMaskChunk);
    o += q - from;
    o += StoreKana(static_cast<unsigned char>(*q), static_cast<unsigned char>(q[1]), o);
    from = q + 1 + ((mark_next >> at) & 1);
  }
  std::memcpy(o, from, kMaskChunk);
  ptrdiff_t rest = std::max<ptrdiff_t>(p + kMaskChunk - from, 0);
  *copied = from + rest;
  return o + rest;
}

// Converts [p, end) one character at a time; p starts a character unless
// state->partner_next says it is the partner of a lead byte.
void KanaBytes(KanaState* state, const char* p, const char* end, OutStream* out) {
  if (p < end && state->partner_next) {
    WriteByte(out, *p++);
    state->partner_next = false;
  }
  while (p < end) {
    // Copy a run of bytes that pass unchanged, whole double-byte characters
    // included.
    const char* run = p;
    while (p < end) {
      unsigned char b = static_cast<unsigned char>(*p);
      if (IsHalfKana(b)) break;
      if (IsSjisLead(b)) {
        if (end - p == 1) {  // the partner comes with the next block
          state->partner_next = true;
          ++p;
          break;
        }
        ++p;
      }
      ++p;
    }
    if (p > run) WriteBytes(out, run, static_cast<size_t>(p - run));
    if (p == end) break;
    unsigned char k = static_cast<unsigned char>(*p++);
    if (p == end) {
      state->kana = k;
      break;
    }
    if (PutKana(k, static_cast<unsigned char>(*p), out)) ++p;
  }
}

// Whole chunks of [p, end) with more than two chunks after them: the
// katakana that are not second bytes are converted, the bytes between them
// copied as they are, straight into the output buffer. `copied` is where
// the next unwritten byte is: p, or p + 1 when a sound mark after the last
// chunk's last byte was folded. Returns where the chunks stopped.
template <typename Masks>
const char* KanaChunks(const char* p, const char* end, const char** copied, bool* carry,
                       OutStream* out) {
  // Kept apart from the bytes written.
  const char* from = *copied;
  bool partner = *carry;
  for (; end - p > 2 * static_cast<ptrdiff_t>(kMaskChunk); p += kMaskChunk) {
    // A chunk writes at most twice the 65 bytes it may use; stores reach a
    // chunk further.
    char* o = OutputRoom(out, 6 * kMaskChunk);
    if (!o) break;
    auto* bytes = reinterpret_cast<const unsigned char*>(p);
    uint64_t kana = Masks::Range(bytes, 0xA1, 0xDE) & ~TrailMask(Masks::Lead(bytes), &partner);
    OutputDone(out, KanaChunk<Masks>(p, kana, &from, o));
  }
  *copied = from;
  *carry = partner;
  return p;
}

ZOLT_WIDE_PATH const char* WideKanaChunks(const char* p, const char* end, const char** copied,
                                          bool* carry, OutStream* out) {
  return KanaChunks<WideMasks>(p, end, copied, carry, out);
}

#if ZOLT_WIDE_VECTORS
// The lead (row 0) and second byte (row 1) of the full-width form of each
// byte 0xA0-0xDF, indexed by the byte's low six bits; 0xDF stands for ﾟ
// after a katakana that has no semi-voiced form (゜).
alignas(64) constexpr auto kFullBytes = [] {
  std::array<std::array<char, 64>, 2> bytes{};
  for (unsigned b = 0xA1; b <= 0xDF; ++b) {
    unsigned full = b == kSemiVoicedMark ? kFullSemiVoicedMark : kTable[b - 0xA1];
    bytes[0][b & 63] = static_cast<char>(full >> 8);
    bytes[1][b & 63] = static_cast<char>(full & 0xFF);
  }
  return bytes;
}();

// 0, 0, 1, 1, ... 31, 31: each of 32 bytes twice.
alignas(64) constexpr auto kTwice = [] {
  std::array<char, 64> index{};
  for (unsigned i = 0; i < 64; ++i) index[i] = static_cast<char>(i / 2);
  return index;
}();

// The lanes of v with lo <= byte <= hi.
ZOLT_WIDEST_ONLY inline __mmask64 InRange64(__m512i v, unsigned char lo, unsigned char hi) {
  return _mm512_cmple_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8(static_cast<char>(lo))),
                                _mm512_set1_epi8(static_cast<char>(hi - lo)));
}

// The bytes of `table` at `index` (low six bits of each lane).
ZOLT_WIDEST_ONLY inline __m512i Pick64(__m512i index, __m512i table) {
  return _mm512_maskz_permutexvar_epi8(~__mmask64{0}, index, table);
}

// What becomes of each byte of a chunk, bit i for byte i.
struct KanaLanes {
  uint64_t convert;  // written as a full-width character
  uint64_t drop;     // a sound mark folded into the katakana before it
  uint64_t fold;     // a katakana that takes the sound mark after it in
};

// Writes bytes 32 * half to 32 * half + 31 of the chunk x as `lanes` says
// at o (next: the chunk one byte on); stores 64 bytes. Returns the size.
ZOLT_WIDEST_ONLY inline size_t KanaHalf(__m512i x, __m512i next, const KanaLanes& lanes,
                                        unsigned half, char* o) {
  constexpr uint64_t kEven = 0x5555555555555555ULL;
  unsigned shift = 32 * half;
  auto convert = static_cast<uint32_t>(lanes.convert >> shift);
  auto keep = static_cast<uint32_t>(~lanes.drop >> shift);
  auto fold = static_cast<uint32_t>(lanes.fold >> shift);
  // Each byte in an even lane and the odd lane after it.
  __m512i index =
      _mm512_add_epi8(_mm512_load_si512(kTwice.data()), _mm512_set1_epi8(static_cast<char>(shift)));
  __m512i bytes = Pick64(index, x);
  __m512i lead = Pick64(bytes, _mm512_load_si512(kFullBytes[0].data()));
  __m512i second = Pick64(bytes, _mm512_load_si512(kFullBytes[1].data()));
  // A folded mark adds 1 (ﾞ) or 2 (ﾟ) to the second byte.
  __mmask64 fold_odd = _pdep_u64(fold, ~kEven);
  __m512i mark = Pick64(index, next);
  second = _mm512_mask_add_epi8(second, fold_odd, second,
                                _mm512_sub_epi8(mark, _mm512_set1_epi8(static_cast<char>(0xDD))));
  __m512i both = _mm512_mask_blend_epi8(~kEven, bytes, second);
  both = _mm512_mask_blend_epi8(_pdep_u64(convert, kEven), both, lead);
  __mmask64 kept = _pdep_u64(keep, kEven) | _pdep_u64(convert, ~kEven);
  _mm512_storeu_si512(o, _mm512_maskz_compress_epi8(kept, both));
  return static_cast<size_t>(std::popcount(kept));
}

// The lanes of the chunk at p whose katakana (not second bytes) are `kana`,
// or false when a sound mark follows another (ﾞﾞ, ﾞﾟ) or byte 64, which
// the byte-wise chunk handles.
ZOLT_WIDEST_ONLY inline bool FindKanaLanes(__m512i x, __m512i next, uint64_t kana,
                                           KanaLanes* lanes) {
  uint64_t voiced_next = _mm512_cmpeq_epi8_mask(next, _mm512_set1_epi8(static_cast<char>(0xDE)));
  uint64_t semi_next = _mm512_cmpeq_epi8_mask(next, _mm512_set1_epi8(static_cast<char>(0xDF)));
  uint64_t marked = kana & (voiced_next | semi_next);
  uint64_t voiced = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8(static_cast<char>(0xDE)));
  if ((marked & (voiced | uint64_t{1} << 63)) != 0) return false;
  uint64_t semi_able = InRange64(x, 0xCA, 0xCE);
  uint64_t voiced_able = InRange64(x, 0xB6, 0xC4) | semi_able;
  lanes->fold = marked & ((voiced_able & voiced_next) | (semi_able & semi_next));
  lanes->drop = lanes->fold << 1;
  lanes->convert = (kana | marked << 1) & ~lanes->drop;
  return true;
}

// As KanaChunks with 64-byte vectors: a chunk whose sound marks each follow
// a katakana that is no mark is converted whole by lanes.
ZOLT_WIDEST_PATH const char* KanaChunks64(const char* p, const char* end, const char** copied,
                                          bool* carry, OutStream* out) {
  const char* from = *copied;
  bool partner = *carry;
  for (; end - p > 2 * static_cast<ptrdiff_t>(kMaskChunk); p += kMaskChunk) {
    char* o = OutputRoom(out, 6 * kMaskChunk);
    if (!o) break;
    __m512i x = _mm512_loadu_si512(p);
    __m512i next = _mm512_loadu_si512(p + 1);
    uint64_t lead = InRange64(_mm512_xor_si512(x, _mm512_set1_epi8(0x20)), 0xA1, 0xDC);
    uint64_t kana = InRange64(x, 0xA1, 0xDE) & ~TrailMask(lead, &partner);
    KanaLanes lanes;
    if (from == p && FindKanaLanes(x, next, kana, &lanes)) {
      size_t low = KanaHalf(x, next, lanes, 0, o);
      OutputDone(out, o + low + KanaHalf(x, next, lanes, 1, o + low));
      from = p + kMaskChunk;
    } else {
      OutputDone(out, KanaChunk<WideMasks>(p, kana, &from, o));
    }
  }
  *copied = from;
  *carry = partner;
  return p;
}

#endif

}  // namespace

void KanaBlock(KanaState* state, const char* data, size_t size, OutStream* out) {
  const char* p = data;
  const char* end = data + size;
  if (p < end && state->partner_next) {
    WriteByte(out, *p++);
    state->partner_next = false;
  }
  if (p < end && state->kana != 0) {
    if (PutKana(state->kana, static_cast<unsigned char>(*p), out)) ++p;
    state->kana = 0;
  }
  const char* copied = p;
  bool carry = false;
#if ZOLT_WIDE_VECTORS
  if (state->vectors == VectorWidth::k64) {
    p = KanaChunks64(p, end, &copied, &carry, out);
  } else
#endif
    p = state->vectors == VectorWidth::k32 ? WideKanaChunks(p, end, &copied, &carry, out)
                                           : KanaChunks<NarrowMasks>(p, end, &copied, &carry, out);
  if (copied > p) {
    p = copied;  // the folded mark started a character
  } else {
    state->partner_next = carry;
  }
  KanaBytes(state, p, end, out);
}

void KanaFinish(KanaState* state, OutStream* out) {
  if (state->kana != 0) PutDoubleByte(KanaTable(state->kana), out);
  state->kana = 0;
}

JobResult WidenKana(StreamPair* pair) {
  KanaState state;
  return RunFilter(pair, &state, KanaBlock, KanaFinish);
}

}  // namespace zolt

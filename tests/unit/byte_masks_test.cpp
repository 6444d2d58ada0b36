#include "support/byte_masks.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/sjis.h"

namespace zolt {
namespace {

// Byte-at-a-time reference: which bytes of `text` outside the lead range
// are second bytes, parsed from the start.
std::vector<bool> ReferenceTrails(const std::vector<unsigned char>& text) {
  std::vector<bool> trail(text.size() + 1, false);
  size_t i = 0;
  while (i < text.size()) {
    if (IsSjisLead(text[i])) {
      trail[i + 1] = true;
      i += 2;
    } else {
      ++i;
    }
  }
  return trail;
}

TEST(ByteMasks, TrailMaskFollowsTheCharacterParseAcrossChunks) {
  std::mt19937 rng(7);
  // Long runs of lead-range bytes, some ending at chunk edges, others not.
  const unsigned char kBytes[] = {0x81, 0x9F, 0xE0, 0xFC, 0x41, 0x0A, 0xA1, 0xDE, 0x80, 0xFD};
  for (int round = 0; round < 2000; ++round) {
    std::vector<unsigned char> text(4 * kMaskChunk);
    unsigned lead_bias = rng() % 10;
    for (auto& b : text) b = rng() % 10 < lead_bias ? kBytes[rng() % 4] : kBytes[rng() % 10];
    std::vector<bool> expected = ReferenceTrails(text);
    bool carry = false;
    for (size_t chunk = 0; chunk < 4; ++chunk) {
      const unsigned char* p = text.data() + chunk * kMaskChunk;
      uint64_t trails = TrailMask(LeadMask(p), &carry);
      for (size_t i = 0; i < kMaskChunk; ++i) {
        size_t at = chunk * kMaskChunk + i;
        bool want = expected[at] && (!IsSjisLead(text[at]) || i == 0);
        ASSERT_EQ(((trails >> i) & 1) != 0, want) << "round " << round << " byte " << at;
      }
      ASSERT_EQ(carry, expected[(chunk + 1) * kMaskChunk])
          << "round " << round << " chunk " << chunk;
    }
  }
}

TEST(ByteMasks, RangeAndEqualMasksMatchEveryByteValue) {
  std::vector<unsigned char> text(kMaskChunk);
  for (int base = 0; base < 256; base += 64) {
    for (size_t i = 0; i < kMaskChunk; ++i) text[i] = static_cast<unsigned char>(base + i);
    uint64_t range = RangeMask(text.data(), 0xA1, 0xDE);
    uint64_t equal = EqualMask(text.data(), kMaskChunk, '\r');
    uint64_t partial = EqualMask(text.data(), 20, '\r');
    for (size_t i = 0; i < kMaskChunk; ++i) {
      unsigned b = text[i];
      EXPECT_EQ((range >> i) & 1, b >= 0xA1 && b <= 0xDE ? 1u : 0u) << b;
      EXPECT_EQ((equal >> i) & 1, b == '\r' ? 1u : 0u) << b;
      EXPECT_EQ((partial >> i) & 1, b == '\r' && i < 20 ? 1u : 0u) << b;
    }
  }
}

TEST(ByteMasks, BelowMaskAndFlipRangeExceptTouchExactlyTheirBytes) {
  std::mt19937 rng(3);
  for (int round = 0; round < 500; ++round) {
    std::vector<unsigned char> text(kMaskChunk);
    for (auto& b : text) b = static_cast<unsigned char>(rng());
    uint64_t mask = (static_cast<uint64_t>(rng()) << 32) ^ rng();
    if (round % 4 == 0) mask &= 0xFFFF0000FFFFULL;
    std::vector<unsigned char> flipped = text;
    FlipRangeExcept(flipped.data(), 'A', 'z', mask, 0x20);
    unsigned char limit = static_cast<unsigned char>(1 + rng() % 255);
    uint64_t below = BelowMask(text.data(), kMaskChunk, limit);
    for (size_t i = 0; i < kMaskChunk; ++i) {
      bool on = (mask >> i) & 1;
      bool flip = !on && text[i] >= 'A' && text[i] <= 'z';
      ASSERT_EQ(flipped[i], flip ? text[i] ^ 0x20 : text[i]) << i;
      ASSERT_EQ((below >> i) & 1, text[i] < limit ? 1u : 0u) << i;
    }
  }
}

TEST(ByteMasks, SameIgnoringCaseFoldsTheSmallLettersOnly) {
  auto upper = [](int c) { return c >= 'a' && c <= 'z' ? c - 0x20 : c; };
  // Every pair of byte values, where 16 bytes are compared at a time and in
  // the byte-wise rest; the other bytes differ in case only.
  for (size_t at : {size_t{5}, size_t{16}}) {
    for (int x = 0; x < 256; ++x) {
      for (int y = 0; y < 256; ++y) {
        std::string a(17, 'k'), b(17, 'K');
        a[at] = static_cast<char>(x);
        b[at] = static_cast<char>(y);
        ASSERT_EQ(SameIgnoringCase(a.data(), b.data(), a.size()), upper(x) == upper(y)) << x << y;
      }
    }
  }
}

}  // namespace
}  // namespace zolt

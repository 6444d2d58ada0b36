#include "filters/control_codes.h"
#include "filters/letter_case.h"

#include <gtest/gtest.h>

#include "filter_harness.h"
#include "filter_references.h"

namespace zolt {
namespace {

using testing::CheckAgainstReference;
using namespace testing;
using testing::RunJob;

std::string Lower(const std::string& in) {
  return RunJob([](StreamPair* p) { return ChangeCase(p, true); }, in).out;
}
std::string Upper(const std::string& in) {
  return RunJob([](StreamPair* p) { return ChangeCase(p, false); }, in).out;
}
std::string DeleteControl(const std::string& in) {
  return RunJob(DeleteControlCodes, in).out;
}

TEST(ChangeCase, ChangesOnlySingleByteLetters) {
  EXPECT_EQ(Lower("ABC abc"), "abc abc");
  EXPECT_EQ(Upper("ABC abc @[`{"), "ABC ABC @[`{");
  // ア (83 41) must not become ヂ (83 61), nor ヂ become ア.
  EXPECT_EQ(Lower("\x83\x41"), "\x83\x41");
  EXPECT_EQ(Upper("\x83\x61"), "\x83\x61");
  // Full-width letters and half-width katakana are not letters.
  EXPECT_EQ(Lower("\x82\x60\x82\x81\xB1"), "\x82\x60\x82\x81\xB1");
  EXPECT_EQ(Upper("\x82\x60\x82\x81\xB1"), "\x82\x60\x82\x81\xB1");
  // A lead byte followed by LF takes the LF as its partner; the next
  // character after that is converted again.
  EXPECT_EQ(Lower("\x82\nA"), "\x82\na");
  // A trail byte is never taken for a lead byte: 0x8E 0x9A then A.
  EXPECT_EQ(Lower("\x8E\x9A\x41"), "\x8E\x9A\x61");
}

TEST(ChangeCase, KeepsALeadByteAtTheEndOfTheInput) {
  EXPECT_EQ(Lower("\x41\x82"), "\x61\x82");
  EXPECT_EQ(Upper("a\xE0"), "A\xE0");
}

TEST(ChangeCase, MatchesByteAtATimeReference) {
  CheckAgainstReference([](StreamPair* p) { return ChangeCase(p, true); },
                        [](const std::string& s) { return ReferenceCase(s, true); }, 41);
  CheckAgainstReference([](StreamPair* p) { return ChangeCase(p, false); },
                        [](const std::string& s) { return ReferenceCase(s, false); }, 42);
}

TEST(Deletecontrolchar, KeepsTabAndNewlinesOnly) {
  EXPECT_EQ(DeleteControl(std::string("A\x00\x09\x1A\x42\x0D\x0A", 7)), "A\tB\r\n");
  EXPECT_EQ(DeleteControl("\r\r\n"), "\r\n");
  EXPECT_EQ(DeleteControl("a\rb"), "ab");
  EXPECT_EQ(DeleteControl("\n"), "\n");
  EXPECT_EQ(DeleteControl("a\r"), "a");
  // A control code between CR and LF breaks the pair.
  EXPECT_EQ(DeleteControl(std::string("\r\x00\n", 3)), "\n");
  // 表 (95 5C) passes; 0x7F goes wherever it stands; 0x80-0xFF stay.
  EXPECT_EQ(DeleteControl("\x95\x5C\x7F\x80\xFF"), "\x95\x5C\x80\xFF");
}

// Text lines with CR LF ends and tabs, now and then a stray control code,
// lone CR or lone LF: most 64-byte chunks then need no change at all.
std::string MostlyCleanText(std::mt19937* rng, size_t max_length) {
  static const char* const kOdd[] = {"\r", "\n", "\x1A", "\x7F", "\r\r\n", "\x1B["};
  size_t length = (*rng)() % (max_length + 1);
  std::string text;
  while (text.size() < length) {
    text.append((*rng)() % 90, (*rng)() % 3 == 0 ? '\t' : 'a');
    text += (*rng)() % 30 == 0 ? kOdd[(*rng)() % 6] : "\r\n";
  }
  return text;
}

TEST(Deletecontrolchar, MatchesByteAtATimeReference) {
  CheckAgainstReference(DeleteControlCodes, ReferenceDeleteControl, 43);
  CheckAgainstReference(DeleteControlCodes, ReferenceDeleteControl, 44, MostlyCleanText);
}

}  // namespace
}  // namespace zolt

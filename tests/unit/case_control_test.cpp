#include "filters/case_control.h"

#include <gtest/gtest.h>

#include "filter_harness.h"
#include "front/parse_switch.h"

namespace zolt {
namespace {

using testing::CheckAgainstReference;
using testing::RunJob;

bool IsLead(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// One byte at a time: a lead byte and the byte after it pass as they are
// (a lead byte at the very end too); other letters change case.
std::string ReferenceCase(const std::string& in, bool lower) {
  std::string out;
  int pending = -1;
  for (char c : in) {
    unsigned char b = static_cast<unsigned char>(c);
    if (pending >= 0) {
      out += static_cast<char>(pending);
      out += c;
      pending = -1;
    } else if (IsLead(b)) {
      pending = b;
    } else if (lower && b >= 'A' && b <= 'Z') {
      out += static_cast<char>(b + 0x20);
    } else if (!lower && b >= 'a' && b <= 'z') {
      out += static_cast<char>(b - 0x20);
    } else {
      out += c;
    }
  }
  if (pending >= 0) out += static_cast<char>(pending);
  return out;
}

// One byte at a time, with the previous byte p: LF writes CR LF after a CR,
// else LF; CR and other control codes except TAB write nothing.
std::string ReferenceDeleteControl(const std::string& in) {
  std::string out;
  int p = -1;
  for (char c : in) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b == '\n') {
      if (p == '\r') out += '\r';
      out += '\n';
    } else if (b == '\t' || (b >= 0x20 && b != 0x7F)) {
      out += c;
    }
    p = b;
  }
  return out;
}

std::string Lower(const std::string& in) {
  return RunJob([](StreamPair* p) { return ChangeCase(p, kJobLower); }, in).out;
}
std::string Upper(const std::string& in) {
  return RunJob([](StreamPair* p) { return ChangeCase(p, kJobUpper); }, in).out;
}
std::string DeleteControl(const std::string& in) {
  return RunJob(Deletecontrolchar, in).out;
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
  CheckAgainstReference([](StreamPair* p) { return ChangeCase(p, kJobLower); },
                        [](const std::string& s) { return ReferenceCase(s, true); }, 41);
  CheckAgainstReference([](StreamPair* p) { return ChangeCase(p, kJobUpper); },
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

TEST(Deletecontrolchar, MatchesByteAtATimeReference) {
  CheckAgainstReference(Deletecontrolchar, ReferenceDeleteControl, 43);
}

}  // namespace
}  // namespace zolt

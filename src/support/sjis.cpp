#include "support/sjis.h"

#include "support/ascii.h"

namespace zolt {

namespace {

// The class of byte `b` after a byte of class `previous`.
SjisByte NextByteClass(SjisByte previous, unsigned char b) {
  if (previous == SjisByte::kLead) return IsSjisTrail(b) ? SjisByte::kTrail : SjisByte::kSingle;
  return IsSjisLead(b) ? SjisByte::kLead : SjisByte::kSingle;
}

}  // namespace

SjisByte SjisByteClass(const char* text, int index) {
  if (index < 0) return SjisByte::kOutside;
  SjisByte previous = SjisByte::kSingle;
  for (int i = 0;; ++i) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (b == 0) return SjisByte::kOutside;
    SjisByte cls = NextByteClass(previous, b);
    if (i == index) return cls;
    previous = cls;
  }
}

// One forward pass classifies every byte, so both searches are linear.
namespace {
template <typename Visit>
void ForEachSingleByte(const char* text, Visit visit) {
  SjisByte previous = SjisByte::kSingle;
  for (const char* p = text; *p; ++p) {
    SjisByte cls = NextByteClass(previous, static_cast<unsigned char>(*p));
    if (cls == SjisByte::kSingle && !visit(p)) return;
    previous = cls;
  }
}
}  // namespace

const char* SjisFindFirst(const char* text, char ch) {
  const char* found = nullptr;
  ForEachSingleByte(text, [&](const char* p) {
    if (*p != ch) return true;
    found = p;
    return false;
  });
  return found;
}

const char* SjisFindLast(const char* text, char ch) {
  const char* found = nullptr;
  ForEachSingleByte(text, [&](const char* p) {
    if (*p == ch) found = p;
    return true;
  });
  return found;
}

bool SameFileName(const char* a, const char* b) {
  // Equal bytes so far put both names at the same place in a character.
  for (bool trail = false;; ++a, ++b) {
    unsigned char x = static_cast<unsigned char>(*a);
    unsigned char y = static_cast<unsigned char>(*b);
    if (!trail) {
      x = AsciiUpper(x);
      y = AsciiUpper(y);
    }
    if (x != y) return false;
    if (x == 0) return true;
    trail = !trail && IsSjisLead(x);
  }
}

bool EndsWithLeadByte(const char* text, size_t size) {
  // A byte outside the lead ranges ends a character, so the lead-range bytes
  // after it pair up as lead and trail: an odd run ends on a lead byte.
  size_t run = 0;
  while (run < size && IsSjisLead(static_cast<unsigned char>(text[size - 1 - run]))) ++run;
  return run % 2 == 1;
}

}  // namespace zolt

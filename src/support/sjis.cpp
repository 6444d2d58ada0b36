#include "support/sjis.h"

namespace zolt {

int SjisByteClass(const char* text, int index) {
  if (index < 0) return -1;
  int previous = 0;
  for (int i = 0;; ++i) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (b == 0) return -1;
    int cls;
    if (previous == 1)
      cls = IsSjisTrail(b) ? 2 : 0;
    else
      cls = IsSjisLead(b) ? 1 : 0;
    if (i == index) return cls;
    previous = cls;
  }
}

// One forward pass classifies every byte, so both searches are linear.
namespace {
template <typename Visit>
void ForEachSingleByte(const char* text, Visit visit) {
  int previous = 0;
  for (const char* p = text; *p; ++p) {
    unsigned char b = static_cast<unsigned char>(*p);
    int cls = previous == 1 ? (IsSjisTrail(b) ? 2 : 0) : (IsSjisLead(b) ? 1 : 0);
    if (cls == 0 && !visit(p)) return;
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

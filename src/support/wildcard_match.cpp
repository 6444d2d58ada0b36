#include "support/wildcard_match.h"

#include <cstring>

#include "support/sjis.h"

namespace zolt {

namespace {

// Length in bytes of the character starting at `p` (1 or 2; 0 at the end).
int CharLength(const char* p) {
  unsigned char b = static_cast<unsigned char>(p[0]);
  if (b == 0) return 0;
  if (IsSjisLead(b) && p[1] != '\0' && IsSjisTrail(static_cast<unsigned char>(p[1]))) return 2;
  return 1;
}

// True when the characters at `p` and `n`, each `length` bytes, are equal.
bool SameChar(const char* p, int p_length, const char* n, int n_length) {
  return p_length == n_length && std::memcmp(p, n, static_cast<size_t>(p_length)) == 0;
}

}  // namespace

bool WildcardMatch(const char* pattern, const char* name) {
  if (name[0] == '.' && pattern[0] != '.') return false;
  const char* p = pattern;
  const char* n = name;
  // Where to resume after the last '*': the pattern after it, and the name
  // position it has absorbed up to.
  const char* star_p = nullptr;
  const char* star_n = nullptr;
  for (;;) {
    int n_length = CharLength(n);
    int p_length = CharLength(p);
    if (p_length == 1 && *p == '*') {
      star_p = ++p;
      star_n = n;
      continue;
    }
    if (n_length == 0) {
      if (p_length == 0) return true;
    } else if (p_length == 1 && *p == '?') {
      p += 1;
      n += n_length;
      continue;
    } else if (p_length != 0 && SameChar(p, p_length, n, n_length)) {
      p += p_length;
      n += n_length;
      continue;
    }
    // Mismatch: let the last '*' absorb one more character, if there is one.
    if (!star_p || *star_n == '\0') return false;
    star_n += CharLength(star_n);
    p = star_p;
    n = star_n;
  }
}

bool HasWildcard(const char* text) {
  return std::strpbrk(text, "*?") != nullptr;
}

}  // namespace zolt

// Matching a file name against a pattern with the wildcards * and ?.
#pragma once

namespace zolt {

// True when the NUL-terminated `name` matches `pattern`. Both are read as
// Shift-JIS: a double-byte character is one character, so `?` matches a
// whole kanji and a literal never matches from the second byte of one.
// `*` matches any run of characters, `?` exactly one; every other character
// (the backslash included) matches only itself, letter case significant.
// A name that starts with '.' matches only a pattern that starts with '.'.
bool WildcardMatch(const char* pattern, const char* name);

// True when `text` holds a wildcard character (* or ?).
bool HasWildcard(const char* text);

}  // namespace zolt

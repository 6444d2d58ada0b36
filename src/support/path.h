// Paths: the separator of this system and the last component of a path,
// read as Shift-JIS (a separator is never the second byte of a character).
#pragma once

namespace zolt {

// The path separator of this system: '\\' on Win32, '/' elsewhere. On
// Win32 '/' separates directories too.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Where the last component of `path` starts: after its last separator that
// is a single-byte character, else (Win32) after a leading drive "X:", else
// at `path` itself. An empty last component means that `path` names a
// directory to which a name is joined as it stands ("OUT/", and on Win32
// "OUT\\" or a bare "X:", that drive's current directory).
const char* PathLeaf(const char* path);

}  // namespace zolt

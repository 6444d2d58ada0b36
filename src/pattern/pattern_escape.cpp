#include "pattern/pattern_escape.h"

#include "support/ascii.h"

namespace zolt {

namespace {

// Value of one hexadecimal digit; any other character counts as 0.
unsigned HexValue(CharRead ch) {
  if (ch.kind != CharKind::kSingle) return 0;
  unsigned char c = AsciiUpper(static_cast<unsigned char>(ch.code));
  if (IsDigit(static_cast<char>(c))) return c - unsigned{'0'};
  if (c >= 'A' && c <= 'F') return c - unsigned{'A'} + 10;
  return 0;
}

// Reads `digits` hexadecimal digits into *value; false at the pattern's end.
bool ReadHex(std::string_view* rest, int digits, CharCode* value) {
  unsigned v = 0;
  for (int i = 0; i < digits; ++i) {
    CharRead ch = NextChar(rest);
    if (ch.kind == CharKind::kEnd || ch.kind == CharKind::kLoneLead) return false;
    v = v * 16 + HexValue(ch);
  }
  *value = static_cast<CharCode>(v);
  return true;
}

}  // namespace

bool ReadEscape(std::string_view* rest, CharCode* code) {
  CharRead ch = NextChar(rest);
  if (ch.kind == CharKind::kEnd) return false;
  if (ch.kind != CharKind::kSingle) {
    *code = ch.code;
    return true;
  }
  CharCode c = ch.code;
  if (c == 'j') return ReadHex(rest, 4, code);
  if (c == 'J') {
    CharCode pair;
    if (!ReadHex(rest, 4, &pair)) return false;
    *code = SjisToJis(static_cast<unsigned char>(pair >> 8), static_cast<unsigned char>(pair));
    return true;
  }
  // A single byte's code fits a byte; the letter is read in either case.
  c = AsciiUpper(static_cast<unsigned char>(c));
  switch (c) {
    case 'X':
      return ReadHex(rest, 2, code);
    case 'T':
      *code = 0x09;
      return true;
    case 'N':
      *code = 0x0A;
      return true;
    case 'R':
      *code = 0x0D;
      return true;
    default:
      *code = c;
      return true;
  }
}

}  // namespace zolt

#include "pattern/char_reader.h"

#include "support/sjis.h"

namespace zolt {

CharCode SjisToJis(unsigned char lead, unsigned char second) {
  uint8_t a = static_cast<uint8_t>(second - 0x1F);
  if (a < 0x80) a = static_cast<uint8_t>(a < 0x61 ? a - 0x21 : a - 0x22);
  uint16_t high = static_cast<uint8_t>(lead * 2);
  uint16_t word = static_cast<uint16_t>((high << 8) + a + 0x1FA1);
  return static_cast<CharCode>(word & 0x7F7F);
}

CharRead NextChar(const char** pos) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(*pos);
  if (p[0] == 0) return {0, CharKind::kEnd};
  if (!IsSjisLead(p[0])) {
    ++*pos;
    return {p[0], CharKind::kSingle};
  }
  if (p[1] == 0) {
    ++*pos;
    return {static_cast<CharCode>(p[0] << 8), CharKind::kLoneLead};
  }
  *pos += 2;
  return {SjisToJis(p[0], p[1]), CharKind::kDouble};
}

void ToCodeString(const char* line, std::vector<uint32_t>* codes) {
  codes->clear();
  for (;;) {
    CharRead ch = NextChar(&line);
    if (ch.kind == CharKind::kEnd || ch.kind == CharKind::kLoneLead) break;
    codes->push_back(ch.code);
  }
  codes->push_back(kEndOfText);
}

const char* SkipChars(const char* text, size_t chars) {
  for (; chars > 0; --chars) NextChar(&text);
  return text;
}

}  // namespace zolt

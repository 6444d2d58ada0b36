#include "pattern/char_reader.h"

#include <cstring>

#include "support/sjis.h"

namespace zolt {

CharCode SjisToJis(unsigned char lead, unsigned char second) {
  uint8_t a = static_cast<uint8_t>(second - 0x1F);
  if (a < 0x80) a = static_cast<uint8_t>(a < 0x61 ? a - 0x21 : a - 0x22);
  uint16_t high = static_cast<uint8_t>(lead * 2);
  uint16_t word = static_cast<uint16_t>((high << 8) + a + 0x1FA1);
  return static_cast<CharCode>(word & 0x7F7F);
}

CharRead NextChar(std::string_view* rest) {
  auto byte = [rest](size_t at) {
    return static_cast<unsigned char>(at < rest->size() ? (*rest)[at] : 0);
  };
  unsigned char first = byte(0);
  if (first == 0) return {0, CharKind::kEnd};
  if (!IsSjisLead(first)) {
    rest->remove_prefix(1);
    return {first, CharKind::kSingle};
  }
  unsigned char second = byte(1);
  rest->remove_prefix(second == 0 ? 1 : 2);
  if (second == 0) return {static_cast<CharCode>(first << 8), CharKind::kLoneLead};
  return {SjisToJis(first, second), CharKind::kDouble};
}

void ToCodeString(std::string_view text, ScratchVector<uint32_t>* codes) {
  // The same reading as NextChar, in one loop over the bytes: every line of
  // a pattern split passes through here.
  size_t length = text.size();
  if (const void* nul = std::memchr(text.data(), '\0', length))
    length = static_cast<size_t>(static_cast<const char*>(nul) - text.data());
  codes->resize(length + 1);
  uint32_t* out = codes->data();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* end = p + length;
  while (p < end) {
    unsigned char b = *p;
    if (!IsSjisLead(b)) {
      *out++ = b;
      ++p;
    } else if (p + 1 == end) {
      break;  // a lone lead byte before the terminator is dropped
    } else {
      *out++ = SjisToJis(b, p[1]);
      p += 2;
    }
  }
  *out++ = kEndOfText;
  codes->resize(static_cast<size_t>(out - codes->data()));
}

}  // namespace zolt

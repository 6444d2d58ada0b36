// Fuzz target for the UTF-8 conversions. The first byte picks how the input
// is cut into reads and whether the narrow vector steps are forced; the rest
// is code page 932 text. -Eu+ always writes well-formed UTF-8; -Es+ after it
// gives each unit back as it gives that unit alone, with the other vector
// steps (so any input made of preferred codes comes back unchanged); and
// -Eu+ after that gives the same UTF-8 again, U+FFFD aside.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "support/sjis.h"
#include "unit/filter_references.h"

namespace {

// Whether s is UTF-8 without overlong forms, surrogates or values above U+10FFFF.
bool WellFormed(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    auto b = static_cast<unsigned char>(s[i]);
    size_t n = b < 0x80 ? 0 : b < 0xC2 ? 9 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : b < 0xF5 ? 3 : 9;
    if (n > 3 || i + n >= s.size()) return false;
    char32_t cp = b & (0x7Fu >> n);
    for (size_t k = 1; k <= n; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return false;
      cp = cp << 6 | (s[i + k] & 0x3F);
    }
    if (cp < (n == 2   ? 0x800u
              : n == 3 ? 0x10000u
                       : 0) ||
        (cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF)
      return false;
    i += n + 1;
  }
  return true;
}

// The output of `sw` on `in`, required to succeed.
std::string Run(const char* sw, const std::string& in, const std::vector<size_t>& reads,
                bool narrow) {
  zolt::testing::FilterRun run = zolt::testing::RunFilterJob(
      sw, in, reads, SIZE_MAX, narrow ? zolt::VectorWidth::k16 : zolt::VectorWidth::k64);
  Require(run.result == zolt::JobResult::kDone && run.closed, "the replacing conversion succeeds");
  return run.out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::vector<size_t> reads;
  if (data[0] % 4 != 0) reads = {1u + data[0] % 5, 1u + data[0] / 64};
  bool narrow = (data[0] & 0x20) != 0;
  std::string in(reinterpret_cast<const char*>(data + 1), size - 1), apart, whole_back;
  // The same units, an LF after each (an LF is a unit of its own both ways).
  for (size_t i = 0; i < in.size(); ++i) {
    apart += in[i];
    auto b = static_cast<unsigned char>(in[i]);
    if (zolt::IsSjisLead(b) && i + 1 < in.size() &&
        zolt::IsSjisTrail(static_cast<unsigned char>(in[i + 1])))
      apart += in[++i];
    apart += '\n';
  }
  std::string utf8 = Run("-Eu+", in, reads, narrow);
  Require(WellFormed(utf8), "-Eu+ writes well-formed UTF-8");
  std::string back = Run("-Es+", utf8, reads, narrow);
  std::string back_apart = Run("-Es+", Run("-Eu+", apart, reads, narrow), {}, !narrow);
  std::erase(back_apart, '\n');
  std::string lf_free = back;
  std::erase(lf_free, '\n');
  Require(lf_free == back_apart, "each unit comes back as it does alone");
  std::string again = Run("-Eu+", back, reads, narrow);
  for (size_t at; (at = utf8.find("\xEF\xBF\xBD")) != std::string::npos;)
    utf8.replace(at, 3, "\xE3\x80\x93");
  Require(again == utf8, "-Eu+ after -Es+ gives the UTF-8 again");
  return 0;
}

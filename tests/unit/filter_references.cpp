#include "filter_references.h"

#include "filters/kana.h"

namespace zolt::testing {

namespace {

bool IsLead(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

void Put(std::string* out, unsigned code) {
  *out += static_cast<char>(code >> 8);
  *out += static_cast<char>(code & 0xFF);
}

char FoldLetter(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c;
}

}  // namespace

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

// One byte at a time, with nothing, a lead byte or a katakana pending; a
// lead byte still pending at the end is written.
std::string ReferenceKana(const std::string& in) {
  std::string out;
  int lead = -1;
  int kana = -1;
  for (char c : in) {
    unsigned char b = static_cast<unsigned char>(c);
    if (lead >= 0) {
      out += static_cast<char>(lead);
      out += c;
      lead = -1;
      continue;
    }
    if (kana >= 0) {
      unsigned full = KanaTable(static_cast<unsigned char>(kana));
      bool voiced = (kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE);
      bool semi = kana >= 0xCA && kana <= 0xCE;
      kana = -1;
      if (b == 0xDE) {
        if (voiced) {
          Put(&out, full + 1);
        } else {
          Put(&out, full);
          Put(&out, 0x814A);
        }
        continue;
      }
      if (b == 0xDF) {
        if (semi) {
          Put(&out, full + 2);
        } else {
          Put(&out, full);
          Put(&out, 0x814B);
        }
        continue;
      }
      Put(&out, full);
    }
    if (IsLead(b)) {
      lead = b;
    } else if (b >= 0xA1 && b <= 0xDE) {
      kana = b;
    } else {
      out += c;
    }
  }
  if (kana >= 0) Put(&out, KanaTable(static_cast<unsigned char>(kana)));
  if (lead >= 0) out += static_cast<char>(lead);
  return out;
}

std::string ReferenceCrconv(const std::string& in, int type) {
  const std::string nl = type == 1 ? "\r\n" : type == 2 ? "\n" : "\r";
  std::string out;
  bool after_cr = false;
  for (char b : in) {
    if (b == '\r') {
      out += nl;
      after_cr = true;
    } else if (b == '\n') {
      if (!after_cr) out += nl;
      after_cr = false;
    } else {
      out += b;
      after_cr = false;
    }
  }
  return out;
}

std::string ReferenceJoin(const std::string& in) {
  std::string out;
  char previous = 0;
  for (char b : in) {
    if (b == '\n' && previous != '\r') out += b;
    if (b != '\r' && b != '\n') out += b;
    previous = b;
  }
  return out;
}

// One byte at a time: a TAB moves to the next stop; the column returns to 0
// after every LF and after a CR that is not followed by LF.
std::string ReferenceTabs(const std::string& in, int n) {
  std::string out;
  long long column = 0;
  int previous = -1;
  for (char c : in) {
    if (previous == '\r' && c != '\n') column = 0;
    if (c == '\t') {
      long long k = n - column % n;
      out.append(static_cast<size_t>(k), ' ');
      column += k;
    } else {
      out += c;
      ++column;
    }
    if (c == '\n') column = 0;
    previous = static_cast<unsigned char>(c);
  }
  return out;
}

std::string ReferenceDeleteTabs(const std::string& in) {
  std::string out;
  for (char c : in)
    if (c != '\t') out += c;
  return out;
}

// Whole lines (through LF, or to the end), each written unless it equals the
// line before it.
std::string ReferenceUniq(const std::string& in, bool fold) {
  std::string out;
  std::string previous;
  size_t start = 0;
  while (start < in.size()) {
    size_t lf = in.find('\n', start);
    size_t end = lf == std::string::npos ? in.size() : lf + 1;
    std::string line = in.substr(start, end - start);
    std::string a = line;
    std::string b = previous;
    if (fold) {
      for (char& c : a) c = FoldLetter(c);
      for (char& c : b) c = FoldLetter(c);
    }
    if (a != b) out += line;
    previous = line;
    start = end;
  }
  return out;
}

}  // namespace zolt::testing

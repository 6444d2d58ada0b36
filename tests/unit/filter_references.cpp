#include "filter_references.h"

#include "filters/kana.h"
#include "front/command.h"
#include "front/zolt_main.h"
#include "io/stream_pair.h"
#include "unit/fake_platform.h"

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

// One byte at a time: a lead byte and the byte after it pass as they are
// (a lead byte at the very end too); other letters change case.
std::string Case(const std::string& in, bool lower) {
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
std::string DeleteControl(const std::string& in) {
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
std::string Kana(const std::string& in) {
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

// Every CR, LF and CR LF becomes `nl`.
std::string Newlines(const std::string& in, const std::string& nl) {
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

// Every CR deleted; an LF kept unless it directly follows a CR.
std::string Join(const std::string& in) {
  std::string out;
  char previous = 0;
  for (char b : in) {
    if (b == '\n' && previous != '\r') out += b;
    if (b != '\r' && b != '\n') out += b;
    previous = b;
  }
  return out;
}

// One byte at a time: a TAB moves to the next stop (width 0: it is
// deleted); the column returns to 0 after every LF and after a CR that is
// not followed by LF.
std::string Tabs(const std::string& in, int n) {
  std::string out;
  long long column = 0;
  int previous = -1;
  for (char c : in) {
    if (previous == '\r' && c != '\n') column = 0;
    if (c == '\t' && n == 0) continue;
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

// Whole lines (through LF, or to the end), each written unless it equals the
// line before it.
std::string Uniq(const std::string& in, bool fold) {
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

}  // namespace

const std::vector<std::string> kFilterSwitches = {"",    "-Cd", "-Cu", "-Cm", "-J",  "-L",  "-P",
                                                  "-D",  "-K",  "-T0", "-T1", "-T2", "-T3", "-T4",
                                                  "-T5", "-T6", "-T7", "-T8", "-U",  "-U+"};

std::string Reference(const std::string& sw, const std::string& in) {
  switch (sw.empty() ? 0 : sw[1]) {
    case 'C':
      return Newlines(in, sw[2] == 'd' ? "\r\n" : sw[2] == 'u' ? "\n" : "\r");
    case 'J':
      return Join(in);
    case 'L':
    case 'P':
      return Case(in, sw[1] == 'L');
    case 'D':
      return DeleteControl(in);
    case 'K':
      return Kana(in);
    case 'T':
      return Tabs(in, sw[2] - '0');
    case 'U':
      return Uniq(in, sw.size() > 2);
    default:
      return in;
  }
}

FilterRun RunFilterJob(const std::string& sw, const std::string& input,
                       const std::vector<size_t>& reads, size_t allocation_budget,
                       VectorWidth vectors) {
  FakePlatform fake;
  fake.read_sizes = reads;
  fake.allocation_budget = allocation_budget;
  fake.vectors = vectors;
  StreamPair pair;
  AttachInput(&pair.input, fake.AddInput(input), Ownership::kOwned);
  int out = fake.AddOutput();
  AttachOutput(&pair.output, out, Ownership::kOwned, "out");
  FilterRun run;
  run.result = RunFilter(ParseSwitch(sw.c_str()), &pair);
  run.closed = CloseOutput(&pair.output);
  CloseInput(&pair.input);
  run.out = fake.Contents(out);
  run.err = fake.err;
  run.blocks_left = fake.allocated_blocks;
  return run;
}

}  // namespace zolt::testing

// Fuzz target for split's cutters, run on in-memory files.
//
// Input: a mode byte (size, lines, pattern keeping or dropping the matching
// line), n1, a work-buffer size byte, the pattern's length, the pattern,
// then the data. Properties: the pieces joined give back the input (except
// when matching lines are dropped); in size mode no piece but the last ends
// on the lead byte of a double-byte character and each holds P or P - 1
// bytes; in line mode every piece but the last holds exactly n1 LFs and ends
// with one; in pattern mode every piece after the first starts with a
// matching chunk.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "io/work_buffer.h"
#include "pattern/pattern.h"
#include "split/split_lines.h"
#include "split/split_naming.h"
#include "split/split_size.h"
#include "support/sjis.h"
#include "unit/fake_platform.h"

namespace {

// For each byte of `data`: true when it is a lead byte that opens a
// double-byte character, reading from the start.
std::vector<bool> LeadBytes(const std::string& data) {
  std::vector<bool> lead(data.size(), false);
  for (size_t i = 0; i < data.size(); ++i) {
    if (zolt::IsSjisLead(static_cast<unsigned char>(data[i]))) {
      lead[i] = true;
      ++i;
    }
  }
  return lead;
}

// The first chunk of a piece as the line cutter reads it.
std::string FirstChunk(const std::string& piece, size_t limit) {
  size_t lf = piece.find('\n');
  size_t n = lf == std::string::npos ? piece.size() : lf + 1;
  return piece.substr(0, std::min(n, limit));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zolt;
  if (size < 4) return 0;
  int mode = data[0] % 4;
  int64_t n1 = 1 + data[1] % 64;
  // A piece of one byte cannot hold a double-byte character; real pieces
  // are 1000 bytes or more.
  uint64_t piece_size = static_cast<uint64_t>(n1) + 1;
  uint32_t buffer_size = 2 + data[2] * 4u;
  size_t pattern_length = std::min<size_t>(data[3], size - 4);
  std::string pattern_text(reinterpret_cast<const char*>(data + 4), pattern_length);
  pattern_text.resize(std::strlen(pattern_text.c_str()));
  std::string input(reinterpret_cast<const char*>(data + 4 + pattern_length),
                    size - 4 - pattern_length);

  FakePlatform fake;
  fake.memory_files = true;
  fake.read_sizes = {1 + data[1] % 7u, 4096, 3};
  fake.disk["in"] = input;
  SetPieceDigits(5);
  KeepMatchLine = mode != 3;
  PieceTimes = FileTimes{};
  WorkBuffer work;
  Require(work.Allocate(buffer_size), "work buffer allocated");

  InStream in;
  Require(OpenInput(&in, "in"), "input opened");
  PatternHandle pattern;
  bool ok;
  if (mode == 0) {
    uint64_t full = input.size() / piece_size;
    ok = SplitBySize(&in, "", "p", piece_size, full, input.size() % piece_size);
  } else {
    if (mode >= 2) pattern = CompileOnce(pattern_text.c_str());
    ok = SplitByLines(&in, work, "", "p", n1, pattern.get());
  }
  CloseInput(&in);
  Require(ok, "the cutter succeeds");
  Require(fake.OpenNamedFiles() == 0, "every piece is closed");

  std::vector<std::string> pieces;
  for (int number = 0;; ++number) {
    auto it = fake.disk.find(PieceName("", "p", number));
    if (it == fake.disk.end()) break;
    pieces.push_back(it->second);
  }
  Require(fake.disk.size() == pieces.size() + 1, "pieces are numbered without gaps");
  Require(!pieces.empty(), "there is a piece");
  std::string joined;
  for (const std::string& piece : pieces) joined += piece;
  if (mode == 3) {
    Require(joined.size() <= input.size(), "dropping lines never adds bytes");
    return 0;
  }
  Require(joined == input, "the pieces joined give back the input");

  std::vector<bool> lead = LeadBytes(input);
  size_t offset = 0;
  for (size_t i = 0; i + 1 < pieces.size(); ++i) {
    const std::string& piece = pieces[i];
    offset += piece.size();
    if (mode == 0) {
      Require(piece.size() == piece_size || piece.size() + 1 == piece_size,
              "a size piece holds P or P - 1 bytes");
      Require(piece.empty() || !lead[offset - 1], "a size piece does not end on a lead byte");
    } else if (mode == 1) {
      Require(static_cast<int64_t>(std::count(piece.begin(), piece.end(), '\n')) == n1,
              "a line piece holds n1 lines");
      Require(!piece.empty() && piece.back() == '\n', "a line piece ends with LF");
    } else {
      Require(!pieces[i + 1].empty(), "a pattern piece after the first is not empty");
      std::string chunk = FirstChunk(pieces[i + 1], buffer_size - 1);
      Require(SearchCompiled(*pattern, chunk.c_str()), "a pattern piece starts with a match");
    }
  }
  return 0;
}

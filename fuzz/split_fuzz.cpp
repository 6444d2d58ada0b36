// Fuzz target for split's cutters. Input: a mode byte (size, lines, pattern
// keeping or dropping the matching line; size with bit 2 set cuts a file on
// disk, which the system copies and reads ahead, else files live in memory
// and are read in odd sizes; bit 3 set: 16-byte vectors only), n1, a work-buffer size byte, the
// pattern's length, the pattern, the data. Properties: the pieces joined give back the input; a
// size piece but the last holds P bytes, or P - 1 before a lead byte; a line piece but the last
// ends with its n1-th LF; pattern pieces are those of a line-by-line model.
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "split/split_lines.h"
#include "split/split_size.h"
#include "support/sjis.h"
#include "unit/fake_platform.h"

namespace {

// Real files, as the system copies them; messages kept in memory.
struct DiskPlatform : zolt::FakePlatform {
  int64_t CopyFileData(int in, int out, size_t size) override {
    return zolt::NativePlatform().CopyFileData(in, out, size);
  }
  int64_t Peek(int fd, void* buffer, size_t size, uint64_t skip) override {
    return zolt::NativePlatform().Peek(fd, buffer, size, skip);
  }
};

// Takes the file `name` from memory or disk; false when there is none.
bool TakeFile(zolt::FakePlatform* fake, const std::string& name, std::string* data) {
  if (fake->memory_files) {
    auto it = fake->disk.find(name);
    return it != fake->disk.end() && (*data = it->second, true);
  }
  std::ifstream in(name, std::ios::binary);
  *data = std::string(std::istreambuf_iterator<char>(in), {});
  return in.is_open() && std::filesystem::remove(name);
}

// The pattern split, line by line: every line but the first is tested on
// its first chunk, and the n1-th match opens a piece (without that line when
// `drop`).
std::vector<std::string> PatternPieces(const std::string& input, size_t limit, int64_t n1,
                                       const zolt::CompiledPattern& pattern, bool drop) {
  std::vector<std::string> pieces(1);
  int64_t count = 1;
  for (size_t at = 0, end; at < input.size(); at = end) {
    end = std::min(input.find('\n', at), input.size() - 1) + 1;
    size_t chunk = std::min(end - at, limit);
    size_t i = at;  // walks the characters of the line up to the chunk's last byte
    while (i + 1 < at + chunk) i += zolt::IsSjisLead(static_cast<unsigned char>(input[i])) ? 2 : 1;
    if (chunk < end - at && chunk > 1 && i + 1 == at + chunk &&
        zolt::IsSjisLead(static_cast<unsigned char>(input[i])))
      --chunk;
    auto what = chunk < end - at ? zolt::TextIs::kFirstChunk : zolt::TextIs::kWholeLine;
    if (at > 0 && SearchCompiled(pattern, std::string_view(input).substr(at, chunk), what) &&
        count++ == n1) {
      pieces.emplace_back();
      count = 1;
      if (drop) continue;
    }
    pieces.back() += input.substr(at, end - at);
  }
  return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zolt;
  if (size < 4) return 0;
  int mode = data[0] % 4;
  int64_t n1 = 1 + data[1] % 64;
  uint64_t piece_size = static_cast<uint64_t>(n1) + 1;  // room for a double-byte character
  uint32_t buffer_size = 2 + data[2] * 4u;
  const uint8_t* at = data + 4;
  std::string pattern_text = Take(&at, data + size, data[3]);
  std::string input = Take(&at, data + size, size);

  DiskPlatform fake;
  fake.memory_files = mode != 0 || (data[0] & 4) == 0;
  fake.vectors = (data[0] & 8) != 0 ? VectorWidth::k16 : VectorWidth::k64;
  fake.read_sizes = {1 + data[1] % 7u, 4096, 3};
  static char scratch[] = "/tmp/split_fuzz_XXXXXX";
  static const std::string dir = std::string(mkdtemp(scratch)) + "/";
  SplitRun run{fake.memory_files ? "" : dir, "p", 5, mode != 3, {}};
  if (fake.memory_files) fake.disk["in"] = input;
  if (!fake.memory_files) std::ofstream(dir + "in", std::ios::binary) << input;
  WorkBuffer work;
  Require(work.Allocate(buffer_size), "work buffer allocated");
  PatternHandle pattern = mode >= 2 ? CompilePattern(pattern_text) : nullptr;
  InStream in;
  Require(OpenInput(&in, run.prefix + "in"), "input opened");
  bool ok = mode == 0 ? SplitBySize(&in, run, piece_size, input.size() / piece_size,
                                    input.size() % piece_size) == SizeSplit::kDone
                      : SplitByLines(&in, run, work, n1, pattern.get());
  CloseInput(&in);
  Require(ok, "the cutter succeeds");
  Require(fake.OpenNamedFiles() == 0, "every piece is closed");

  std::vector<std::string> pieces;
  std::string joined;
  for (std::string piece; TakeFile(&fake, PieceName(run, static_cast<int>(pieces.size())), &piece);
       joined += piece)
    pieces.push_back(piece);
  Require(mode >= 2 || joined == input, "the pieces give the input");
  Require(mode < 2 || pieces == PatternPieces(input, buffer_size - 1, n1, *pattern, mode == 3),
          "the pieces of the line-by-line model");
  // lead[i]: byte i opens a double-byte character, reading from the start.
  std::vector<bool> lead(input.size() + 1, false);
  for (size_t i = 0; i < input.size(); ++i)
    if (IsSjisLead(static_cast<unsigned char>(input[i]))) lead[i++] = true;
  size_t end = 0;
  for (size_t i = 0; mode < 2 && i + 1 < pieces.size(); ++i) {
    const std::string& piece = pieces[i];
    end += piece.size();
    if (mode == 0) {
      Require(piece.size() == piece_size || (piece.size() + 1 == piece_size && lead[end]),
              "a size piece holds P bytes, or P - 1 before a lead byte");
      Require(!lead[end - 1], "a size piece does not end on a lead byte");
    } else {
      Require(std::count(piece.begin(), piece.end(), '\n') == n1 && piece.back() == '\n',
              "a line piece holds n1 whole lines");
    }
  }
  return 0;
}

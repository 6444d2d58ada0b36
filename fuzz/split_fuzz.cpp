// Fuzz target for split's cutters. Input: a mode byte (size, lines, pattern
// keeping or dropping the matching line; size with bit 2 set cuts a file on
// disk, which the system copies and reads ahead, else files live in memory
// and are read in odd sizes), n1, a work-buffer size byte, the pattern's
// length, the pattern, the data. Properties: the pieces joined give back the
// input (dropping lines only removes bytes); a size piece but the last holds
// P bytes, or P - 1 before a lead byte; a line piece but the last ends with
// its n1-th LF; a pattern piece after the first starts with a match.
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
  fake.read_sizes = {1 + data[1] % 7u, 4096, 3};
  static char scratch[] = "/tmp/split_fuzz_XXXXXX";
  static const std::string dir = std::string(mkdtemp(scratch)) + "/";
  SplitRun run{fake.memory_files ? "" : dir, "p", 5, mode != 3, {}};
  if (fake.memory_files) fake.disk["in"] = input;
  if (!fake.memory_files) std::ofstream(dir + "in", std::ios::binary) << input;
  WorkBuffer work;
  Require(work.Allocate(buffer_size), "work buffer allocated");
  PatternHandle pattern = mode >= 2 ? CompileOnce(pattern_text.c_str()) : nullptr;
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
  for (std::string piece; TakeFile(&fake, PieceName(run, pieces.size()), &piece); joined += piece)
    pieces.push_back(piece);
  Require(mode == 3 ? joined.size() <= input.size() : joined == input, "the pieces give the input");
  // lead[i]: byte i opens a double-byte character, reading from the start.
  std::vector<bool> lead(input.size() + 1, false);
  for (size_t i = 0; i < input.size(); ++i)
    if (IsSjisLead(static_cast<unsigned char>(input[i]))) lead[i++] = true;
  size_t end = 0;
  for (size_t i = 0; mode != 3 && i + 1 < pieces.size(); ++i) {
    const std::string& piece = pieces[i];
    end += piece.size();
    if (mode == 0) {
      Require(piece.size() == piece_size || (piece.size() + 1 == piece_size && lead[end]),
              "a size piece holds P bytes, or P - 1 before a lead byte");
      Require(!lead[end - 1], "a size piece does not end on a lead byte");
    } else if (mode == 1) {
      Require(std::count(piece.begin(), piece.end(), '\n') == n1 && piece.back() == '\n',
              "a line piece holds n1 whole lines");
    } else {
      std::string next = pieces[i + 1].substr(0, buffer_size - 1);
      if (next.find('\n') != std::string::npos) next.resize(next.find('\n') + 1);
      Require(!next.empty() && SearchCompiled(*pattern, next.c_str()),
              "a pattern piece starts with a match");
    }
  }
  return 0;
}

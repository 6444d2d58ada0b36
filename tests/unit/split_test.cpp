#include <gtest/gtest.h>
#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "io/stream.h"
#include "io/work_buffer.h"
#include "split/split_lines.h"
#include "split/split_naming.h"
#include "split/split_size.h"
#include "support/sjis.h"
#include "unit/fake_platform.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;

TEST(ParseSplitSwitch, ReadsCountDigitsAndMode) {
  struct Case {
    const char* text;
    int64_t n1;
    int digits;
    bool line_mode;
  };
  const Case cases[] = {
      {"-S5", 5, 2, false},    {"-S1.3", 1, 3, false},  {"-S1.1", 1, 2, false},
      {"-S1.9", 1, 5, false},  {"-S1.x", 1, 2, false},  {"-S10L.3", 10, 3, false},
      {"-S10l", 10, 2, true},  {"-S10L", 10, 2, true},  {"/s7.4L", 7, 4, true},
      {"-S10K", 10, 2, false}, {"-S0", 0, 2, false},    {"-S12x.2", 12, 2, false},
      {"-S3..4", 3, 2, false}, {"-S4.05L", 4, 5, true}, {"-S99.99999999999999999999", 99, 5, false},
      {"-S007", 7, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SplitSwitch s = ParseSplitSwitch(c.text);
    EXPECT_EQ(s.n1, c.n1);
    EXPECT_EQ(s.digits, c.digits);
    EXPECT_EQ(s.line_mode, c.line_mode);
  }
}

TEST(ParseSplitSwitch, HugeCountsSaturateSoTheByteSizeFits) {
  SplitSwitch s = ParseSplitSwitch("-S99999999999999999999999999");
  EXPECT_EQ(s.n1, kMaxSplitCount);
  EXPECT_GT(s.n1 * 1000, 0);
  // 2^31 / 1000 + 1 thousands no longer fits 32 bits but must still work.
  EXPECT_EQ(ParseSplitSwitch("-S2147484").n1 * 1000, int64_t{2147484000});
}

std::string Path(std::initializer_list<std::string> parts) {
  std::string path;
  for (const std::string& part : parts) {
    if (!path.empty()) path += kPathSeparator;
    path += part;
  }
  return path;
}

TEST(SplitBaseName, TakesTheNameAfterTheLastSeparatorWithoutItsExtension) {
  EXPECT_EQ(SplitBaseName(Path({"", "data", "REPORT.TXT"}).c_str()), "REPORT");
  EXPECT_EQ(SplitBaseName("ARCHIVE.TAR.GZ"), "ARCHIVE.TAR");
  EXPECT_EQ(SplitBaseName("README"), "README");
  EXPECT_EQ(SplitBaseName(".PROFILE"), "");
  EXPECT_EQ(SplitBaseName(Path({"a.dir", "NOEXT"}).c_str()), "NOEXT");
  EXPECT_EQ(SplitBaseName(Path({"dir", ""}).c_str()), "");
  // A directory whose name ends in a kanji with second byte 0x5C.
  EXPECT_EQ(SplitBaseName(Path({"\x95\x5C", "FILE.TXT"}).c_str()), "FILE");
  // 0x5C as the second byte of a kanji never separates, on any system.
  EXPECT_EQ(SplitBaseName("\x95\x5CNAME.TXT"), "\x95\x5CNAME");
  // A kanji whose second byte is 0x2E is not a dot.
  EXPECT_EQ(SplitBaseName("\x81\x2E"), "\x81");
}

// A fresh directory for one test, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    static int serial = 0;
    path_ = fs::path(::testing::TempDir()) /
            ("zolt_split_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + std::to_string(serial++));
    std::error_code ignored;
    fs::remove_all(path_, ignored);
    fs::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string str() const { return path_.string(); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

std::vector<std::string> Pieces(const ScratchDir& dir);

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CheckOutputDir, AppendsOneSeparatorAndLeavesAnExistingProbe) {
  ScratchDir dir;
  std::string prefix;
  ASSERT_EQ(CheckOutputDir(&prefix, dir.str().c_str()), 0);
  EXPECT_EQ(prefix, dir.str() + kPathSeparator);
  EXPECT_FALSE(fs::exists(dir / "_ZO_$$$$.TMP"));

  ASSERT_EQ(CheckOutputDir(&prefix, (dir.str() + kPathSeparator).c_str()), 0);
  EXPECT_EQ(prefix, dir.str() + kPathSeparator);

  Write(dir / "_ZO_$$$$.TMP", "keep me");
  ASSERT_EQ(CheckOutputDir(&prefix, dir.str().c_str()), 0);
  EXPECT_EQ(Read(dir / "_ZO_$$$$.TMP"), "keep me");

  EXPECT_EQ(CheckOutputDir(&prefix, (dir / "missing").c_str()), -1);
  Write(dir / "plain", "x");
  EXPECT_EQ(CheckOutputDir(&prefix, (dir / "plain").c_str()), -1);

  // The empty name is the current directory: no separator is added.
  fs::path here = fs::current_path();
  fs::current_path(dir.str());
  EXPECT_EQ(CheckOutputDir(&prefix, ""), 0);
  fs::current_path(here);
  EXPECT_EQ(prefix, "");
}

// The pieces p._000, p._001, ... found in `dir`.
std::vector<std::string> Pieces(const ScratchDir& dir) {
  std::vector<std::string> pieces;
  for (int n = 0;; ++n) {
    std::string digits = std::to_string(n);
    std::string name = dir / ("p._" + std::string(3 - digits.size(), '0') + digits);
    if (!fs::exists(name)) return pieces;
    pieces.push_back(Read(name));
  }
}

// Creates and removes a directory named by the bytes of `name` as the
// system takes them (std::filesystem on Windows reads a narrow name in
// another encoding than the ANSI code page the program uses).
bool MakeDirectory(const std::string& name) {
#ifdef _WIN32
  return _mkdir(name.c_str()) == 0;
#else
  return mkdir(name.c_str(), 0777) == 0;
#endif
}
void RemoveDirectory(const std::string& name) {
#ifdef _WIN32
  _rmdir(name.c_str());
#else
  rmdir(name.c_str());
#endif
}

TEST(CheckOutputDir, AppendsTheSeparatorAfterAKanjiEndingIn5C) {
  ScratchDir dir;
  std::string name = dir / "\x95\x5C";
  ASSERT_TRUE(MakeDirectory(name));
  std::string prefix;
  EXPECT_EQ(CheckOutputDir(&prefix, name.c_str()), 0);
  EXPECT_EQ(prefix, name + kPathSeparator);
  RemoveDirectory(name);
}

// Classes of every byte of `data`, scanning from its start.
std::vector<int> Classes(const std::string& data) {
  std::vector<int> classes(data.size());
  int previous = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(data[i]);
    int c = previous == 1 ? (IsSjisTrail(b) ? 2 : 0) : (IsSjisLead(b) ? 1 : 0);
    classes[i] = c;
    previous = c;
  }
  return classes;
}

// Random bytes rich in lead-range values, so that long runs occur.
std::string RandomSjisish(std::mt19937& rng, size_t size) {
  const unsigned char palette[] = {'a', '\n', 0x81, 0x82, 0x8E, 0x9A, 0x9F, 0xE0, 0xFC, 0x40, 0x5C};
  std::string data(size, '\0');
  for (char& c : data) c = static_cast<char>(palette[rng() % sizeof palette]);
  return data;
}

TEST(EndsOnLeadByte, AgreesWithAScanFromTheStart) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::string data = RandomSjisish(rng, 1 + rng() % 40);
    if (round % 3 == 0) data.assign(1 + rng() % 9, '\x82');  // one long run
    std::vector<int> classes = Classes(data);
    // Split at every position: the tail must be classified from the head's state.
    for (size_t cut = 0; cut < data.size(); ++cut) {
      bool after_lead = cut > 0 && classes[cut - 1] == 1;
      auto* tail = reinterpret_cast<const unsigned char*>(data.data()) + cut;
      ASSERT_EQ(EndsOnLeadByte(after_lead, tail, data.size() - cut), classes.back() == 1)
          << "round " << round << " cut " << cut;
    }
  }
}

// Where each size piece of `data` should end: after `piece` bytes, one
// earlier when that byte is a lead byte, the last piece taking the rest.
std::vector<std::string> ExpectedSizePieces(const std::string& data, size_t piece) {
  std::vector<int> classes = Classes(data);
  size_t full = data.size() / piece;
  std::vector<std::string> pieces;
  size_t start = 0;
  for (size_t i = 0; i < full; ++i) {
    size_t end = std::min(start + piece, data.size());
    if (end > start && end < data.size() && classes[end - 1] == 1) --end;
    pieces.push_back(data.substr(start, end - start));
    start = end;
  }
  pieces.push_back(data.substr(start));
  return pieces;
}

// Runs SplitBySize on `data` read at most `chunk` bytes at a time and
// returns the pieces written.
std::vector<std::string> Cut(const std::string& data, uint64_t piece, size_t chunk) {
  ScratchDir dir;
  {
    FakePlatform fake;
    fake.read_chunk = chunk;
    InStream in;
    AttachInput(&in, fake.AddInput(data), true);
    SetPieceDigits(3);
    std::string prefix = dir.str() + kPathSeparator;
    EXPECT_TRUE(SplitBySize(&in, prefix, "p", piece, data.size() / piece, data.size() % piece));
    CloseInput(&in);
    SetPieceDigits(2);
  }
  return Pieces(dir);
}

TEST(SizeCutter, HoldsBackALeadByteWhateverTheReadAlignment) {
  // The 10th byte is the lead byte of a kanji; the 19th the second byte of
  // 0x8E 0x9A (a trail byte inside a lead range, which must not be held back).
  std::string data = std::string(9, 'a') + "\x88\x9F" + std::string(6, 'b') + "\x8E\x9A" +
                     std::string(9, 'c') + "\x82";
  for (size_t chunk : {1u, 2u, 3u, 4u, 7u, 10u, 64u}) {
    SCOPED_TRACE(chunk);
    std::vector<std::string> pieces = Cut(data, 10, chunk);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], std::string(9, 'a'));
    EXPECT_EQ(pieces[1], "\x88\x9F" + std::string(6, 'b') + "\x8E\x9A");
    EXPECT_EQ(pieces[2], std::string(9, 'c') + "\x82");
  }
}

TEST(SizeCutter, RandomInputsMatchTheBoundaryRuleAndJoinBack) {
  std::mt19937 rng(11);
  for (int round = 0; round < 60; ++round) {
    std::string data = RandomSjisish(rng, 1 + rng() % 300);
    size_t piece = 5 + rng() % 40;
    size_t chunk = 1 + rng() % 50;
    SCOPED_TRACE(::testing::Message()
                 << "round " << round << " piece " << piece << " chunk " << chunk);
    std::vector<std::string> pieces = Cut(data, piece, chunk);
    EXPECT_EQ(pieces, ExpectedSizePieces(data, piece));
    std::string joined;
    for (const std::string& p : pieces) joined += p;
    EXPECT_EQ(joined, data);
  }
}

// The line cutter read chunk by chunk: at most buffer - 1 bytes through the
// first LF. A piece holds n1 lines; the next piece opens at the first chunk
// of the next line, unless that chunk is the short, unterminated end of the
// input, which stays where it is.
std::vector<std::string> ExpectedLinePieces(const std::string& data, int64_t n1, size_t buffer) {
  std::vector<std::string> pieces(1);
  int64_t count = 0;
  bool starts_line = true;
  size_t pos = 0;
  while (pos < data.size()) {
    size_t lf = data.find('\n', pos);
    size_t take = lf == std::string::npos ? data.size() - pos : lf + 1 - pos;
    take = std::min(take, buffer - 1);
    std::string chunk = data.substr(pos, take);
    pos += take;
    bool ends_line = chunk.back() == '\n';
    bool goes_on = ends_line || chunk.size() == buffer - 1;
    if (starts_line && count == n1 && goes_on) {
      pieces.emplace_back();
      count = 0;
    }
    if (ends_line) ++count;
    pieces.back() += chunk;
    starts_line = ends_line;
  }
  return pieces;
}

// Runs the line cutter (or the pattern cutter when `pattern` is given)
// over `data` read in random sizes with a work buffer of `buffer` bytes.
std::vector<std::string> CutByLines(std::mt19937& rng, const std::string& data, int64_t n1,
                                    uint32_t buffer, const char* pattern, bool keep) {
  ScratchDir dir;
  {
    FakePlatform fake;
    for (int i = 0; i < 20; ++i) fake.read_sizes.push_back(1 + rng() % 90);
    InStream in;
    AttachInput(&in, fake.AddInput(data), true);
    SetPieceDigits(3);
    KeepMatchLine = keep;
    WorkBuffer work;
    EXPECT_TRUE(work.Allocate(buffer));
    PatternHandle compiled = pattern ? CompileOnce(pattern) : nullptr;
    EXPECT_TRUE(SplitByLines(&in, work, dir.str() + kPathSeparator, "p", n1, compiled.get()));
    SetPieceDigits(2);
    KeepMatchLine = true;
    CloseInput(&in);
    EXPECT_FALSE(fake.err.empty());  // the piece names
  }
  return Pieces(dir);
}

TEST(LineCutter, RandomInputsAndReadSizesMatchTheChunkRule) {
  std::mt19937 rng(5);
  for (int round = 0; round < 150; ++round) {
    std::string data = RandomSjisish(rng, rng() % 400);
    if (round % 5 == 0) data += std::string(rng() % 120, 'x') + "\n";  // a long line
    int64_t n1 = 1 + rng() % 6;
    uint32_t buffer = 2 + rng() % 40;
    SCOPED_TRACE(::testing::Message() << "round " << round << " n1 " << n1 << " buffer " << buffer);
    EXPECT_EQ(CutByLines(rng, data, n1, buffer, nullptr, true),
              ExpectedLinePieces(data, n1, buffer));
  }
}

// The pattern cutter read chunk by chunk: every chunk after the first is
// searched up to its first NUL; the n1-th match of a piece opens the next
// one, its chunk kept or left out.
std::vector<std::string> ExpectedPatternPieces(const std::string& data, int64_t n1, size_t buffer,
                                               const char* pattern, bool keep) {
  std::vector<std::string> pieces(1);
  int64_t count = 1;
  size_t pos = 0;
  PatternHandle compiled = CompileOnce(pattern);
  while (pos < data.size()) {
    size_t lf = data.find('\n', pos);
    size_t take = lf == std::string::npos ? data.size() - pos : lf + 1 - pos;
    take = std::min(take, buffer - 1);
    std::string chunk = data.substr(pos, take);
    bool event = pos > 0 && SearchCompiled(*compiled, chunk.c_str());
    pos += take;
    bool cut = event && count == n1;
    if (cut) {
      pieces.emplace_back();
      count = 0;
    }
    if (event) ++count;
    if (!cut || keep) pieces.back() += chunk;
  }
  return pieces;
}

TEST(PatternCutter, RandomInputsAndReadSizesMatchTheChunkRule) {
  std::mt19937 rng(9);
  const char* const patterns[] = {"^a", "a\\n", "^\x82\xA0", "b"};
  for (int round = 0; round < 200; ++round) {
    std::string data = RandomSjisish(rng, rng() % 400);
    for (char& c : data) {
      unsigned r = rng() % 12;
      if (r == 0) c = 'b';
      if (r == 1) c = '\0';
    }
    if (round % 5 == 0) data += "a" + std::string(rng() % 120, 'b') + "\n";  // a long line
    int64_t n1 = 1 + rng() % 3;
    uint32_t buffer = 2 + rng() % 60;
    const char* pattern = patterns[rng() % 4];
    bool keep = rng() % 2 == 0;
    SCOPED_TRACE(::testing::Message() << "round " << round << " n1 " << n1 << " buffer " << buffer
                                      << " pattern " << pattern << " keep " << keep);
    EXPECT_EQ(CutByLines(rng, data, n1, buffer, pattern, keep),
              ExpectedPatternPieces(data, n1, buffer, pattern, keep));
  }
}

}  // namespace
}  // namespace zolt

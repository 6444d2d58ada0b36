// Failures injected through the platform into whole runs of the program:
// writes that fail at the first byte, part-way and at the final close,
// allocations, reads, opens, directory searches, file times and the
// free-space query that fail or answer at a limit, and reads cut short;
// and the pattern split's line skips on every vector width. Files live in
// memory; every run must close what it opened and release what it allocated.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "front/zolt_main.h"
#include "same_bytes.h"
#include "support/path.h"
#include "support/sjis.h"
#include "unit/fake_platform.h"
#include "unit/filter_references.h"

namespace zolt {
namespace {

const std::string kWriteFailed = "<error> 出力ファイルに書き込めません!: ";
const std::string kReadFailed = "ファイルが読み込めません: in\n";

// A program run on in-memory files with UTF-8 messages and `faults`.
struct Program {
  FakePlatform fake;
  explicit Program(const Faults& faults = {}) {
    static_cast<Faults&>(fake) = faults;
    fake.memory_files = fake.capture_stdout = fake.stdin_terminal = fake.utf8 = true;
    fake.err.reserve(1 << 16);  // messages take no memory from the run
    fake.out.reserve(1 << 20);
  }
  // `count_new`: the program's operator new calls count as allocations.
  int Run(std::vector<std::string> args, bool count_new = false) {
    args.insert(args.begin(), "zolt");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    fake.count_new = count_new;
    int status = ZoltMain(static_cast<int>(args.size()), argv.data());
    fake.count_new = false;
    EXPECT_EQ(fake.OpenNamedFiles(), 0u) << "a file was left open";
    EXPECT_EQ(fake.allocated_blocks, 0u) << "a block was left allocated";
    return status;
  }
  bool Said(const std::string& text) const { return fake.err.find(text) != std::string::npos; }
};

// Lines of text, well over one 128 KiB block.
std::string Lines(size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += "line " + std::to_string(i % 7) + "\tEnd\r\n";
  return text;
}

TEST(FaultInjection, FiltersReportEveryFailureWithStatus1) {
  const std::string text = Lines(20000);
  // The first byte, part-way through, the final close, standard output, and
  // a read that fails part-way.
  const struct {
    Faults faults;
    bool to_stdout;
    std::string said;
  } failures[] = {
      {{.write_budget = 0}, false, kWriteFailed + "out\n"},
      {{.write_budget = 100000}, false, kWriteFailed + "out\n"},
      {{.fail_close_of = "out"}, false, kWriteFailed + "out\n"},
      {{.write_budget = 100000}, true, kWriteFailed + "stdout\n"},
      {{.read_fails_at = 65536}, false, kReadFailed},
  };
  for (const std::string& sw : testing::kFilterSwitches) {
    for (const auto& failure : failures) {
      SCOPED_TRACE(sw + " " + failure.said);
      Program p(failure.faults);
      p.fake.disk["in"] = text;
      std::vector<std::string> args = {"in"};
      if (!failure.to_stdout) args.push_back("out");
      if (!sw.empty()) args.insert(args.begin(), sw);
      EXPECT_EQ(p.Run(args), 1);
      EXPECT_TRUE(p.Said(failure.said)) << p.fake.err;
    }
  }
}

// Every allocation, the standard containers' included, failing from the
// N-th on, for N = 1, 2, ... until the job needs no more: each run ends with
// the memory message and status 1, an existing output as it was, or gives
// the bytes of a run without failures.
TEST(FaultInjection, MemoryRunningOutAnywhereEndsTheJobWithItsMessage) {
  std::vector<std::vector<std::string>> jobs = {
      {"-M", "in", "b", "-oout"},  {"-L", "out"},        {"-S1", "in"},        {"-S9L", "in"},
      {"-S1L", "-#^line 3", "in"}, {"-Eu", "in", "out"}, {"-Es+", "in", "out"}};
  for (const std::string& sw : testing::kFilterSwitches)
    jobs.push_back(sw.empty() ? std::vector<std::string>{"in", "out"}
                              : std::vector<std::string>{sw, "in", "out"});
  for (const auto& job : jobs) {
    std::map<std::string, std::string> expected;
    for (int from = 0, status = 1; from < 2 || status != 0; ++from) {
      SCOPED_TRACE(job[0] + " failing from allocation " + std::to_string(from));
      Program p({.fail_allocation_from = from});
      p.fake.disk = {{"in", Lines(300)}, {"b", "y"}, {"out", "keep"}};
      p.fake.stdin_data = Lines(200);
      status = p.Run(job, true);
      if (from == 0) expected = p.fake.disk;
      bool said = p.Said("Memory Allocate Error") || p.Said("global buf memory allocate error!");
      bool kept = p.fake.disk["out"] == "keep" || job[0] == "-M";  // merge reports as it writes
      EXPECT_TRUE(status == 0 ? p.fake.disk == expected : said && kept) << p.fake.err;
    }
  }
}

TEST(FaultInjection, EveryMergeOutputAndSplitPieceReportsItsWriteFailure) {
  for (int where = 0; where < 4; ++where) {
    Program p;
    p.fake.disk = {{"a", Lines(5000)}, {"b", Lines(6000)}};
    if (where == 0) p.fake.write_budget = 0;
    if (where == 1) p.fake.write_budget = p.fake.disk["a"].size() + 10;  // inside b
    if (where == 2) p.fake.fail_close_of = "out";
    if (where == 3) p.fake.write_budget = 10;
    std::vector<std::string> args = {"-M", "a", "b"};
    if (where != 3) args.push_back("-oout");
    EXPECT_EQ(p.Run(args), 1);
    EXPECT_TRUE(p.Said(kWriteFailed + (where == 3 ? "stdout" : "out") + "\n")) << p.fake.err;
  }
  // Pieces of 1,000 bytes or of one line: the first byte, part-way, the close.
  const char* const pieces[] = {"in._00", "in._01", "in._02"};
  for (const char* job : {"-S1", "-S1L"}) {
    for (int piece = 0; piece < 3; ++piece) {
      for (int where = 0; where < 3; ++where) {
        SCOPED_TRACE(std::string(job) + " piece " + std::to_string(piece) + " failure " +
                     std::to_string(where));
        Program p;
        bool lines = job[3] == 'L';
        p.fake.disk["in"] = lines ? "first\nsecond\nthird\n" : std::string(2500, 'x');
        size_t before = lines ? (piece == 0 ? 0u : piece == 1 ? 6u : 13u) : size_t(piece) * 1000;
        if (where == 0) p.fake.write_budget = before;
        if (where == 1) p.fake.write_budget = before + (lines ? 2 : 300);
        if (where == 2) p.fake.fail_close_of = pieces[piece];
        EXPECT_EQ(p.Run({job, "in"}), 1);
        EXPECT_TRUE(p.Said(kWriteFailed + pieces[piece] + "\n")) << p.fake.err;
        for (int later = piece + 1; later < 3; ++later)
          EXPECT_EQ(p.fake.disk.count(pieces[later]), 0u) << "the job went on";
      }
    }
  }
  // A line longer than the output buffer fails while it is written: once.
  for (const std::vector<std::string>& job :
       {std::vector<std::string>{"-S1L", "in"}, {"-S1", "in"}, {"-S1L", "-#s", "in"}}) {
    SCOPED_TRACE(job[0] + job[1]);
    Program p;
    p.fake.disk["in"] = std::string(300000, 'x') + "\nsecond\n";
    p.fake.write_budget = 300;
    EXPECT_EQ(p.Run(job), 1);
    EXPECT_EQ(p.fake.err.find(kWriteFailed), p.fake.err.rfind(kWriteFailed)) << p.fake.err;
    EXPECT_EQ(p.fake.disk.count("in._01"), 0u) << "the job went on";
  }
}

TEST(FaultInjection, MergeAndSplitReportMemoryReadSearchSpaceAndOpenFailures) {
  const std::string no_space = "結合先ドライブの空き容量が不足しています\n";
  const struct {
    std::vector<std::string> args;
    Faults faults;
    int status;
    std::string said;
    const char* never_made = nullptr;
  } cases[] = {
      {{"-M", "a", "b", "-oout"},
       {.fail_allocation_from = 1},
       1,
       "global buf memory allocate error!",
       "out"},
      {{"-M", "a", "b", "-oout"},
       {.fail_find = true},
       1,
       "ファイルがオープンできません: a\n",
       "out"},
      {{"-M", "a", "b", "-oout"},
       {.free_bytes = kFreeSpaceUnknown},
       1,
       "Drive Not Ready!\n",
       "out"},
      // Free space for exactly the total is enough, in 64 bits.
      {{"-M", "a", "b", "-oout"}, {.free_bytes = 1}, 1, no_space, "out"},
      {{"-M", "a", "b", "-oout"}, {.free_bytes = 2}, 0, "b 1bytes ok\n"},
      {{"-M", "a", "b", "-oout"}, {.free_bytes = (uint64_t{1} << 32) + 1}, 0, "b 1bytes ok\n"},
      // The second input, after the scan's list-free lookups.
      {{"-M", "a", "b", "-oout"}, {.fail_open_at = 3}, 1, "ファイルがオープンできません: "},
      {{"-S1", "in"},
       {.fail_allocation_from = 1},
       1,
       "global buf memory allocate error!",
       "in._00"},
      {{"-S1", "in"}, {.free_bytes = kFreeSpaceUnknown}, 1, "Drive Not Ready!\n", "in._00"},
      // The work buffer halves until it fits.
      {{"-S1L", "in"}, {.largest_allocation = 5000}, 0, "allocated buf size =4096 . ok\n"},
      // The first search, after the work buffer.
      {{"-S1L", "-#x", "in"}, {.fail_allocation_from = 2}, 1, "Memory Allocate Error\n", "in._01"},
      // Opens: the input, then piece 00, then piece 01.
      {{"-S1", "in"}, {.fail_open_at = 3}, 1, "in._01\n"},
      {{"-S1L", "in"}, {.fail_open_at = 3}, 1, "in._01\n"},
      // An input that ends before its size (it shrank): no piece for nothing.
      {{"-S1", "in"}, {.extra_size = 1500}, 1, "in._02\nファイルが変です (^^; : in\n", "in._03"},
      // A probe that cannot be deleted is reported.
      {{"-S1", "in", "d"},
       {.fail_remove = true},
       0,
       std::string("d") + kPathSeparator + "_ZO_$$$$.TMP: "},
      // Reads that fail part-way through the input.
      {{"-S100", "in"}, {.read_fails_at = 1000, .read_sizes = {500}}, 1, kReadFailed},
      {{"-S1L", "in"}, {.read_fails_at = 1000, .read_sizes = {500}}, 1, kReadFailed},
      {{"-S1L", "-#x", "in"}, {.read_fails_at = 1000, .read_sizes = {500}}, 1, kReadFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.said);
    Program p(c.faults);
    p.fake.disk = {{"a", "x"},
                   {"b", "y"},
                   {"in", std::string(1500, 'x') + "\n" + std::string(999, 'y') + "\n"}};
    EXPECT_EQ(p.Run(c.args), c.status);
    EXPECT_TRUE(p.Said(c.said)) << p.fake.err;
    if (c.never_made) {
      EXPECT_EQ(p.fake.disk.count(c.never_made), 0u);
    }
  }
  // A failed directory search or file-time call loses no data.
  for (int failure = 0; failure < 3; ++failure) {
    Program p({.fail_find = failure == 0,
               .fail_get_times = failure == 1,
               .fail_set_times = failure == 2});
    p.fake.disk = {{"a", "x"}, {"b", "y"}, {"in", std::string(2500, 'x')}};
    EXPECT_EQ(p.Run({"-S1", "in"}), 0) << failure;
    EXPECT_EQ(p.fake.disk["in._00"] + p.fake.disk["in._01"] + p.fake.disk["in._02"],
              std::string(2500, 'x'));
    if (failure == 0) continue;
    EXPECT_EQ(p.Run({"-M", "a", "b", "-oout"}), 0);
    EXPECT_EQ(p.fake.disk["out"], "xy");
    EXPECT_EQ(p.fake.times.count("out"), 0u);
  }
}

// A size split through the input buffer, as where the system cannot read
// ahead (Windows): reads cut a run of lead-range bytes anywhere, and no piece
// ends inside a double-byte character.
TEST(FaultInjection, ShortReadsNeverCutADoubleByteCharacter) {
  std::string pairs;
  for (int i = 0; i < 1000; ++i) pairs += "\x8E\x9A";
  for (size_t read : {1u, 2u, 3u, 7u, 4096u}) {
    Program p({.read_sizes = {read}});
    p.fake.disk["in"] = "a" + pairs;
    EXPECT_EQ(p.Run({"-S1", "in"}), 0);
    EXPECT_EQ(p.fake.disk["in._00"] + "|" + p.fake.disk["in._01"] + "|" + p.fake.disk["in._02"],
              "a" + pairs.substr(0, 998) + "|" + pairs.substr(998, 1000) + "|" + pairs.substr(1998))
        << "reads of " << read;
  }
}

// Whether the line (a whole one, shorter than a chunk) holds 注意 as characters.
bool HoldsChuI(const std::string& line) {
  for (size_t i = 0; i < line.size();
       i += IsSjisLead(static_cast<unsigned char>(line[i])) ? 2u : 1u)
    if (line.compare(i, 4, "\x92\x8D\x88\xD3") == 0) return true;
  return false;
}

// Lines that start with 第 or its lead byte, hold 注意, its bytes inside
// other characters, 注 or 意 with another character, or a run of lead-range bytes;
// now and then a line longer than a chunk. Each pattern split, on every
// vector width and with reads cut short, opens a piece at each matching line
// but the first, as a line-by-line reading of the pattern says.
TEST(FaultInjection, PatternSplitsSkipLinesAlikeOnEveryVectorWidth) {
  const char* const kinds[] = {"\x91\xE6",
                               "a\x91\xE6",
                               "\x91\xE5",
                               "\x92\x8D\x88\xD3",
                               "\x88\x92\x8D\x88\xD3",
                               "\x92\x8E\x88\xD3",
                               "\x92\x8D\x88\xD4",
                               "a",
                               "\x8E\x9A\x8E\x9A\x8E"};
  std::mt19937 rng(7);
  std::vector<std::string> lines;
  for (int i = 0; i < 3000; ++i) {
    std::string line = kinds[rng() % std::size(kinds)];
    if (rng() % 4 == 0) line = std::string(rng() % 80, 'n') + line;
    if (rng() % 300 == 0) line += std::string(20000, 'z');
    lines.push_back(line + std::string(rng() % 70, 'n') + "\n");
  }
  const struct {
    const char* pattern;
    bool (*matches)(const std::string&);
  } patterns[] = {
      {"-#^\x91\xE6", [](const std::string& l) { return l.compare(0, 2, "\x91\xE6") == 0; }},
      {"-#^a", [](const std::string& l) { return l[0] == 'a'; }},
      {"-#\x92\x8D\x88\xD3", [](const std::string& l) { return l.size() < 16383 && HoldsChuI(l); }},
  };
  for (const auto& [pattern, matches] : patterns) {
    std::string text, expected;
    for (size_t i = 0; i < lines.size(); ++i) {
      text += lines[i];
      expected += (i > 0 && matches(lines[i]) ? "|" : "") + lines[i];
    }
    for (VectorWidth width : {VectorWidth::k16, VectorWidth::k32, VectorWidth::k64}) {
      for (size_t read : {size_t{0}, size_t{4093}}) {
        SCOPED_TRACE(std::string(pattern) + " width " + std::to_string(static_cast<int>(width)) +
                     " reads of " + std::to_string(read));
        Program p({.read_sizes = read ? std::vector<size_t>{read} : std::vector<size_t>{}});
        p.fake.vectors = width;
        p.fake.disk["in"] = text;
        ASSERT_EQ(p.Run({"-S1.4L", pattern, "in"}), 0) << p.fake.err;
        std::string pieces;
        for (const auto& [name, bytes] : p.fake.disk)
          if (name != "in") pieces += (pieces.empty() ? "" : "|") + bytes;
        EXPECT_TRUE(testing::SameBytes(pieces, expected));
      }
    }
  }
}

}  // namespace
}  // namespace zolt

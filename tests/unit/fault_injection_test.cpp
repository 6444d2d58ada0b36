// Failures injected through the platform into whole runs of the program:
// writes that fail at the first byte, part-way and at the final close,
// allocations, reads, opens, directory searches, file times and the
// free-space query that fail. Files live in memory; every run must close
// what it opened and release what it allocated.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "front/zolt_main.h"
#include "unit/fake_platform.h"

namespace zolt {
namespace {

const std::string kWriteFailed = "<error> 出力ファイルに書き込めません!: ";

// A program run on in-memory files with UTF-8 messages; the caller sets up
// the files and failures on `fake` before Run.
struct Program {
  FakePlatform fake;
  Program() {
    fake.memory_files = true;
    fake.capture_stdout = true;
    fake.stdin_terminal = true;
    fake.utf8 = true;
  }
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), "zolt");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int status = ZoltMain(static_cast<int>(args.size()), argv.data());
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
  for (const char* job :
       {"-Cd", "-Cu", "-Cm", "-J", "-K", "-T4", "-T0", "-U", "-U+", "-L", "-P", "-D", "-Cx"}) {
    const std::string sw = job[2] == 'x' ? "" : job;  // -Cx: the plain copy
    // The first byte, part-way through, the final close, standard output,
    // and a read that fails part-way.
    for (int where = 0; where < 5; ++where) {
      SCOPED_TRACE(sw + " failure " + std::to_string(where));
      Program p;
      p.fake.disk["in"] = text;
      if (where == 0) p.fake.write_budget = 0;
      if (where == 1 || where == 3) p.fake.write_budget = 100000;
      if (where == 2) p.fake.fail_close_of = "out";
      if (where == 4) p.fake.read_fails_at = 65536;
      std::vector<std::string> args = {"in"};
      if (where != 3) args.push_back("out");
      if (!sw.empty()) args.insert(args.begin(), sw);
      EXPECT_EQ(p.Run(args), 1);
      EXPECT_TRUE(p.Said(where == 4   ? "ファイルが読み込めません: in\n"
                         : where == 3 ? kWriteFailed + "stdout\n"
                                      : kWriteFailed + "out\n"))
          << p.fake.err;
    }
    // Every allocation failing from the first, second or third on: the job
    // needs no more, or says so with status 1.
    for (int from = 1; from <= 3; ++from) {
      Program p;
      p.fake.disk["in"] = Lines(100);
      p.fake.fail_allocation_from = from;
      int status = p.Run(sw.empty() ? std::vector<std::string>{"in", "out"}
                                    : std::vector<std::string>{sw, "in", "out"});
      if (status == 0) {
        EXPECT_FALSE(p.fake.disk["out"].empty()) << sw;
      } else {
        EXPECT_TRUE(p.Said("Memory Allocate Error") || p.Said("global buf memory allocate error!"))
            << sw << p.fake.err;
      }
    }
  }
  // Room for the first line but not the second.
  for (const char* job : {"-U", "-U+"}) {
    Program p;
    p.fake.disk["in"] = "short\n" + std::string(5000, 'x') + "\n";
    p.fake.allocation_budget = 4096;
    EXPECT_EQ(p.Run({job, "in", "out"}), 1) << job;
    EXPECT_TRUE(p.Said("Memory Allocate Error!: in function Uniq()")) << p.fake.err;
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
        size_t before = lines ? (piece == 0 ? 0 : piece == 1 ? 6 : 13) : piece * size_t{1000};
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
}

TEST(FaultInjection, MergeAndSplitReportMemorySearchSpaceAndOpenFailures) {
  struct Case {
    std::vector<std::string> args;
    void (*fail)(FakePlatform*);
    const char* said;
    const char* never_made;
  };
  const Case cases[] = {
      {{"-M", "a", "b", "-oout"},
       [](FakePlatform* f) { f->fail_allocation_from = 1; },
       "global buf memory allocate error!",
       "out"},
      {{"-M", "a", "b", "-oout"},
       [](FakePlatform* f) { f->fail_find = true; },
       "ファイルがオープンできません: a\n",
       "out"},
      {{"-M", "a", "b", "-oout"},
       [](FakePlatform* f) { f->free_bytes = kFreeSpaceUnknown; },
       "Drive Not Ready!\n",
       "out"},
      // The second input, after the scan's list-free lookups.
      {{"-M", "a", "b", "-oout"},
       [](FakePlatform* f) { f->fail_open_at = 3; },
       "ファイルがオープンできません: ",
       nullptr},
      {{"-S1", "in"},
       [](FakePlatform* f) { f->fail_allocation_from = 1; },
       "global buf memory allocate error!",
       "in._00"},
      {{"-S1", "in"},
       [](FakePlatform* f) { f->free_bytes = kFreeSpaceUnknown; },
       "Drive Not Ready!\n",
       "in._00"},
      // The first search, after the work buffer.
      {{"-S1L", "-#x", "in"},
       [](FakePlatform* f) { f->fail_allocation_from = 2; },
       "Memory Allocate Error\n",
       "in._01"},
      // Opens: the input, then piece 00, then piece 01.
      {{"-S1", "in"}, [](FakePlatform* f) { f->fail_open_at = 3; }, "in._01\n", nullptr},
      {{"-S1L", "in"}, [](FakePlatform* f) { f->fail_open_at = 3; }, "in._01\n", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.said);
    Program p;
    p.fake.disk = {{"a", "x"},
                   {"b", "y"},
                   {"in", std::string(1500, 'x') + "\n" + std::string(999, 'y') + "\n"}};
    c.fail(&p.fake);
    EXPECT_EQ(p.Run(c.args), 1);
    EXPECT_TRUE(p.Said(c.said)) << p.fake.err;
    if (c.never_made) {
      EXPECT_EQ(p.fake.disk.count(c.never_made), 0u);
    }
  }
  // A failed directory search or file-time call loses no data.
  for (int failure = 0; failure < 3; ++failure) {
    Program p;
    p.fake.disk = {{"a", "x"}, {"b", "y"}, {"in", std::string(2500, 'x')}};
    if (failure == 0) p.fake.fail_find = true;
    if (failure == 1) p.fake.fail_get_times = true;
    if (failure == 2) p.fake.fail_set_times = true;
    EXPECT_EQ(p.Run({"-S1", "in"}), 0) << failure;
    EXPECT_EQ(p.fake.disk["in._00"] + p.fake.disk["in._01"] + p.fake.disk["in._02"],
              std::string(2500, 'x'));
    if (failure == 0) continue;
    EXPECT_EQ(p.Run({"-M", "a", "b", "-oout"}), 0);
    EXPECT_EQ(p.fake.disk["out"], "xy");
    EXPECT_EQ(p.fake.times.count("out"), 0u);
  }
}

}  // namespace
}  // namespace zolt

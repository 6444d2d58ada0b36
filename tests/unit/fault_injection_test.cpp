// Failures injected through the platform into whole runs of the program:
// writes that fail at the first byte, part-way and at the final close,
// allocations that fail, directory searches, file times and the free-space
// query that fail. Files live in memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "front/zolt_main.h"
#include "unit/fake_platform.h"

namespace zolt {
namespace {

constexpr char kWriteFailed[] = "<error> 出力ファイルに書き込めません!: ";

// A program run on in-memory files with UTF-8 messages; the caller sets up
// the failures on `fake` before Run.
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

// Lines of text, well over one 64 KiB block.
std::string Text(size_t lines) {
  std::string text;
  for (size_t i = 0; i < lines; ++i) text += "line " + std::to_string(i % 7) + "\tEnd\r\n";
  return text;
}

const char* const kFilterSwitches[] = {"-Cd", "-Cu", "-Cm", "-J", "-K", "-T4",
                                       "-T0", "-U",  "-U+", "-L", "-P", "-D"};

TEST(FaultInjection, FilterWriteFailuresAreReportedWithStatus1) {
  const std::string input = Text(20000);
  for (const char* job : kFilterSwitches) {
    // The first byte, part-way through, and the final close.
    for (int where = 0; where < 3; ++where) {
      SCOPED_TRACE(std::string(job) + " failure " + std::to_string(where));
      Program p;
      p.fake.disk["in"] = input;
      if (where == 0) p.fake.write_budget = 0;
      if (where == 1) p.fake.write_budget = 100000;
      if (where == 2) p.fake.fail_close_of = "out";
      EXPECT_EQ(p.Run({job, "in", "out"}), 1);
      EXPECT_TRUE(p.Said(std::string(kWriteFailed) + "out\n")) << p.fake.err;
    }
    SCOPED_TRACE(std::string(job) + " to standard output");
    Program p;
    p.fake.disk["in"] = input;
    p.fake.write_budget = 100000;
    EXPECT_EQ(p.Run({job, "in"}), 1);
    EXPECT_TRUE(p.Said(std::string(kWriteFailed) + "stdout\n")) << p.fake.err;
  }
}

TEST(FaultInjection, FiltersSurviveEveryAllocationFailing) {
  for (const char* job : kFilterSwitches) {
    for (int from = 1; from <= 3; ++from) {
      SCOPED_TRACE(std::string(job) + " allocations fail from " + std::to_string(from));
      Program p;
      p.fake.disk["in"] = Text(100);
      p.fake.fail_allocation_from = from;
      int status = p.Run({job, "in", "out"});
      if (status == 0) {
        EXPECT_FALSE(p.fake.disk["out"].empty());
      } else {
        EXPECT_TRUE(p.Said("Memory Allocate Error") || p.Said("global buf memory allocate error!"))
            << p.fake.err;
      }
    }
  }
}

TEST(FaultInjection, AFilterThatRanOutOfMemoryEndsWithStatus1) {
  for (const char* job : {"-U", "-U+"}) {
    Program p;
    p.fake.disk["in"] = "short\n" + std::string(5000, 'x') + "\n";
    p.fake.allocation_budget = 4096;  // the first line fits, the second does not
    EXPECT_EQ(p.Run({job, "in", "out"}), 1) << job;
    EXPECT_TRUE(p.Said("Memory Allocate Error!: in function Uniq()")) << p.fake.err;
  }
  Program p;
  p.fake.disk["in"] = "abc";
  p.fake.fail_allocation_from = 1;
  EXPECT_EQ(p.Run({"-Cd", "in", "out"}), 0);  // no work buffer needed
  EXPECT_EQ(p.Run({"in", "out"}), 1);         // the plain copy needs one
  EXPECT_TRUE(p.Said("global buf memory allocate error!")) << p.fake.err;
}

TEST(FaultInjection, AFilterWhoseInputFailsToReadEndsWithStatus1) {
  for (const char* job : kFilterSwitches) {
    Program p;
    p.fake.disk["in"] = Text(20000);
    p.fake.read_fails_at = 65536;
    EXPECT_EQ(p.Run({job, "in", "out"}), 1) << job;
    EXPECT_TRUE(p.Said("ファイルが読み込めません: in\n")) << job << p.fake.err;
  }
  Program p;
  p.fake.disk["in"] = Text(100);
  p.fake.read_fails_at = 0;
  EXPECT_EQ(p.Run({"in", "out"}), 1);
  EXPECT_TRUE(p.Said("ファイルが読み込めません: in\n")) << p.fake.err;
}

TEST(FaultInjection, MergeWriteFailuresAreReportedWithStatus1) {
  for (int where = 0; where < 4; ++where) {
    SCOPED_TRACE(where);
    Program p;
    p.fake.disk["a"] = Text(5000);
    p.fake.disk["b"] = Text(6000);
    if (where == 0) p.fake.write_budget = 0;
    if (where == 1) p.fake.write_budget = p.fake.disk["a"].size() + 10;  // inside b
    if (where == 2) p.fake.fail_close_of = "out";
    if (where == 3) p.fake.write_budget = 10;
    std::vector<std::string> args = {"-M", "a", "b"};
    if (where != 3) args.push_back("-oout");
    EXPECT_EQ(p.Run(args), 1);
    EXPECT_TRUE(p.Said(std::string(kWriteFailed) + (where == 3 ? "stdout" : "out") + "\n"))
        << p.fake.err;
  }
}

// The pieces of a 2,500-byte input split into 1,000-byte pieces.
const char* const kPieces[] = {"in._00", "in._01", "in._02"};

TEST(FaultInjection, EverySplitPieceReportsItsWriteFailure) {
  const std::string input(2500, 'x');
  for (int piece = 0; piece < 3; ++piece) {
    for (int where = 0; where < 3; ++where) {
      SCOPED_TRACE("piece " + std::to_string(piece) + " failure " + std::to_string(where));
      Program p;
      p.fake.disk["in"] = input;
      size_t before = static_cast<size_t>(piece) * 1000;
      if (where == 0) p.fake.write_budget = before;
      if (where == 1) p.fake.write_budget = before + 300;
      if (where == 2) p.fake.fail_close_of = kPieces[piece];
      EXPECT_EQ(p.Run({"-S1", "in"}), 1);
      EXPECT_TRUE(p.Said(std::string(kWriteFailed) + kPieces[piece] + "\n")) << p.fake.err;
      for (int later = piece + 1; later < 3; ++later)
        EXPECT_EQ(p.fake.disk.count(kPieces[later]), 0u) << "the job went on";
    }
  }
}

TEST(FaultInjection, EveryLinePieceReportsItsWriteFailure) {
  for (int piece = 0; piece < 3; ++piece) {
    for (int where = 0; where < 2; ++where) {
      SCOPED_TRACE("piece " + std::to_string(piece) + " failure " + std::to_string(where));
      Program p;
      p.fake.disk["in"] = "first\nsecond\nthird\n";
      if (where == 0) p.fake.write_budget = piece == 0 ? 0 : piece == 1 ? 6 : 13;
      if (where == 1) p.fake.fail_close_of = kPieces[piece];
      EXPECT_EQ(p.Run({"-S1L", "in"}), 1);
      EXPECT_TRUE(p.Said(std::string(kWriteFailed) + kPieces[piece] + "\n")) << p.fake.err;
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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.said);
    Program p;
    p.fake.disk = {{"a", "x"}, {"b", "y"}, {"in", std::string(1250, 'x') + "\nx\n"}};
    c.fail(&p.fake);
    EXPECT_EQ(p.Run(c.args), 1);
    EXPECT_TRUE(p.Said(c.said)) << p.fake.err;
    if (c.never_made) {
      EXPECT_EQ(p.fake.disk.count(c.never_made), 0u);
    }
  }
  // File times are a courtesy: failing to read or set them loses no data.
  for (bool get : {true, false}) {
    Program p;
    p.fake.disk = {{"a", "x"}, {"b", "y"}};
    (get ? p.fake.fail_get_times : p.fake.fail_set_times) = true;
    EXPECT_EQ(p.Run({"-M", "a", "b", "-oout"}), 0);
    EXPECT_EQ(p.fake.disk["out"], "xy");
    EXPECT_EQ(p.fake.times.count("out"), 0u);
  }
  for (const char* job : {"-S1", "-S1L"}) {
    // Opens: the input, then piece 00, then piece 01.
    Program p;
    p.fake.disk["in"] = std::string(1500, 'x') + "\n" + std::string(999, 'y') + "\n";
    p.fake.fail_open_at = 3;
    EXPECT_EQ(p.Run({job, "in"}), 1) << job;
    EXPECT_TRUE(p.Said("ファイルが作成できません in._01\n") ||
                p.Said("ファイルが作成できませんin._01\n"))
        << p.fake.err;
  }
  // A failed directory search or file-time call loses no data.
  for (int failure = 0; failure < 3; ++failure) {
    Program p;
    p.fake.disk["in"] = std::string(2500, 'x');
    if (failure == 0) p.fake.fail_find = true;
    if (failure == 1) p.fake.fail_get_times = true;
    if (failure == 2) p.fake.fail_set_times = true;
    EXPECT_EQ(p.Run({"-S1", "in"}), 0) << failure;
    EXPECT_EQ(p.fake.disk["in._00"] + p.fake.disk["in._01"] + p.fake.disk["in._02"],
              std::string(2500, 'x'));
  }
}

}  // namespace
}  // namespace zolt

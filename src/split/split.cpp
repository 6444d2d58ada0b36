#include "split/split.h"

#include <cstring>
#include <new>
#include <string>

#include "io/stream_pair.h"
#include "io/work_buffer.h"
#include "pattern/pattern.h"
#include "split/output_dir.h"
#include "split/pieces.h"
#include "split/split_lines.h"
#include "split/split_size.h"
#include "support/disk_space.h"
#include "support/messages.h"
#include "support/platform.h"

namespace zolt {

namespace {

// What one run works with, gathered by the parse and check steps.
struct SplitJob {
  SplitJob() = default;
  SplitJob(const SplitJob&) = delete;
  SplitJob& operator=(const SplitJob&) = delete;
  ~SplitJob() {
    if (redirected) Sys().SetStreamMode(kStdin, StreamMode::kText);
  }

  InStream input;
  bool redirected = false;  // the input is the redirected standard input
  std::string input_name;   // as typed, or "stdin"
  const char* outdir = nullptr;
  PatternHandle pattern;  // null without a pattern argument
  int64_t size = 0;       // of the input
  SplitRun run;
};

// Bytes of a size piece.
uint64_t PieceSize(const SplitOptions& options) {
  return static_cast<uint64_t>(options.n1) * 1000;
}

// Takes the redirected standard input or opens FILE, after the pattern
// argument when there is one, and notes OUTDIR. False after reporting a
// refusal (some have no message).
bool ParseArguments(const SplitOptions& options, int argc, char** argv, SplitJob* job) {
  job->redirected = OpenRedirectedInput(&job->input);
  job->run.digits = options.digits;
  if (options.n1 == 0) return false;
  int next = 0;
  const char* pattern = nullptr;
  if (next < argc && std::strncmp(argv[next], "-#", 2) == 0) {
    pattern = argv[next] + 2;
  } else if (next < argc && std::strncmp(argv[next], "--#", 3) == 0) {
    pattern = argv[next] + 3;
    job->run.keep_match_line = false;
  }
  if (pattern) {
    if (!options.line_mode) {
      PrintMessage(Text::kSizeAndPattern);
      return false;
    }
    try {
      job->pattern = CompilePattern(pattern);
    } catch (const std::bad_alloc&) {
      PrintMessage(Text::kMemoryError);
      return false;
    }
    next += 1;
  }
  if (job->redirected) {
    job->input_name = TextBytes(Text::kStdinName);
  } else {
    if (next >= argc) return false;
    job->input_name = argv[next++];
    if (!OpenInput(&job->input, job->input_name)) {
      PrintMessage(Text::kCannotOpen, job->input_name);
      return false;
    }
  }
  job->outdir = next < argc ? argv[next] : nullptr;
  return true;
}

// Size of the input, from its current offset (standard input may have been
// read part-way): -1 after reporting that it cannot be told, otherwise the
// byte count. Anything but a regular file (a pipe, a device) counts as
// empty.
int64_t InputSize(const SplitJob& job) {
  int64_t size = Sys().BytesLeft(job.input.fd());
  if (size >= 0) return size;
  std::string reason = Sys().LastError();
  FileId id = Sys().IdentifyDescriptor(job.input.fd());
  if (id.valid && !id.regular) return 0;
  PrintRaw(job.input_name + ": " + reason + "\n");
  return -1;
}

// The checks before any piece, in order: the input's size, the number of
// size pieces, free space, OUTDIR, a piece that would be the input. Fixes
// the prefix and base name of the pieces. False after reporting the first
// that fails.
bool CheckRun(const SplitOptions& options, SplitJob* job) {
  job->size = InputSize(*job);
  if (job->size < 0) return false;
  if (job->size == 0) {
    PrintMessage(Text::kFileIsOdd, job->input_name);
    return false;
  }
  int64_t last = MaxPieceNumber(options.digits);
  if (!options.line_mode) {
    uint64_t full = static_cast<uint64_t>(job->size) / PieceSize(options);
    if (full > static_cast<uint64_t>(last)) {
      PrintMessage(Text::kSplitTooSmall);
      return false;
    }
    last = static_cast<int64_t>(full);
  }
  DiskSpace space = CheckDiskSpace(job->size, job->outdir);
  if (space == DiskSpace::kShort) PrintMessage(Text::kSplitNoSpace);
  if (space != DiskSpace::kEnough) return false;
  if (job->outdir && !CheckOutputDir(job->outdir, &job->run.prefix)) {
    PrintMessage(Text::kDirectoryNotFound, job->outdir);
    return false;
  }
  job->run.base =
      job->redirected ? TextBytes(Text::kStdinBaseName) : SplitBaseName(job->input_name.c_str());
  std::string clash = PieceThatIsInput(job->run, job->input.fd(), last);
  if (!clash.empty()) {
    PrintMessage(Text::kInputIsPiece, clash);
    return false;
  }
  return true;
}

// Takes the work buffer, prints the start lines, takes the times the pieces
// receive and runs the cutter. False after a reported failure.
bool RunSplit(const SplitOptions& options, SplitJob* job) {
  WorkBuffer work;
  if (!work.Allocate()) return false;
  PrintFilled<Text::kBufferSize>(Decimal(work.size()));
  char grouped[32];
  CommaFormat(job->size, grouped, sizeof grouped);
  PrintFilled<Text::kSplitting>(job->input_name, grouped);
  if (job->redirected) {
    FileTime now = Sys().Now();
    job->run.times = FileTimes{now, now, now};
  } else {
    Sys().GetFileTimes(job->input_name, &job->run.times);
  }
  SizeSplit done;
  if (options.line_mode) {
    bool ok = SplitByLines(&job->input, job->run, work, options.n1, job->pattern.get());
    done = ok ? SizeSplit::kDone : SizeSplit::kFailed;
  } else {
    uint64_t size = static_cast<uint64_t>(job->size);
    uint64_t piece = PieceSize(options);
    done = SplitBySize(&job->input, job->run, piece, size / piece, size % piece);
  }
  if (done != SizeSplit::kFailed && job->input.error()) {
    PrintMessage(Text::kReadFailed, job->input_name);
    return false;
  }
  // An input that ends before its planned size changed during the run.
  if (done == SizeSplit::kEnded) PrintMessage(Text::kFileIsOdd, job->input_name);
  return done == SizeSplit::kDone;
}

}  // namespace

JobResult Split(const SplitOptions& options, int argc, char** argv) {
  SplitJob job;
  if (!ParseArguments(options, argc, argv, &job) || !CheckRun(options, &job))
    return JobResult::kFailed;
  return RunSplit(options, &job) ? JobResult::kDone : JobResult::kFailed;
}

}  // namespace zolt

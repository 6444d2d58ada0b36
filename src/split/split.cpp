// The split job's driver: reads the switch and the arguments after it, makes
// the checks in order, announces the run and hands over to a cutter.
#include "split/split.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "io/stream_pair.h"
#include "io/work_buffer.h"
#include "pattern/pattern.h"
#include "split/split_lines.h"
#include "split/split_naming.h"
#include "split/split_size.h"
#include "support/disk_space.h"
#include "support/messages.h"
#include "support/platform.h"

namespace zolt {

namespace {

// The input of one run and how to let go of it.
struct SplitInput {
  InStream stream;
  bool redirected = false;
};

void ReleaseInput(SplitInput* input) {
  CloseInput(&input->stream);
  if (input->redirected) Sys().SetBinaryMode(kStdin, false);
}

// Size of the input: -1 after reporting that it cannot be told, otherwise
// the byte count. Anything but a regular file (a pipe, a device, a
// directory) counts as empty.
int64_t InputSize(const SplitInput& input, const std::string& name) {
  int64_t size = Sys().FileSize(input.stream.fd);
  if (size >= 0) return size;
  std::string reason = Sys().LastError();
  FileId id = Sys().IdentifyDescriptor(input.stream.fd);
  if (id.valid && !id.regular) return 0;
  PrintRaw(name + ": " + reason + "\n");
  return -1;
}

// Parses a piece number of exactly PieceDigits digits; -1 otherwise.
int PieceNumberOf(const std::string& digits) {
  if (digits.size() != static_cast<size_t>(PieceDigits)) return -1;
  int number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

// The name of a piece up to number `last` that is the input file itself
// (creating it would destroy the input), or an empty string.
std::string PieceThatIsInput(const InStream& input, const std::string& prefix,
                             const std::string& base, int64_t last) {
  FileId id = Sys().IdentifyDescriptor(input.fd);
  if (!id.valid || !id.regular) return std::string();
  std::vector<DirEntry> entries;
  Sys().FindFiles(prefix + base + "._*", &entries);
  size_t stem = base.size() + 2;
  for (const DirEntry& entry : entries) {
    if (entry.name.size() <= stem) continue;
    int number = PieceNumberOf(entry.name.substr(stem));
    if (number < 0 || number > last) continue;
    std::string name = PieceName(prefix, base, number);
    if (Sys().IdentifyName(name) == id) return name;
  }
  return std::string();
}

}  // namespace

int Split(int argc, char** argv) {
  KeepMatchLine = true;
  PieceTimes = FileTimes{};
  SplitInput input;
  input.redirected = OpenRedirectedInput(&input.stream);
  if (argc == 1 && !input.redirected) return -1;
  auto fail = [&input]() {
    ReleaseInput(&input);
    return -1;
  };

  SplitSwitch options = ParseSplitSwitch(argv[0]);
  if (options.n1 == 0) return fail();
  SetPieceDigits(options.digits);

  int next = 1;
  const char* pattern_text = nullptr;
  if (next < argc) {
    const char* arg = argv[next];
    if (std::strncmp(arg, "-#", 2) == 0) {
      pattern_text = arg + 2;
    } else if (std::strncmp(arg, "--#", 3) == 0) {
      pattern_text = arg + 3;
      KeepMatchLine = false;
    }
  }
  PatternHandle pattern;
  if (pattern_text) {
    if (!options.line_mode) {
      PrintMessage(Text::kSizeAndPattern);
      return fail();
    }
    try {
      pattern = CompileOnce(pattern_text);
    } catch (const std::bad_alloc&) {
      PrintMessage(Text::kMemoryError);
      return fail();
    }
    next += 1;
  }

  std::string input_name;  // as typed, or "stdin"
  if (input.redirected) {
    input_name = TextBytes(Text::kStdinName);
  } else {
    if (next >= argc) return fail();
    input_name = argv[next++];
    if (!OpenInput(&input.stream, input_name)) {
      PrintMessage(Text::kCannotOpen, input_name);
      return -1;
    }
  }
  const char* outdir = next < argc ? argv[next] : nullptr;

  int64_t size = InputSize(input, input_name);
  if (size < 0) return fail();
  if (size == 0) {
    PrintMessage(Text::kFileIsOdd, input_name);
    return fail();
  }

  uint64_t piece_size = static_cast<uint64_t>(options.n1) * 1000;
  uint64_t full = 0;
  if (!options.line_mode) {
    full = static_cast<uint64_t>(size) / piece_size;
    if (full > static_cast<uint64_t>(PieceMax)) {
      PrintMessage(Text::kSplitTooSmall);
      return fail();
    }
  }

  std::string prefix;
  int space = CheckDiskSpace(size, outdir);
  if (space == -1) PrintMessage(Text::kSplitNoSpace);
  if (space != 0) return fail();
  if (outdir && CheckOutputDir(&prefix, outdir) != 0) {
    PrintMessage(Text::kDirectoryNotFound, outdir);
    return fail();
  }

  std::string base =
      input.redirected ? TextBytes(Text::kStdinBaseName) : SplitBaseName(input_name.c_str());
  int64_t last_piece = options.line_mode ? PieceMax : static_cast<int64_t>(full);
  std::string clash = PieceThatIsInput(input.stream, prefix, base, last_piece);
  if (!clash.empty()) {
    PrintMessage(Text::kInputIsPiece, clash);
    return fail();
  }

  WorkBuffer work;
  if (!work.Allocate()) return fail();
  PrintFormat(Text::kBufferSize, static_cast<unsigned>(work.size()));
  char grouped[32];
  CommaFormat(size, grouped, sizeof grouped);
  PrintFormat(Text::kSplitting, input_name.c_str(), grouped);

  if (input.redirected) {
    FileTime now = Sys().Now();
    PieceTimes = FileTimes{now, now, now};
  } else {
    Sys().GetFileTimes(input_name, &PieceTimes);
  }

  bool ok;
  if (options.line_mode) {
    ok = SplitByLines(&input.stream, work, prefix, base, options.n1, pattern.get());
  } else {
    uint64_t rest = static_cast<uint64_t>(size) % piece_size;
    ok = SplitBySize(&input.stream, prefix, base, piece_size, full, rest);
  }
  if (ok && input.stream.error) {
    PrintMessage(Text::kReadFailed, input_name);
    ok = false;
  }

  ReleaseInput(&input);
  return ok ? 0 : -1;
}

}  // namespace zolt

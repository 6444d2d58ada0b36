#include "front/zolt_main.h"

#include <cstring>
#include <new>
#include <string>

#include "filters/control_codes.h"
#include "filters/encode.h"
#include "filters/kana.h"
#include "filters/letter_case.h"
#include "filters/newline.h"
#include "filters/plain_copy.h"
#include "filters/tabs.h"
#include "filters/uniq.h"
#include "front/command.h"
#include "front/usage.h"
#include "io/stream_pair.h"
#include "merge/merge.h"
#include "split/split.h"
#include "support/messages.h"
#include "support/platform.h"
#include "support/sjis.h"
#include "support/texts.h"

namespace zolt {

JobResult RunFilter(const Command& command, StreamPair* pair) {
  switch (command.job) {
    case Job::kNewlines:
      return ConvertNewlines(pair, command.newline);
    case Job::kJoin:
      return JoinLines(pair);
    case Job::kLower:
    case Job::kUpper:
      return ChangeCase(pair, command.job == Job::kLower);
    case Job::kDeleteControl:
      return DeleteControlCodes(pair);
    case Job::kKana:
      return WidenKana(pair);
    case Job::kTabs:
      return command.tab_width == 0 ? DeleteTabs(pair) : ExpandTabs(pair, command.tab_width);
    case Job::kUniq:
      return FoldDuplicateLines(pair, command.ignore_case);
    case Job::kEncode:
      return command.to_utf8 ? EncodeToUtf8(pair, command.replace)
                             : EncodeToCp932(pair, command.replace);
    default:
      return CopyUnchanged(pair);
  }
}

void ReportMemoryShortage() {
  // The text is ASCII: the same bytes in every encoding.
  const char* text = TextUtf8(Text::kMemoryError);
  Sys().Write(kStderr, text, std::strlen(text));
  Sys().Write(kStderr, "\n", 1);
}

namespace {

// Runs the filter job over the streams bound from the file arguments and
// reports what failed on them: binding, reading the input, writing the output.
JobResult RunFilterJob(const Command& command, int files, char** names) {
  StreamPair pair;
  BindResult bound = BindStreams(files, names, &pair);
  if (bound != BindResult::kBound) {
    ReleaseStreams(&pair);
    if (bound == BindResult::kSameFile) {
      PrintMessage(Text::kSameFile);
    } else if (bound == BindResult::kUnreadable) {
      PrintMessage(Text::kReadFailed, TextBytes(Text::kStdinName));
    } else {
      PrintMessage(Text::kSpecifyFiles);
      PrintMessage(Text::kUsageHint);
    }
    return JobResult::kFailed;
  }
  JobResult result = RunFilter(command, &pair);
  // A filter that failed before writing leaves an existing output alone.
  if (result == JobResult::kFailed) AbandonUnstarted(&pair.output);
  // A read error ends the input early: what was written is not all of it.
  bool read_failed = pair.input.error();
  std::string input_name = pair.redirected ? TextBytes(Text::kStdinName) : names[0];
  bool written = ReleaseStreams(&pair);
  if (read_failed) PrintMessage(Text::kReadFailed, input_name);
  if (!written) PrintMessage(Text::kWriteFailed, pair.output.name());
  // A filter that failed (a memory shortage) has left its output short.
  bool done = result == JobResult::kDone && written && !read_failed;
  return done ? JobResult::kDone : JobResult::kFailed;
}

// ZoltMain once the standard descriptors are safe.
int RunCommandLine(int argc, char** argv) {
  PrintBanner();
  int args = argc - 1;
  Command command;
  if (args == 0) {
    if (Sys().IsCharDevice(kStdin)) {
      PrintUsage();
      return 1;
    }
  } else {
    command = ParseSwitch(argv[1]);
  }
  if (command.job == Job::kInvalid) {
    PrintMessage(Text::kUsageHint);
    return 1;
  }
  if (command.job == Job::kUsage) return 1;
  if (command.job == Job::kHelp) return PrintUsageToStdout() ? 0 : 1;
  if (command.job == Job::kVersion) return PrintVersion() ? 0 : 1;

  if (args == 3 && SameFileName(argv[2], argv[3])) {
    PrintMessage(Text::kSameFile);
    return 1;
  }

  if (command.job == Job::kSplit) return ExitStatus(Split(command.split, args - 1, argv + 2));
  if (command.job == Job::kMerge) return ExitStatus(Merge(args, argv + 1));

  int files = command.has_switch ? args - 1 : args;
  return ExitStatus(RunFilterJob(command, files, command.has_switch ? argv + 2 : argv + 1));
}

}  // namespace

int ZoltMain(int argc, char** argv) {
  if (!Sys().OpenClosedStandardStreams()) {
    PrintRaw(Sys().LastError() + "\n");
    return 1;
  }
  try {
    return RunCommandLine(argc, argv);
  } catch (const std::bad_alloc&) {
    ReportMemoryShortage();
    return 1;
  }
}

}  // namespace zolt

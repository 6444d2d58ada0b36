#include "front/zolt_main.h"

#include <string>

#include "filters/case_control.h"
#include "filters/kana.h"
#include "filters/newline.h"
#include "filters/tabs.h"
#include "filters/uniq.h"
#include "front/parse_switch.h"
#include "front/stream_pair.h"
#include "front/usage.h"
#include "merge/merge.h"
#include "split/split.h"
#include "support/messages.h"
#include "support/platform.h"
#include "support/texts.h"

namespace zolt {

namespace {

int RunFilter(int job, int newline_type, int tab_width, StreamPair* pair) {
  switch (job) {
    case kJobUniq:
    case kJobUniqFolded:
      return Uniq(pair, job);
    case kJobLower:
    case kJobUpper:
      return ChangeCase(pair, job);
    case kJobJoin:
      return Join(pair);
    case kJobTabs:
      return tab_width == 0 ? DeleteTabs(pair) : Tab2space(pair, tab_width);
    case kJobKana:
      return Kana(pair);
    case kJobDeleteControl:
      return Deletecontrolchar(pair);
    default:
      return Crconv(pair, newline_type);
  }
}

}  // namespace

int ZoltMain(int argc, char** argv) {
  Sys().OpenClosedStandardStreams();
  PrintBanner();
  int args = argc - 1;
  int newline_type = 0;
  int tab_width = 0;
  int job = kJobNoSwitch;
  if (args == 0) {
    if (Sys().IsCharDevice(kStdin)) {
      PrintUsage();
      return 1;
    }
  } else {
    job = ParseSwitch(argv[1], &newline_type, &tab_width);
  }
  if (job == kJobInvalid) {
    PrintMessage(Text::kUsageHint);
    return 1;
  }
  if (job == kJobUsage) return 1;
  bool has_switch = job != kJobNoSwitch;
  if (!has_switch) job = kJobCrconv;

  if (args == 3 && SameFileName(argv[2], argv[3])) {
    PrintMessage(Text::kSameFile);
    return 1;
  }

  if (job == kJobSplit) return Split(args, argv + 1) == -1 ? 1 : 0;
  if (job == kJobMerge) return Merge(args, argv + 1) == -1 ? 1 : 0;

  int files = has_switch ? args - 1 : args;
  char** names = has_switch ? argv + 2 : argv + 1;
  StreamPair pair;
  BindResult bound = BindStreams(files, names, &pair);
  if (bound != BindResult::kBound) {
    ReleaseStreams(&pair);
    if (bound == BindResult::kSameFile) {
      PrintMessage(Text::kSameFile);
    } else {
      PrintMessage(Text::kSpecifyFiles);
      PrintMessage(Text::kUsageHint);
    }
    return 1;
  }
  int result = RunFilter(job, newline_type, tab_width, &pair);
  // A read error ends the input early: what was written is not all of it.
  bool read_failed = pair.input.error;
  std::string input_name = pair.redirected ? TextBytes(Text::kStdinName) : names[0];
  bool written = ReleaseStreams(&pair);
  if (read_failed) PrintMessage(Text::kReadFailed, input_name);
  if (!written) PrintMessage(Text::kWriteFailed, pair.output.name);
  // A filter that failed (a memory shortage) has left its output short.
  return result == 0 && written && !read_failed ? 0 : 1;
}

}  // namespace zolt

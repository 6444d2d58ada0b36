// The command: what the first argument asks for, read once into a typed
// value that the entry point dispatches on.
#pragma once

#include "filters/newline.h"
#include "split/split_options.h"

namespace zolt {

// The job one invocation performs.
enum class Job {
  kInvalid,        // a refused switch (message printed)
  kUsage,          // -? or -h (usage printed)
  kCopy,           // no switch: the input copied unchanged
  kNewlines,       // -Cx
  kJoin,           // -J
  kLower,          // -L
  kUpper,          // -P
  kDeleteControl,  // -D
  kKana,           // -K
  kTabs,           // -Tn
  kUniq,           // -U, -U+
  kMerge,          // -M
  kSplit,          // -S
  kEncode,         // -Eu, -Es, -Eu+, -Es+
  kHelp,           // --help
  kVersion,        // --version
};

struct Command {
  Job job = Job::kCopy;
  bool has_switch = false;           // the first argument was a switch
  Newline newline = Newline::kCrLf;  // kNewlines: the form every newline takes
  int tab_width = 0;                 // kTabs: 0 deletes TABs, 1 to 8 expands them
  bool ignore_case = false;          // kUniq: -U+ compares a-z equal to A-Z
  bool to_utf8 = false;              // kEncode: -Eu, CP932 to UTF-8 (else -Es)
  bool replace = false;              // kEncode: -Ex+ replaces what cannot be converted
  SplitOptions split;                // kSplit: n1, n2 and line mode
};

// Reads `text`, the first argument, as a switch. Prints the usage text for
// -? and -h, and the invalid-switch message for a refused switch. An
// argument that does not start a switch gives kCopy without has_switch.
Command ParseSwitch(const char* text);

}  // namespace zolt

// The switch parser.
#pragma once

namespace zolt {

// Job codes.
enum JobCode {
  kJobInvalid = -1,
  kJobNoSwitch = 0,
  kJobUsage = 1,
  kJobUniq = 2,
  kJobUniqFolded = 3,
  kJobLower = 4,
  kJobUpper = 5,
  kJobJoin = 6,
  kJobTabs = 7,
  kJobKana = 8,
  kJobCrconv = 9,
  kJobSplit = 10,
  kJobMerge = 11,
  kJobDeleteControl = 12,
};

// Reads `text` as a switch and returns its job code. Sets *newline_type for
// a valid -Cx and *tab_width for a valid -Tn. Prints the usage text for -?
// and -h, and the invalid-switch message for a refused switch.
int ParseSwitch(const char* text, int* newline_type, int* tab_width);

}  // namespace zolt

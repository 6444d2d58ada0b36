// The program's entry: one invocation, one job. The front end is the top of
// the program and nothing below includes it: zolt_main prints the banner,
// reads the first argument into a typed Command (command), prints the usage
// text (usage), refuses identical names, and hands the rest to a filter over
// bound streams, to merge or to split, turning the outcome into the exit
// status.
#pragma once

#include "front/command.h"
#include "io/stream_pair.h"
#include "support/job_result.h"

namespace zolt {

// Runs the filter job of `command` (a newline, letter-case, control-code,
// katakana, TAB, duplicate-line or UTF-8 job, else the plain copy) over
// `pair`.
JobResult RunFilter(const Command& command, StreamPair* pair);

// Writes the memory message without taking any memory.
void ReportMemoryShortage();

// Runs zolt with the command line `argv` (argv[0] the program name) and
// returns the process exit status.
int ZoltMain(int argc, char** argv);

}  // namespace zolt

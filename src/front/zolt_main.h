// The program's entry: one invocation, one job.
#pragma once

namespace zolt {

// Runs zolt with the command line `argv` (argv[0] the program name) and
// returns the process exit status.
int ZoltMain(int argc, char** argv);

}  // namespace zolt

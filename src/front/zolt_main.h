// The program's entry: one invocation, one job.
#pragma once

namespace zolt {

// A filter's result meaning "this job is not available in this build".
constexpr int kJobNotBuilt = -2;

// Runs zolt with the command line `argv` (argv[0] the program name) and
// returns the process exit status.
int ZoltMain(int argc, char** argv);

}  // namespace zolt

#pragma once

namespace zolt {

// The Merge job. argv[0] is the switch; returns 0, or -1 when the job failed.
int Merge(int argc, char** argv);

}  // namespace zolt

#pragma once

namespace zolt {

// The Split job. argv[0] is the switch; returns 0, or -1 when the job failed.
int Split(int argc, char** argv);

}  // namespace zolt

#pragma once

#include "front/stream_pair.h"

namespace zolt {

int Uniq(StreamPair* pair, int job);

}  // namespace zolt

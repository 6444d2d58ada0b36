#pragma once

#include "front/stream_pair.h"

namespace zolt {

int Tab2space(StreamPair* pair, int width);
int DeleteTabs(StreamPair* pair);

}  // namespace zolt

#pragma once

#include "front/stream_pair.h"

namespace zolt {

int ChangeCase(StreamPair* pair, int job);
int Deletecontrolchar(StreamPair* pair);

}  // namespace zolt

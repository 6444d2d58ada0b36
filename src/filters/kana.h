#pragma once

#include "front/stream_pair.h"

namespace zolt {

int Kana(StreamPair* pair);

}  // namespace zolt

// Runs a filter over a byte string through in-memory streams.
#pragma once

#include <functional>
#include <string>

#include "front/stream_pair.h"
#include "unit/fake_platform.h"

namespace zolt {

// Feeds `input` to `filter` (reads return at most `read_chunk` bytes, so
// block boundaries fall where the test wants) and returns what it wrote.
inline std::string RunFilterOn(const std::string& input,
                               const std::function<int(StreamPair*)>& filter,
                               size_t read_chunk = SIZE_MAX) {
  FakePlatform fake;
  fake.read_chunk = read_chunk;
  StreamPair pair;
  AttachInput(&pair.input, fake.AddInput(input), true);
  int out = fake.AddOutput();
  AttachOutput(&pair.output, out, true, "out");
  filter(&pair);
  CloseOutput(&pair.output);
  CloseInput(&pair.input);
  return fake.Contents(out);
}

}  // namespace zolt

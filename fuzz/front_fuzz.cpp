// Fuzz target for the whole program on random command lines, in process,
// with files in memory (a fake platform).
//
// Input: a flags byte, a write-budget byte, three length bytes, then the
// contents of the files "a", "b.txt" and the list file "l" of those lengths,
// then the arguments separated by NUL bytes. Every run must end with status
// 0 or 1, close every file it opened, release every block it allocated, and
// end with status 1 whenever a write or close of its output failed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "front/zolt_main.h"
#include "fuzz_support.h"
#include "unit/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zolt;
  if (size < 5) return 0;
  unsigned flags = data[0];
  const uint8_t* at = data + 5;
  const uint8_t* end = data + size;

  FakePlatform fake;
  fake.memory_files = true;
  fake.capture_stdout = true;
  fake.utf8 = (flags & 0x80) != 0;
  fake.disk["a"] = Take(&at, end, data[2]);
  fake.disk["b.txt"] = Take(&at, end, data[3]);
  fake.disk["l"] = Take(&at, end, data[4]);
  fake.disk["dir/c.txt"] = "c\r\n";
  switch (flags & 3) {
    case 0:
      fake.stdin_terminal = true;
      break;
    case 1:
      fake.stdin_data = fake.disk["a"];
      break;
    case 2:
      fake.stdin_data = std::string();
      break;
    default:
      fake.stdin_data = fake.disk["b.txt"];
      break;
  }
  if (flags & 4) fake.free_bytes = kFreeSpaceUnknown;
  if (flags & 8) fake.free_bytes = 100;
  if (flags & 16) fake.largest_allocation = 3000;
  if (flags & 32) fake.write_budget = size_t{data[1]} * 7;
  if (flags & 64) fake.fail_close_of = (data[1] & 1) ? "out" : "a._00";

  std::vector<std::string> args = {"zolt"};
  while (at < end && args.size() < 9) {
    const uint8_t* stop = at;
    while (stop < end && *stop != 0) ++stop;
    args.push_back(Take(&at, end, static_cast<size_t>(stop - at)));
    if (at < end) ++at;  // the NUL
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int status = ZoltMain(static_cast<int>(args.size()), argv.data());
  Require(status == 0 || status == 1, "exit status is 0 or 1");
  Require(fake.OpenNamedFiles() == 0, "every file opened is closed");
  Require(fake.allocated_blocks == 0, "every block allocated is released");
  if (fake.failed_writes > 0 || fake.failed_closes > 0)
    Require(status == 1, "a failed write or close ends with status 1");
  return 0;
}

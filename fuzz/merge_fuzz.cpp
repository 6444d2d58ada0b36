// Fuzz target for the merge job, run whole on in-memory files. Input: a
// flags byte (bit 0: writes fail after a budget; bit 1: large allocations
// fail), the lengths of the files "a", "b.txt", "c.txt" and "l" (a list),
// their contents, then the job arguments separated by NUL bytes. Oracle:
// nothing stays open or allocated, a failed write ends with status 1, and a
// run that ends with status 0 wrote exactly its inputs in argument order, as
// worked out here from the arguments alone.
#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "front/zolt_main.h"
#include "fuzz_support.h"
#include "unit/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const uint8_t* at = data + 5;
  const uint8_t* end = data + size;
  std::map<std::string, std::string> disk = {{"sub/e.txt", "E\r\n"}, {"sub/.f.txt", "F"}};
  int length = 1;
  for (const char* name : {"a", "b.txt", "c.txt", "l"}) disk[name] = Take(&at, end, data[length++]);
  std::vector<std::string> args = {"zolt", "-M"};
  while (at < end && args.size() < 10) {
    args.push_back(Take(&at, end, static_cast<size_t>(std::find(at, end, 0) - at)));
    if (at < end) ++at;
  }
  zolt::FakePlatform fake;
  fake.memory_files = true;
  fake.capture_stdout = true;
  fake.stdin_terminal = true;
  fake.disk = disk;
  if (data[0] & 1) fake.write_budget = data[0] * 3u;
  if (data[0] & 2) fake.largest_allocation = 1000;

  std::string expected, output;
  bool append = false;
  auto copy = [&](const std::string& name) { expected += disk.count(name) ? disk[name] : ""; };
  for (size_t i = 2; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.find_first_of("*?") != std::string::npos) {
      std::vector<zolt::DirEntry> found;
      fake.FindFiles(arg, &found);
      std::sort(found.begin(), found.end(), [](auto& x, auto& y) { return x.name < y.name; });
      for (const zolt::DirEntry& entry : found)
        copy(arg.substr(0, arg.rfind('/') + 1) + entry.name);
    } else if (arg[0] == '@') {
      std::string list = disk.count(arg.substr(1)) ? disk[arg.substr(1)] : "", line;
      for (char c : list.substr(0, list.find('\x1A')) + "\n") {
        if (c == '\n')
          copy(std::exchange(line, ""));
        else if (c != '\r')
          line.push_back(c);
      }
    } else if (arg[0] == '-' && (arg[1] == 'o' || arg[1] == 'O')) {
      append = append || arg[2] == '+';
      std::string name = arg.substr(arg[2] == '+' ? 3 : 2);
      if (name.empty() && i + 1 < args.size()) name = args[++i];
      if (!name.empty()) output = name;
    } else {
      copy(arg);
    }
  }

  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int status = zolt::ZoltMain(static_cast<int>(args.size()), argv.data());
  Require(status == 0 || status == 1, "exit status is 0 or 1");
  Require(fake.OpenNamedFiles() == 0, "every file opened is closed");
  Require(fake.allocated_blocks == 0, "every block allocated is released");
  if (fake.failed_writes > 0) Require(status == 1, "a failed write ends with status 1");
  if (status != 0) return 0;
  std::string written = output.empty() ? fake.out : fake.disk[output];
  if (append && disk.count(output)) {
    Require(written.compare(0, disk[output].size(), disk[output]) == 0,
            "appending keeps the bytes");
    written.erase(0, disk[output].size());
  }
  Require(written == expected, "the output is the inputs in argument order");
  return 0;
}

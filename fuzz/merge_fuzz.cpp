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
#include "io/stream_pair.h"
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
  std::vector<std::string> found;  // inputs and list files that exist
  bool append = false, wildcard = false, enough = false;
  bool clean = (data[0] & 3) == 0;  // no failure injected and every input exists
  int files = 0;
  auto copy = [&](const std::string& name) {
    clean = clean && disk.count(name);
    if (disk.count(name)) expected += disk[name], found.push_back(name);
  };
  for (size_t i = 2; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.find_first_of("*?") != std::string::npos) {
      clean = clean && !wildcard;
      wildcard = true;
      std::vector<zolt::DirEntry> entries;
      fake.FindFiles(arg, &entries);
      std::sort(entries.begin(), entries.end(), [](auto& x, auto& y) { return x.name < y.name; });
      for (const zolt::DirEntry& entry : entries)
        copy(arg.substr(0, arg.rfind('/') + 1) + entry.name);
      enough = enough || !entries.empty();
    } else if (arg[0] == '@') {
      enough = true;
      const std::string name = arg.substr(1);
      std::string list = disk.count(name) ? disk[name] : "", line;
      clean = clean && disk.count(name);
      found.push_back(name);
      for (char c : list.substr(0, list.find('\x1A'))) {
        if (c == '\n')
          copy(std::exchange(line, ""));
        else if (c != '\r')
          line.push_back(c);
      }
      if (!line.empty()) copy(line);
    } else if (arg[0] == '-' && (arg[1] == 'o' || arg[1] == 'O')) {
      append = append || arg[2] == '+';
      std::string name = arg.substr(arg[2] == '+' ? 3 : 2);
      if (!name.empty())
        output = name;
      else if (i + 1 < args.size())
        output = args[++i];  // whatever it is
      clean = clean && !output.empty();
    } else {
      files += static_cast<int>(disk.count(arg));
      copy(arg);
    }
  }
  // Too few inputs, an output among them, or two names the front end takes
  // for the same file fail the run.
  clean = clean && (enough || files >= 2) &&
          std::find(found.begin(), found.end(), output) == found.end() &&
          !(args.size() == 4 && zolt::SameFileName(args[2].c_str(), args[3].c_str()));

  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int status = zolt::ZoltMain(static_cast<int>(args.size()), argv.data());
  Require(status == 0 || status == 1, "exit status is 0 or 1");
  Require(fake.OpenNamedFiles() == 0, "every file opened is closed");
  Require(fake.allocated_blocks == 0, "every block allocated is released");
  if (fake.failed_writes > 0) Require(status == 1, "a failed write ends with status 1");
  if (clean) Require(status == 0, "a run whose inputs all exist succeeds");
  if (status != 0) return 0;
  const std::string kept = append && disk.count(output) ? disk[output] : "";
  Require((output.empty() ? fake.out : fake.disk[output]) == kept + expected,
          "the output is what it kept followed by the inputs in argument order");
  return 0;
}

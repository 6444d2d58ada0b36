// Fuzz target for the merge job, run whole on in-memory files.
//
// Input: a flags byte (bit 0: writes fail after a budget; bit 1: large
// allocations fail), the lengths of the files "a", "b.txt", "c.txt" and of
// the list file "l", their contents, then the job arguments separated by NUL
// bytes ("sub/e.txt" and "sub/.f.txt" exist as well). Oracle: nothing stays
// open or allocated, a failed write ends with status 1, and a run that ends
// with status 0 wrote exactly its inputs in argument order, as worked out
// here from the arguments alone.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "front/zolt_main.h"
#include "fuzz_support.h"
#include "unit/fake_platform.h"

namespace {

using Disk = std::map<std::string, std::string>;

// What a successful run writes: plain inputs and listed names as they
// exist, the wildcard's files sorted by their bytes; the output option last
// given names the output ("+": appended to).
struct Expected {
  std::string bytes;
  std::string output;
  bool append = false;
};

// The names in a list file: lines without CR, up to the first 0x1A.
std::vector<std::string> ListEntries(const std::string& list) {
  std::vector<std::string> names(1);
  for (char c : list.substr(0, list.find('\x1A'))) {
    if (c == '\n') names.emplace_back();
    if (c != '\n' && c != '\r') names.back().push_back(c);
  }
  if (names.back().empty()) names.pop_back();
  return names;
}

Expected Expect(const std::vector<std::string>& args, const Disk& disk, zolt::FakePlatform* fake) {
  Expected e;
  auto copy = [&](const std::string& name) {
    if (disk.count(name)) e.bytes += disk.at(name);
  };
  for (size_t i = 2; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.find_first_of("*?") != std::string::npos) {
      std::vector<zolt::DirEntry> entries;
      fake->FindFiles(arg, &entries);
      std::vector<std::string> names;
      for (const zolt::DirEntry& entry : entries) names.push_back(entry.name);
      std::sort(names.begin(), names.end());
      for (const std::string& name : names) copy(arg.substr(0, arg.rfind('/') + 1) + name);
    } else if (arg[0] == '@') {
      if (disk.count(arg.substr(1)))
        for (const std::string& name : ListEntries(disk.at(arg.substr(1)))) copy(name);
    } else if (arg[0] == '-' && (arg[1] == 'o' || arg[1] == 'O')) {
      std::string name = arg.substr(arg[2] == '+' ? 3 : 2);
      e.append = e.append || arg[2] == '+';
      if (name.empty() && i + 1 < args.size()) name = args[++i];
      if (!name.empty()) e.output = name;
    } else {
      copy(arg);
    }
  }
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const uint8_t* at = data + 5;
  const uint8_t* end = data + size;
  Disk disk = {{"sub/e.txt", "E\r\n"}, {"sub/.f.txt", "F"}};
  int length = 1;
  for (const char* name : {"a", "b.txt", "c.txt", "l"}) disk[name] = Take(&at, end, data[length++]);
  std::vector<std::string> args = {"zolt", "-M"};
  while (at < end && args.size() < 10) {
    const uint8_t* stop = std::find(at, end, 0);
    args.push_back(Take(&at, end, static_cast<size_t>(stop - at)));
    if (at < end) ++at;
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  zolt::FakePlatform fake;
  fake.memory_files = true;
  fake.capture_stdout = true;
  fake.stdin_terminal = true;
  fake.disk = disk;
  if (data[0] & 1) fake.write_budget = data[0] * 3u;
  if (data[0] & 2) fake.largest_allocation = 1000;
  const Expected expected = Expect(args, disk, &fake);
  int status = zolt::ZoltMain(static_cast<int>(args.size()), argv.data());
  Require(status == 0 || status == 1, "exit status is 0 or 1");
  Require(fake.OpenNamedFiles() == 0, "every file opened is closed");
  Require(fake.allocated_blocks == 0, "every block allocated is released");
  if (fake.failed_writes > 0) Require(status == 1, "a failed write ends with status 1");
  if (status != 0) return 0;
  std::string written = expected.output.empty() ? fake.out : fake.disk[expected.output];
  if (expected.append && disk.count(expected.output)) {
    const std::string& old = disk[expected.output];
    Require(written.compare(0, old.size(), old) == 0, "appending keeps the output's bytes");
    written.erase(0, old.size());
  }
  Require(written == expected.bytes, "the output is the inputs in argument order");
  return 0;
}

// Fuzz target for the whole program, run in process on random command lines
// with files in memory (a fake platform). Input: a flags byte, a byte B, the
// lengths of the files "a", "b.txt", "c.txt" and the list "l", their contents,
// then the arguments separated by NUL bytes. Flags: bits 0-1 standard input
// (a terminal, "a", empty, "b.txt"); bit 2 free space unknown; bit 3 100 bytes
// free; bit 4 allocations over 1000 bytes (B bit 1) or 3000 fail; bit 5 writes
// fail after B * 3 bytes (B odd) or B * 7; bit 6 closing "out" (B odd) or
// "a._00" fails; bit 7 messages in UTF-8. Every run ends with status 0 or 1,
// closes every file, releases every block, and ends with status 1 after a
// failed write or close. A run whose switch is exactly -M succeeds when no
// failure is injected and its inputs all exist; when it succeeds it wrote what
// it kept followed by its inputs in argument order, worked out from the
// arguments alone.
#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "front/zolt_main.h"
#include "fuzz_support.h"
#include "io/stream_pair.h"
#include "support/sjis.h"
#include "unit/fake_platform.h"

namespace {

// What a merge run must do.
struct MergeOracle {
  bool must_succeed = false;
  std::string output;   // empty: standard output
  std::string written;  // the output's bytes after a successful run
};

// Works out the merge run `args` (args[1] is -M) from the files in `fake`,
// before it runs; `clean` when no failure is injected.
MergeOracle ForeseeMerge(zolt::FakePlatform& fake, const std::vector<std::string>& args,
                         bool clean) {
  const std::map<std::string, std::string> disk = fake.disk;
  MergeOracle oracle;
  std::vector<std::string> found;  // inputs and list files that exist
  bool append = false, wildcard = false, enough = false;
  int files = 0;
  auto copy = [&](const std::string& name) {
    clean = clean && disk.count(name);
    if (disk.count(name)) oracle.written += disk.at(name), found.push_back(name);
  };
  for (size_t i = 2; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.find_first_of("*?") != std::string::npos) {
      clean = clean && !std::exchange(wildcard, true);
      std::vector<zolt::DirEntry> entries;
      fake.FindFiles(arg, &entries);
      std::sort(entries.begin(), entries.end(), [](auto& x, auto& y) { return x.name < y.name; });
      for (const zolt::DirEntry& entry : entries)
        copy(arg.substr(0, arg.rfind('/') + 1) + entry.name);
      enough = enough || !entries.empty();
    } else if (arg[0] == '@') {
      enough = true;
      const std::string name = arg.substr(1);
      std::string list = disk.count(name) ? disk.at(name) : "";
      clean = clean && disk.count(name);
      found.push_back(name);
      list.erase(std::remove(list.begin(), list.end(), '\r'), list.end());
      std::istringstream lines(list.substr(0, list.find('\x1A')));  // a name a line, CRs dropped
      for (std::string line; std::getline(lines, line);) copy(line);
    } else if (arg[0] == '-' && (arg[1] == 'o' || arg[1] == 'O')) {
      append = append || arg[2] == '+';
      std::string name = arg.substr(arg[2] == '+' ? 3 : 2);
      // An empty name takes the next argument, whatever it is.
      if (!name.empty() || i + 1 < args.size()) oracle.output = name.empty() ? args[++i] : name;
      clean = clean && !oracle.output.empty();
    } else {
      files += static_cast<int>(disk.count(arg));
      copy(arg);
    }
  }
  // Too few inputs, an output among them, or two names the front end takes
  // for the same file fail the run.
  oracle.must_succeed = clean && (enough || files >= 2) &&
                        std::find(found.begin(), found.end(), oracle.output) == found.end() &&
                        !(args.size() == 4 && zolt::SameFileName(args[2].c_str(), args[3].c_str()));
  if (append && disk.count(oracle.output)) oracle.written.insert(0, disk.at(oracle.output));
  return oracle;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const unsigned flags = data[0], b = data[1];
  const uint8_t* at = data + 6;
  const uint8_t* end = data + size;
  zolt::FakePlatform fake;
  fake.memory_files = true;
  fake.capture_stdout = true;
  fake.utf8 = (flags & 128) != 0;
  fake.disk = {{"dir/c.txt", "c\r\n"}, {"sub/e.txt", "E\r\n"}, {"sub/.f.txt", "F"}};
  int length = 2;
  for (const char* name : {"a", "b.txt", "c.txt", "l"})
    fake.disk[name] = Take(&at, end, data[length++]);
  fake.stdin_terminal = (flags & 3) == 0;
  if (flags & 3) fake.stdin_data = (flags & 3) == 2 ? "" : fake.disk[flags & 2 ? "b.txt" : "a"];
  if (flags & 4) fake.free_bytes = zolt::kFreeSpaceUnknown;
  if (flags & 8) fake.free_bytes = 100;
  if (flags & 16) fake.largest_allocation = b & 2 ? 1000 : 3000;
  if (flags & 32) fake.write_budget = b * (b & 1 ? 3u : 7u);
  if (flags & 64) fake.fail_close_of = b & 1 ? "out" : "a._00";
  std::vector<std::string> args = {"zolt"};
  for (; at < end && args.size() < 10; at += at < end)  // past the NUL that ends an argument
    args.push_back(Take(&at, end, static_cast<size_t>(std::find(at, end, 0) - at)));
  const bool merge = args.size() > 1 && args[1] == "-M";
  const MergeOracle oracle = merge ? ForeseeMerge(fake, args, (flags & 0x7C) == 0) : MergeOracle();

  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int status = zolt::ZoltMain(static_cast<int>(args.size()), argv.data());
  Require(status == 0 || status == 1, "exit status is 0 or 1");
  Require(fake.OpenNamedFiles() == 0, "every file opened is closed");
  Require(fake.allocated_blocks == 0, "every block allocated is released");
  if (fake.failed_writes > 0 || fake.failed_closes > 0)
    Require(status == 1, "a failed write or close ends with status 1");
  if (oracle.must_succeed) Require(status == 0, "a merge whose inputs all exist succeeds");
  if (merge && status == 0)
    Require((oracle.output.empty() ? fake.out : fake.disk[oracle.output]) == oracle.written,
            "the merge output is what it kept followed by the inputs in argument order");
  return 0;
}

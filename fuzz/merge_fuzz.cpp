// Fuzz target for merge's argument scan and run, on in-memory files.
//
// Input: a flags byte, the lengths of the files "a", "b.txt" and "c.txt"
// and of the list file "l", their contents, then the job arguments
// separated by NUL bytes ("sub/e.txt" and "sub/.f.txt" exist as well). The scan must give one item
// per argument, count its plain inputs and list files, and return the argument count or -1. A whole
// run that ends with status 0 must have written exactly the inputs the scan found, in argument
// order, and nothing may stay open or allocated.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "front/zolt_main.h"
#include "fuzz_support.h"
#include "merge/merge_args.h"
#include "unit/fake_platform.h"

namespace {

// The names in a list file: lines without CR, up to the first 0x1A.
std::vector<std::string> ListEntries(const std::string& list) {
  std::vector<std::string> names;
  std::string line;
  for (char c : list) {
    if (c == '\x1A') break;
    if (c == '\n') {
      names.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line.push_back(c);
    }
  }
  if (!line.empty()) names.push_back(line);
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zolt;
  if (size < 5) return 0;
  const uint8_t* at = data + 5;
  const uint8_t* end = data + size;
  std::map<std::string, std::string> disk;
  disk["a"] = Take(&at, end, data[1]);
  disk["b.txt"] = Take(&at, end, data[2]);
  disk["c.txt"] = Take(&at, end, data[3]);
  disk["l"] = Take(&at, end, data[4]);
  disk["sub/e.txt"] = "E\r\n";
  disk["sub/.f.txt"] = "F";
  std::vector<std::string> args = {"zolt", "-M"};
  while (at < end && args.size() < 10) {
    const uint8_t* stop = at;
    while (stop < end && *stop != 0) ++stop;
    args.push_back(Take(&at, end, static_cast<size_t>(stop - at)));
    if (at < end) ++at;
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int count = static_cast<int>(args.size()) - 2;

  // The scan alone.
  std::string expected;
  std::string output;
  bool append = false;
  {
    FakePlatform fake;
    fake.memory_files = true;
    fake.disk = disk;
    MergeScan scan;
    int result = MergeArgs(count, argv.data() + 2, &scan);
    Require(result == count || result == -1, "the scan returns the count or -1");
    Require(scan.items.size() == static_cast<size_t>(count), "one item per argument");
    if (result == -1) return 0;
    int files = 0;
    int lists = 0;
    for (const MergeItem& item : scan.items) {
      switch (item.kind) {
        case MergeItemKind::kFile:
          ++files;
          Require(disk.count(item.arg) == 1, "a plain input exists");
          expected += disk[item.arg];
          break;
        case MergeItemKind::kListFile:
          ++lists;
          if (disk.count(item.arg + 1))
            for (const std::string& name : ListEntries(disk[item.arg + 1]))
              expected += disk.count(name) ? disk[name] : std::string();
          break;
        case MergeItemKind::kWildcard:
          Require(std::is_sorted(scan.wildcard.names.begin(), scan.wildcard.names.end()),
                  "wildcard names sorted");
          for (const std::string& name : scan.wildcard.names)
            expected += disk[scan.dir_prefix + name];
          break;
        case MergeItemKind::kSkip:
          break;
      }
    }
    Require(files == scan.file_count, "plain inputs counted");
    Require(lists == scan.list_count, "list files counted");
    output = scan.output;
    append = scan.append;
  }

  // The whole run.
  FakePlatform fake;
  fake.memory_files = true;
  fake.capture_stdout = true;
  fake.stdin_terminal = true;
  fake.disk = disk;
  if (data[0] & 1) fake.write_budget = data[0] * 3u;
  if (data[0] & 2) fake.largest_allocation = 1000;
  int status = ZoltMain(static_cast<int>(args.size()), argv.data());
  Require(status == 0 || status == 1, "exit status is 0 or 1");
  Require(fake.OpenNamedFiles() == 0, "every file opened is closed");
  Require(fake.allocated_blocks == 0, "every block allocated is released");
  if (fake.failed_writes > 0) Require(status == 1, "a failed write ends with status 1");
  if (status == 0) {
    std::string written;
    if (output.empty()) {
      written = fake.out;
    } else {
      written = fake.disk[output];
      if (append && disk.count(output)) {
        Require(written.compare(0, disk[output].size(), disk[output]) == 0,
                "appending keeps the output's bytes");
        written.erase(0, disk[output].size());
      }
    }
    Require(written == expected, "the output is the inputs in argument order");
  }
  return 0;
}

// Fuzz target for the whole program on random command lines, in process.
// Files live in memory (a fake platform), or, when the top bit of the second
// byte is set, in a scratch directory that is the current directory, where
// names that could lead out of it (absolute, or with a ".." component) are
// refused.
//
// Input: a flags byte, a write-budget byte, three length bytes, then the
// contents of the files "a", "b.txt" and the list file "l" of those lengths,
// then the arguments separated by NUL bytes. Every run must end with status
// 0 or 1, close every file it opened, release every block it allocated, and
// end with status 1 whenever a write or close of its output failed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "front/zolt_main.h"
#include "fuzz_support.h"
#include "unit/fake_platform.h"

namespace {

// True for a name that stays inside the current directory.
bool Inside(const std::string& name) {
  if (name.empty() || name[0] == '/') return false;
  size_t start = 0;
  for (;;) {
    size_t slash = name.find('/', start);
    if (name.compare(start, slash == std::string::npos ? std::string::npos : slash - start, "..") ==
        0)
      return false;
    if (slash == std::string::npos) return true;
    start = slash + 1;
  }
}

// The fake platform over the real file system, kept inside the scratch
// directory.
class ScratchPlatform : public zolt::FakePlatform {
 public:
  int Open(const std::string& name, zolt::OpenMode mode) override {
    return Inside(name) ? FakePlatform::Open(name, mode) : -1;
  }
  bool Remove(const std::string& name) override {
    return Inside(name) && FakePlatform::Remove(name);
  }
  bool FindFiles(const std::string& pattern, std::vector<zolt::DirEntry>* entries) override {
    return Inside(pattern) && FakePlatform::FindFiles(pattern, entries);
  }
  bool SetFileTimes(const std::string& name, const zolt::FileTimes& times) override {
    return Inside(name) && FakePlatform::SetFileTimes(name, times);
  }
};

namespace fs = std::filesystem;

fs::path scratch;

void RemoveScratch() {
  std::error_code ignored;
  fs::remove_all(scratch, ignored);
}

// Makes the scratch directory the current one (once; it is removed at exit)
// and empties it.
void EnterEmptyScratch() {
  if (scratch.empty()) {
    char name[] = "/tmp/zolt-front-fuzz-XXXXXX";
    if (!mkdtemp(name)) std::abort();
    scratch = name;
    fs::current_path(scratch);
    std::atexit(RemoveScratch);
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(scratch))
    fs::remove_all(entry.path());
}

// Descriptors this process has open.
size_t OpenDescriptorCount() {
  size_t count = 0;
  for (auto it = fs::directory_iterator("/proc/self/fd"); it != fs::directory_iterator(); ++it)
    ++count;
  return count;
}

void WriteScratchFile(const std::string& name, const std::string& data) {
  std::ofstream(name, std::ios::binary) << data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zolt;
  if (size < 5) return 0;
  unsigned flags = data[0];
  const uint8_t* at = data + 5;
  const uint8_t* end = data + size;

  bool real_files = (data[1] & 0x80) != 0;
  ScratchPlatform fake;
  fake.memory_files = !real_files;
  fake.capture_stdout = true;
  fake.utf8 = (flags & 0x80) != 0;
  fake.disk["a"] = Take(&at, end, data[2]);
  fake.disk["b.txt"] = Take(&at, end, data[3]);
  fake.disk["l"] = Take(&at, end, data[4]);
  fake.disk["dir/c.txt"] = "c\r\n";
  if (real_files) {
    EnterEmptyScratch();
    fs::create_directory("dir");
    for (const auto& [name, contents] : fake.disk) WriteScratchFile(name, contents);
  }
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
  if (flags & 32) fake.write_budget = size_t{data[1] & 0x7Fu} * 7;
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

  size_t descriptors = real_files ? OpenDescriptorCount() : 0;
  int status = ZoltMain(static_cast<int>(args.size()), argv.data());
  Require(status == 0 || status == 1, "exit status is 0 or 1");
  if (real_files)
    Require(OpenDescriptorCount() == descriptors, "every descriptor opened is closed");
  else
    Require(fake.OpenNamedFiles() == 0, "every file opened is closed");
  Require(fake.allocated_blocks == 0, "every block allocated is released");
  if (fake.failed_writes > 0 || fake.failed_closes > 0)
    Require(status == 1, "a failed write or close ends with status 1");
  return 0;
}

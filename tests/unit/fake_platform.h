// A Platform for unit tests and fuzz targets, installed for the lifetime of
// the object: in-memory descriptors for data, a directory of made-up names,
// failures injected on demand. Everything it does not fake goes to the real
// system.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/platform.h"
#include "support/wildcard_match.h"

namespace zolt {

// Failures a FakePlatform injects; a test may set them all at once.
struct Faults {
  size_t write_budget = SIZE_MAX;           // bytes writable before writes fail
  std::string fail_close_of;                // closing this file, opened for writing, fails
  size_t read_fails_at = SIZE_MAX;          // reading a named file past this offset fails
  std::vector<size_t> read_sizes;           // sizes of successive reads, cycled
  int fail_open_at = 0;                     // the N-th Open (from 1) fails
  int fail_allocation_from = 0;             // the N-th allocation (from 1) and later fail
  size_t largest_allocation = SIZE_MAX;     // larger requests fail
  size_t allocation_budget = SIZE_MAX;      // total bytes allocatable
  bool fail_find = false;                   // FindFiles finds nothing
  bool fail_remove = false;                 // Remove fails
  size_t extra_size = 0;                    // BytesLeft claims this many bytes more
  bool fail_get_times = false;              // GetFileTimes fails
  bool fail_set_times = false;              // SetFileTimes fails
  uint64_t free_bytes = uint64_t{1} << 50;  // kFreeSpaceUnknown: the query fails
};

class FakePlatform : public Platform, public Faults {
 public:
  FakePlatform() : real_(NativePlatform()), previous_(SetPlatform(this)) {}
  ~FakePlatform() override { SetPlatform(previous_); }
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  // An in-memory file readable through the returned descriptor.
  int AddInput(const std::string& data) {
    int fd = next_fd_++;
    files_[fd] = {"", data, 0};
    return fd;
  }
  // An in-memory file that collects what is written to it.
  int AddOutput() {
    int fd = next_fd_++;
    files_[fd] = {};
    return fd;
  }
  const std::string& Contents(int fd) { return Data(files_[fd]); }
  // Named files opened and not yet closed.
  size_t OpenNamedFiles() const {
    return static_cast<size_t>(std::count_if(files_.begin(), files_.end(),
                                             [](const auto& f) { return !f.second.name.empty(); }));
  }

  // With `memory_files` set, named files live in `disk` (name to contents):
  // Open, Remove, FindFiles, IdentifyName and the file times work on it and
  // never on the system's files.
  bool memory_files = false;
  std::map<std::string, std::string> disk;
  std::map<std::string, FileTimes> times;  // times set on files in `disk`
  bool utf8 = false;                       // answer of MessagesInUtf8
  VectorWidth vectors = VectorWidth::k64;  // the widest the filters may take
  std::string err;                         // what was written to descriptor 2
  // With `capture_stdout`, descriptor 1 is an in-memory file (not a
  // terminal) whose bytes collect in `out`.
  bool capture_stdout = false;
  std::string out;
  // Standard input: the system's unless one of these is set. A redirected
  // standard input yields `stdin_data`.
  bool stdin_terminal = false;
  std::optional<std::string> stdin_data;
  // Counters.
  int opens = 0;
  int failed_writes = 0;  // writes and closes that were made to fail
  int failed_closes = 0;
  int allocations = 0;
  // With `count_new`, every operator new of the unit tests counts as an
  // allocation too, and fails like one (counted_new.cpp).
  bool count_new = false;
  bool AllocationFails() {
    return fail_allocation_from > 0 && ++allocations >= fail_allocation_from;
  }
  size_t allocated_blocks = 0;  // blocks allocated and not yet released

  int Open(const std::string& name, OpenMode mode) override {
    if (++opens == fail_open_at) return -1;
    if (!memory_files) return real_.Open(name, mode);
    bool reading = mode == OpenMode::kRead || mode == OpenMode::kProbe;
    bool exists = disk.count(name) > 0;
    if ((reading && !exists) || (mode == OpenMode::kCreateNew && exists)) return -1;
    if (name.empty()) return -1;
    if (mode == OpenMode::kTruncate || mode == OpenMode::kPiece) disk[name].clear();
    if (!reading) disk[name];
    int fd = next_fd_++;
    files_[fd] = {name, "", 0, !reading};
    return fd;
  }
  int64_t Read(int fd, void* buffer, size_t size) override {
    auto it = files_.find(fd);
    if (it == files_.end()) return real_.Read(fd, buffer, size);
    MemFile& f = it->second;
    const std::string& data = Data(f);
    if (!f.name.empty() && f.pos >= read_fails_at) return -1;
    if (f.pos > data.size()) f.pos = data.size();
    size_t n = std::min(size, data.size() - f.pos);
    if (!read_sizes.empty()) {
      n = std::min(n, read_sizes[next_read_]);
      next_read_ = (next_read_ + 1) % read_sizes.size();
    }
    data.copy(static_cast<char*>(buffer), n, f.pos);
    f.pos += n;
    return static_cast<int64_t>(n);
  }
  bool Write(int fd, const void* data, size_t size) override {
    if (fd == kStderr) {
      err.append(static_cast<const char*>(data), size);
      return true;
    }
    if (size > write_budget) {
      write_budget = 0;
      ++failed_writes;
      return false;
    }
    write_budget -= size;
    if (fd == kStdout && capture_stdout) {
      out.append(static_cast<const char*>(data), size);
      return true;
    }
    auto it = files_.find(fd);
    if (it == files_.end()) return real_.Write(fd, data, size);
    bool counting = std::exchange(count_new, false);  // a system's write takes no memory
    Data(it->second).append(static_cast<const char*>(data), size);
    count_new = counting;
    return true;
  }
  bool Truncate(int fd) override {
    auto it = files_.find(fd);
    if (it == files_.end()) return real_.Truncate(fd);
    Data(it->second).clear();
    return true;
  }
  bool Close(int fd) override {
    auto it = files_.find(fd);
    if (it == files_.end()) return real_.Close(fd);
    bool fails = it->second.writing && it->second.name == fail_close_of;
    if (fails) ++failed_closes;
    if (!it->second.name.empty()) files_.erase(it);
    return !fails;
  }
  int Duplicate(int fd) override {
    if (fd == kStdin && stdin_data) return AddInput(*stdin_data);
    return real_.Duplicate(fd);
  }
  bool Remove(const std::string& name) override {
    if (fail_remove) return false;
    if (!memory_files) return real_.Remove(name);
    return disk.erase(name) > 0;
  }
  bool NameExists(const std::string& name) override {
    return memory_files ? disk.count(name) > 0 : real_.NameExists(name);
  }
  int64_t BytesLeft(int fd) override {
    auto it = files_.find(fd);
    if (it == files_.end()) return real_.BytesLeft(fd);
    const std::string& data = Data(it->second);
    return static_cast<int64_t>(data.size() + extra_size - std::min(it->second.pos, data.size()));
  }
  std::string LastError() override { return real_.LastError(); }
  bool IsCharDevice(int fd) override {
    if (files_.count(fd)) return false;
    if (fd == kStdin && stdin_data) return false;
    if (fd == kStdin && stdin_terminal) return true;
    if (fd == kStdout && capture_stdout) return false;
    return real_.IsCharDevice(fd);
  }
  void SetStreamMode(int fd, StreamMode mode) override { real_.SetStreamMode(fd, mode); }
  void ReattachStdinToConsole() override {}
  bool OpenClosedStandardStreams() override { return true; }
  FileId IdentifyDescriptor(int fd) override {
    auto it = files_.find(fd);
    if (it != files_.end()) return it->second.name.empty() ? FileId{} : IdOf(it->second.name);
    if (fd == kStdout && capture_stdout) return {};
    return real_.IdentifyDescriptor(fd);
  }
  FileId IdentifyName(const std::string& name) override {
    if (!memory_files) return real_.IdentifyName(name);
    return disk.count(name) ? IdOf(name) : FileId{};
  }
  bool FindFiles(const std::string& pattern, std::vector<DirEntry>* entries) override {
    if (fail_find) return false;
    if (!memory_files) return real_.FindFiles(pattern, entries);
    // One directory is searched: names in it are given without it.
    size_t slash = pattern.rfind('/');
    std::string dir = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
    std::string leaf_pattern = pattern.substr(dir.size());
    bool found = false;
    auto take = [&](const std::string& name, uint64_t size) {
      if (name.compare(0, dir.size(), dir) != 0) return;
      std::string leaf = name.substr(dir.size());
      if (leaf.find('/') != std::string::npos) return;
      if (leaf == leaf_pattern || (HasWildcard(leaf_pattern.c_str()) &&
                                   WildcardMatch(leaf_pattern.c_str(), leaf.c_str()))) {
        entries->push_back({leaf, size});
        found = true;
      }
    };
    for (const auto& [name, data] : disk) take(name, data.size());
    return found;
  }
  bool GetFileTimes(const std::string& name, FileTimes* t) override {
    if (fail_get_times) return false;
    if (!memory_files) return real_.GetFileTimes(name, t);
    if (!disk.count(name)) return false;
    *t = times[name];
    return true;
  }
  bool SetFileTimes(const std::string& name, const FileTimes& t) override {
    if (fail_set_times) return false;
    if (!memory_files) return real_.SetFileTimes(name, t);
    if (!disk.count(name)) return false;
    times[name] = t;
    return true;
  }
  FileTime Now() override { return real_.Now(); }
  uint64_t FreeBytes(const char*) override { return free_bytes; }
  uint64_t FreeBytesOf(int) override { return free_bytes; }
  void* Allocate(size_t size) override {
    if (AllocationFails()) return nullptr;
    if (size > largest_allocation || size > allocation_budget) return nullptr;
    allocation_budget -= size;
    void* block = real_.Allocate(size);
    if (block) ++allocated_blocks;
    return block;
  }
  void Release(void* block) override {
    if (block) --allocated_blocks;
    real_.Release(block);
  }
  bool MessagesInUtf8() override { return utf8; }
  bool WideVectors() override { return vectors != VectorWidth::k16 && real_.WideVectors(); }
  bool WidestVectors() override { return vectors == VectorWidth::k64 && real_.WidestVectors(); }

 private:
  struct MemFile {
    std::string name;  // a file in `disk`, or empty for a descriptor's own data
    std::string data;
    size_t pos = 0;
    bool writing = false;
  };
  std::string& Data(MemFile& f) { return f.name.empty() ? f.data : disk[f.name]; }
  FileId IdOf(const std::string& name) {
    uint64_t id = ids_.try_emplace(name, ids_.size() + 1).first->second;
    return {true, true, 2, id};
  }
  Platform& real_;
  Platform* previous_;
  std::map<int, MemFile> files_;
  std::map<std::string, uint64_t> ids_;  // identities of named files, fixed once seen
  int next_fd_ = 1000;
  size_t next_read_ = 0;
};

}  // namespace zolt

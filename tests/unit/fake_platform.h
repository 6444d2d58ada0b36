// A Platform for unit tests: in-memory descriptors for data, and failures
// injected on demand. Everything it does not fake goes to the real system.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>

#include "support/platform.h"

namespace zolt {

class FakePlatform : public Platform {
 public:
  FakePlatform() : real_(NativePlatform()), previous_(SetPlatform(this)) {}
  ~FakePlatform() override { SetPlatform(previous_); }

  // An in-memory file readable through the returned descriptor.
  int AddInput(const std::string& data) {
    int fd = next_fd_++;
    files_[fd] = {data, 0};
    return fd;
  }
  // An in-memory file that collects what is written to it.
  int AddOutput() {
    int fd = next_fd_++;
    files_[fd] = {};
    return fd;
  }
  const std::string& Contents(int fd) { return files_[fd].data; }

  // Injected failures.
  size_t largest_allocation = SIZE_MAX;  // larger requests fail
  size_t write_budget = SIZE_MAX;        // bytes writable before writes fail
  bool fail_close = false;
  uint64_t free_bytes = kFreeSpaceUnknown - 1;  // kFreeSpaceUnknown: query fails
  bool fake_free_bytes = false;
  size_t read_chunk = SIZE_MAX;  // most bytes one read returns
  std::string stderr_text;       // what was written to descriptor 2

  int Open(const std::string& name, OpenMode mode) override { return real_.Open(name, mode); }
  int64_t Read(int fd, void* buffer, size_t size) override {
    auto it = files_.find(fd);
    if (it == files_.end()) return real_.Read(fd, buffer, size);
    MemFile& f = it->second;
    size_t n = std::min({size, f.data.size() - f.pos, read_chunk});
    f.data.copy(static_cast<char*>(buffer), n, f.pos);
    f.pos += n;
    return static_cast<int64_t>(n);
  }
  bool Write(int fd, const void* data, size_t size) override {
    if (fd == kStderr) {
      stderr_text.append(static_cast<const char*>(data), size);
      return true;
    }
    if (size > write_budget) {
      write_budget = 0;
      return false;
    }
    write_budget -= size;
    auto it = files_.find(fd);
    if (it == files_.end()) return real_.Write(fd, data, size);
    it->second.data.append(static_cast<const char*>(data), size);
    return true;
  }
  bool Close(int fd) override {
    if (files_.count(fd)) return !fail_close;
    return real_.Close(fd) && !fail_close;
  }
  int Duplicate(int fd) override { return real_.Duplicate(fd); }
  bool Remove(const std::string& name) override { return real_.Remove(name); }
  int64_t FileSize(int fd) override {
    auto it = files_.find(fd);
    if (it != files_.end()) return static_cast<int64_t>(it->second.data.size());
    return real_.FileSize(fd);
  }
  std::string LastError() override { return real_.LastError(); }
  bool IsCharDevice(int fd) override { return files_.count(fd) ? false : real_.IsCharDevice(fd); }
  void SetBinaryMode(int fd, bool binary) override { real_.SetBinaryMode(fd, binary); }
  void ReattachStdinToConsole() override {}
  FileId IdentifyDescriptor(int fd) override {
    if (files_.count(fd)) return {};
    return real_.IdentifyDescriptor(fd);
  }
  FileId IdentifyName(const std::string& name) override { return real_.IdentifyName(name); }
  bool FindFiles(const std::string& pattern, std::vector<DirEntry>* entries) override {
    return real_.FindFiles(pattern, entries);
  }
  bool GetFileTimes(const std::string& name, FileTimes* times) override {
    return real_.GetFileTimes(name, times);
  }
  bool SetFileTimes(const std::string& name, const FileTimes& times) override {
    return real_.SetFileTimes(name, times);
  }
  FileTime Now() override { return real_.Now(); }
  uint64_t FreeBytes(const char* path) override {
    return fake_free_bytes ? free_bytes : real_.FreeBytes(path);
  }
  void* Allocate(size_t size) override {
    return size > largest_allocation ? nullptr : real_.Allocate(size);
  }
  void Release(void* block) override { real_.Release(block); }
  bool MessagesInUtf8() override { return false; }

 private:
  struct MemFile {
    std::string data;
    size_t pos = 0;
  };
  Platform& real_;
  Platform* previous_;
  std::map<int, MemFile> files_;
  int next_fd_ = 1000;
};

}  // namespace zolt

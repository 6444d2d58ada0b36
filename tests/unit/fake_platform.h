// A Platform for unit tests: forwards every call to the system's own
// implementation, except what a test chooses to replace. Installed for the
// lifetime of the object.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/platform.h"

namespace zolt {

class FakePlatform : public Platform {
 public:
  FakePlatform() { previous_ = SetPlatform(this); }
  ~FakePlatform() override { SetPlatform(previous_); }
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  // What standard error received.
  std::string err;
  // Answer of FreeBytes, and the paths it was asked about ("<null>" for none).
  uint64_t free_bytes = 0;
  std::vector<std::string> free_paths;
  // When not empty, the directory: FindFiles and IdentifyName see only
  // these names (plain names, no wildcards), with their sizes.
  std::map<std::string, uint64_t> files;

  int Open(const std::string& name, OpenMode mode) override { return base_.Open(name, mode); }
  int64_t Read(int fd, void* buffer, size_t size) override { return base_.Read(fd, buffer, size); }
  bool Write(int fd, const void* data, size_t size) override {
    if (fd == kStderr) {
      err.append(static_cast<const char*>(data), size);
      return true;
    }
    return base_.Write(fd, data, size);
  }
  bool Close(int fd) override { return base_.Close(fd); }
  int Duplicate(int fd) override { return base_.Duplicate(fd); }
  bool Remove(const std::string& name) override { return base_.Remove(name); }
  int64_t FileSize(int fd) override { return base_.FileSize(fd); }
  std::string LastError() override { return base_.LastError(); }
  bool IsCharDevice(int fd) override { return base_.IsCharDevice(fd); }
  void SetBinaryMode(int fd, bool binary) override { base_.SetBinaryMode(fd, binary); }
  void ReattachStdinToConsole() override {}
  FileId IdentifyDescriptor(int fd) override { return base_.IdentifyDescriptor(fd); }
  FileId IdentifyName(const std::string& name) override {
    if (files.empty()) return base_.IdentifyName(name);
    auto it = files.find(name);
    if (it == files.end()) return {};
    return {true, true, 1, static_cast<uint64_t>(std::distance(files.begin(), it)) + 1};
  }
  bool FindFiles(const std::string& pattern, std::vector<DirEntry>* entries) override {
    if (files.empty()) return base_.FindFiles(pattern, entries);
    auto it = files.find(pattern);
    if (it == files.end()) return false;
    entries->push_back({it->first, it->second, false, false, false});
    return true;
  }
  bool GetFileTimes(const std::string& name, FileTimes* times) override {
    return base_.GetFileTimes(name, times);
  }
  bool SetFileTimes(const std::string& name, const FileTimes& times) override {
    return base_.SetFileTimes(name, times);
  }
  FileTime Now() override { return base_.Now(); }
  uint64_t FreeBytes(const char* path) override {
    free_paths.push_back(path ? path : "<null>");
    return free_bytes;
  }
  void* Allocate(size_t size) override { return base_.Allocate(size); }
  void Release(void* block) override { base_.Release(block); }
  bool MessagesInUtf8() override { return true; }

 private:
  Platform& base_ = NativePlatform();
  Platform* previous_ = nullptr;
};

}  // namespace zolt

#include "filter_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/platform.h"

namespace zolt::testing {

namespace {

constexpr int kInputFd = 1000;
constexpr int kOutputFd = 1001;

class MemoryPlatform : public Platform {
 public:
  MemoryPlatform(const std::string& input, const std::vector<size_t>& reads, size_t budget)
      : input_(input), reads_(reads), budget_(budget) {}

  FilterRun run;

  int Open(const std::string& name, OpenMode mode) override { return real_.Open(name, mode); }
  int64_t Read(int fd, void* buffer, size_t size) override {
    if (fd != kInputFd) return real_.Read(fd, buffer, size);
    size_t n = std::min(size, input_.size() - offset_);
    if (!reads_.empty()) {
      n = std::min(n, reads_[next_read_]);
      next_read_ = (next_read_ + 1) % reads_.size();
    }
    std::memcpy(buffer, input_.data() + offset_, n);
    offset_ += n;
    return static_cast<int64_t>(n);
  }
  bool Write(int fd, const void* data, size_t size) override {
    const char* bytes = static_cast<const char*>(data);
    if (fd == kOutputFd) {
      run.out.append(bytes, size);
      return true;
    }
    if (fd == kStderr) {
      run.err.append(bytes, size);
      return true;
    }
    return real_.Write(fd, data, size);
  }
  bool Close(int fd) override { return fd == kInputFd || fd == kOutputFd || real_.Close(fd); }
  int Duplicate(int fd) override { return real_.Duplicate(fd); }
  bool Remove(const std::string& name) override { return real_.Remove(name); }
  int64_t FileSize(int fd) override { return real_.FileSize(fd); }
  std::string LastError() override { return real_.LastError(); }
  bool IsCharDevice(int fd) override { return real_.IsCharDevice(fd); }
  void SetBinaryMode(int fd, bool binary) override { real_.SetBinaryMode(fd, binary); }
  void ReattachStdinToConsole() override { real_.ReattachStdinToConsole(); }
  FileId IdentifyDescriptor(int fd) override { return real_.IdentifyDescriptor(fd); }
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
  uint64_t FreeBytes(const char* path) override { return real_.FreeBytes(path); }
  void* Allocate(size_t size) override {
    if (size > budget_) return nullptr;
    budget_ -= size;
    return real_.Allocate(size);
  }
  void Release(void* block) override { real_.Release(block); }
  bool MessagesInUtf8() override { return false; }

 private:
  Platform& real_ = NativePlatform();
  std::string input_;
  size_t offset_ = 0;
  std::vector<size_t> reads_;
  size_t next_read_ = 0;
  size_t budget_;
};

}  // namespace

FilterRun RunJob(const std::function<int(StreamPair*)>& job, const std::string& input,
                 const std::vector<size_t>& reads, size_t allocation_budget) {
  MemoryPlatform memory(input, reads, allocation_budget);
  Platform* previous = SetPlatform(&memory);
  StreamPair pair;
  AttachInput(&pair.input, kInputFd, true);
  AttachOutput(&pair.output, kOutputFd, true, "out");
  memory.run.result = job(&pair);
  CloseOutput(&pair.output);
  CloseInput(&pair.input);
  SetPlatform(previous);
  return memory.run;
}

std::vector<size_t> RandomReads(std::mt19937* rng, size_t size) {
  std::vector<size_t> reads;
  size_t total = 0;
  while (total < size) {
    size_t n;
    switch ((*rng)() % 4) {
      case 0:
        n = 1;
        break;
      case 1:
      case 2:
        n = 1 + (*rng)() % 8;
        break;
      default:
        n = 1 + (*rng)() % 4096;
        break;
    }
    reads.push_back(n);
    total += n;
  }
  if (reads.empty()) reads.push_back(1);
  return reads;
}

std::string RandomText(std::mt19937* rng, size_t max_length) {
  static const unsigned char kSpecial[] = {
      '\r', '\n', '\t', 0x00, 0x1A, 0x7F, 0x81, 0x82, 0x83, 0x9F, 0xE0, 0xFC, 0xA0, 0xA1,
      0xB3, 0xB6, 0xC4, 0xC5, 0xCA, 0xCE, 0xCF, 0xDE, 0xDF, 'A',  'Z',  'a',  'z',  'x'};
  size_t length = (*rng)() % (max_length + 1);
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    unsigned r = (*rng)() % 8;
    unsigned char b;
    if (r < 5) {
      b = kSpecial[(*rng)() % sizeof(kSpecial)];
    } else if (r < 7) {
      b = static_cast<unsigned char>('A' + (*rng)() % 58);  // letters and a few signs
    } else {
      b = static_cast<unsigned char>((*rng)() % 256);
    }
    text.push_back(static_cast<char>(b));
  }
  return text;
}

void CheckAgainstReference(const Job& job, const Reference& reference, unsigned seed,
                           const Generator& generate) {
  std::mt19937 rng(seed);
  for (int i = 0; i < 400; ++i) {
    // Mostly short texts, now and then one longer than an input block.
    size_t max_length = i % 50 == 49 ? 3 * kStreamBlock : 400;
    std::string text = generate(&rng, max_length);
    std::vector<size_t> reads = RandomReads(&rng, text.size());
    if (i % 10 == 0) reads = {1};
    std::string expected = reference(text);
    FilterRun run = RunJob(job, text, reads);
    if (run.out != expected || run.result != 0) {
      ADD_FAILURE() << "input " << Hex(text.substr(0, 400)) << (text.size() > 400 ? "..." : "")
                    << "\nexpected " << Hex(expected.substr(0, 400)) << "\nactual   "
                    << Hex(run.out.substr(0, 400)) << "\nresult " << run.result;
      return;
    }
  }
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char b : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

}  // namespace zolt::testing

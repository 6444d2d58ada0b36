#include "io/stream.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "support/platform.h"
#include "support/sjis.h"

namespace zolt {

void AttachInput(InStream* in, int fd, Ownership owned) {
  *in = InStream{};
  in->fd_ = UniqueFd(fd, owned);
  in->buffer_.resize(kStreamBlock);
}

void AttachOutput(OutStream* out, int fd, Ownership owned, const std::string& name) {
  *out = OutStream{};
  out->fd_ = UniqueFd(fd, owned);
  out->name_ = name;
  out->buffer_.resize(kStreamBlock);
}

bool OpenInput(InStream* in, const std::string& name) {
  int fd = Sys().Open(name, OpenMode::kRead);
  if (fd < 0) return false;
  AttachInput(in, fd, Ownership::kOwned);
  return true;
}

bool OpenOutput(OutStream* out, const std::string& name, OpenMode mode) {
  OutStream ready;
  AttachOutput(&ready, -1, Ownership::kOwned, name);
  ready.fd_ = UniqueFd(Sys().Open(name, mode), Ownership::kOwned);
  if (!ready.is_open()) return false;
  ready.truncate_ = mode == OpenMode::kWrite && Sys().IdentifyDescriptor(ready.fd()).regular;
  *out = std::move(ready);
  return true;
}

void AbandonUnstarted(OutStream* out) {
  if (!out->truncate_) return;
  out->used_ = 0;
  out->truncate_ = false;
}

size_t FillInput(InStream* in, size_t most) {
  if (in->pos_ < in->end_) return in->end_ - in->pos_;
  in->pos_ = in->end_ = 0;
  if (in->eof_ || in->error_ || !in->is_open()) return 0;
  int64_t n = Sys().Read(in->fd(), in->buffer_.data(), std::min(most, in->buffer_.size()));
  if (n < 0) {
    in->error_ = true;
    return 0;
  }
  if (n == 0) {
    in->eof_ = true;
    return 0;
  }
  in->end_ = static_cast<size_t>(n);
  return in->end_;
}

int64_t ReadLine(InStream* in, char* line, size_t size) {
  if (size == 0) return -1;
  size_t stored = 0;
  while (stored + 1 < size) {
    if (FillInput(in) == 0) break;
    const char* start = in->buffer_.data() + in->pos_;
    size_t avail = std::min(in->end_ - in->pos_, size - 1 - stored);
    const void* lf = std::memchr(start, '\n', avail);
    size_t take = lf ? static_cast<size_t>(static_cast<const char*>(lf) - start) + 1 : avail;
    std::memcpy(line + stored, start, take);
    stored += take;
    in->pos_ += take;
    if (lf) break;
  }
  if (stored + 1 == size && stored > 1 && line[stored - 1] != '\n' &&
      EndsWithLeadByte(line, stored)) {
    --stored;  // a chunk cut by the limit keeps a character whole
    --in->pos_;
  }
  line[stored] = '\0';
  if (stored == 0 || in->error_) return -1;
  return static_cast<int64_t>(stored);
}

int64_t SystemCopy(InStream* in, OutStream* out, size_t most) {
  int64_t n = Sys().CopyFileData(in->fd(), out->fd(), most);
  if (n == 0) in->eof_ = true;
  return n;
}

void WriteBytesSlow(OutStream* out, const char* data, size_t size) {
  if (out->failed_ || !out->is_open()) return;
  if (size < kWriteThrough && size <= out->buffer_.size() - out->used_) {
    std::memcpy(out->buffer_.data() + out->used_, data, size);
    out->used_ += size;
    return;
  }
  if (!FlushOutput(out)) return;
  if (size >= kWriteThrough) {
    if (!Sys().Write(out->fd(), data, size)) out->failed_ = true;
    return;
  }
  std::memcpy(out->buffer_.data(), data, size);
  out->used_ = size;
}

bool FlushOutput(OutStream* out) {
  if (out->failed_) {
    out->used_ = 0;
    return false;
  }
  if (out->truncate_) {
    out->truncate_ = false;
    if (!Sys().Truncate(out->fd())) {
      out->failed_ = true;
      out->used_ = 0;
      return false;
    }
  }
  if (out->used_ == 0 || !out->is_open()) return true;
  if (!Sys().Write(out->fd(), out->buffer_.data(), out->used_)) out->failed_ = true;
  out->used_ = 0;
  return !out->failed_;
}

bool CloseOutput(OutStream* out) {
  bool ok = FlushOutput(out);
  if (!out->fd_.Close()) {
    out->failed_ = true;
    ok = false;
  }
  return ok;
}

void CloseInput(InStream* in) {
  in->fd_.Close();
}

}  // namespace zolt

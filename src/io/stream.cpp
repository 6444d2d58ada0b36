#include "io/stream.h"

#include <algorithm>
#include <cstring>

#include "support/platform.h"
#include "support/sjis.h"

namespace zolt {

namespace {

// Releases a descriptor the stream owns.
void Release(int fd, bool owned) {
  if (owned && fd >= 0) Sys().Close(fd);
}

}  // namespace

InStream& InStream::operator=(InStream&& other) noexcept {
  if (this == &other) return *this;
  Release(fd, owned);
  fd = std::exchange(other.fd, -1);
  owned = other.owned;
  eof = other.eof;
  error = other.error;
  buffer = std::move(other.buffer);
  pos = other.pos;
  end = other.end;
  return *this;
}

InStream::~InStream() {
  Release(fd, owned);
}

OutStream& OutStream::operator=(OutStream&& other) noexcept {
  if (this == &other) return *this;
  Release(fd, owned);
  fd = std::exchange(other.fd, -1);
  owned = other.owned;
  unbuffered = other.unbuffered;
  failed = other.failed;
  truncate = other.truncate;
  name = std::move(other.name);
  buffer = std::move(other.buffer);
  used = other.used;
  return *this;
}

OutStream::~OutStream() {
  Release(fd, owned);
}

void AttachInput(InStream* in, int fd, Ownership owned) {
  *in = InStream{};
  in->fd = fd;
  in->owned = owned == Ownership::kOwned;
  in->buffer.resize(kStreamBlock);
}

void AttachOutput(OutStream* out, int fd, Ownership owned, const std::string& name) {
  *out = OutStream{};
  out->fd = fd;
  out->owned = owned == Ownership::kOwned;
  out->name = name;
  out->buffer.resize(kStreamBlock);
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
  ready.fd = Sys().Open(name, mode);
  if (ready.fd < 0) return false;
  ready.truncate = mode == OpenMode::kWrite && Sys().IdentifyDescriptor(ready.fd).regular;
  *out = std::move(ready);
  return true;
}

void AbandonUnstarted(OutStream* out) {
  if (!out->truncate) return;
  out->used = 0;
  out->truncate = false;
}

size_t FillInput(InStream* in) {
  if (in->pos < in->end) return in->end - in->pos;
  in->pos = in->end = 0;
  if (in->eof || in->error || in->fd < 0) return 0;
  int64_t n = Sys().Read(in->fd, in->buffer.data(), in->buffer.size());
  if (n < 0) {
    in->error = true;
    return 0;
  }
  if (n == 0) {
    in->eof = true;
    return 0;
  }
  in->end = static_cast<size_t>(n);
  return in->end;
}

int64_t ReadLine(InStream* in, char* line, size_t size) {
  if (size == 0) return -1;
  size_t stored = 0;
  while (stored + 1 < size) {
    if (FillInput(in) == 0) break;
    const char* start = in->buffer.data() + in->pos;
    size_t avail = std::min(in->end - in->pos, size - 1 - stored);
    const void* lf = std::memchr(start, '\n', avail);
    size_t take = lf ? static_cast<size_t>(static_cast<const char*>(lf) - start) + 1 : avail;
    std::memcpy(line + stored, start, take);
    stored += take;
    in->pos += take;
    if (lf) break;
  }
  if (stored + 1 == size && stored > 1 && line[stored - 1] != '\n' &&
      EndsWithLeadByte(line, stored)) {
    --stored;  // a chunk cut by the limit keeps a character whole
    --in->pos;
  }
  line[stored] = '\0';
  if (stored == 0 || in->error) return -1;
  return static_cast<int64_t>(stored);
}

void WriteBytesSlow(OutStream* out, const char* data, size_t size) {
  if (out->failed || out->fd < 0) return;
  if (size < kWriteThrough && size <= out->buffer.size() - out->used) {
    std::memcpy(out->buffer.data() + out->used, data, size);
    out->used += size;
    return;
  }
  if (!FlushOutput(out)) return;
  if (size >= kWriteThrough) {
    if (!Sys().Write(out->fd, data, size)) out->failed = true;
    return;
  }
  std::memcpy(out->buffer.data(), data, size);
  out->used = size;
}

bool FlushOutput(OutStream* out) {
  if (out->failed) {
    out->used = 0;
    return false;
  }
  if (out->truncate) {
    out->truncate = false;
    if (!Sys().Truncate(out->fd)) {
      out->failed = true;
      out->used = 0;
      return false;
    }
  }
  if (out->used == 0 || out->fd < 0) return true;
  if (!Sys().Write(out->fd, out->buffer.data(), out->used)) out->failed = true;
  out->used = 0;
  return !out->failed;
}

bool CloseOutput(OutStream* out) {
  bool ok = FlushOutput(out);
  if (out->owned && out->fd >= 0) {
    if (!Sys().Close(out->fd)) {
      out->failed = true;
      ok = false;
    }
  }
  out->fd = -1;
  return ok;
}

void CloseInput(InStream* in) {
  if (in->owned && in->fd >= 0) Sys().Close(in->fd);
  in->fd = -1;
}

}  // namespace zolt

// Shared I/O below the jobs: buffered streams over platform descriptors
// (stream), the binding of standard input and output to a filter run
// (stream_pair), the work buffer (work_buffer) and the one copy loop (copy).
//
// Buffered byte streams over platform descriptors.
//
// Data moves in blocks of kStreamBlock bytes. An output stream remembers its
// first write failure; later writes are dropped and the failure is reported
// once, by whoever closes the stream. A stream owns the descriptor it was
// opened or attached with as `owned`: its destructor releases one that was
// not closed (an output without writing what is still buffered), so a job
// closes explicitly only where it reports the result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "support/platform.h"

namespace zolt {

constexpr size_t kStreamBlock = size_t{128} * 1024;

struct InStream {
  InStream() = default;
  InStream(InStream&& other) noexcept { *this = std::move(other); }
  InStream& operator=(InStream&& other) noexcept;
  ~InStream();

  int fd = -1;
  bool owned = false;  // closed by CloseInput
  bool eof = false;
  bool error = false;
  std::vector<char> buffer;  // buffered bytes live in [pos, end)
  size_t pos = 0;
  size_t end = 0;
  bool is_open() const { return fd >= 0; }
};

struct OutStream {
  OutStream() = default;
  OutStream(OutStream&& other) noexcept { *this = std::move(other); }
  OutStream& operator=(OutStream&& other) noexcept;
  ~OutStream();

  int fd = -1;
  bool owned = false;        // closed by CloseOutput
  bool unbuffered = false;   // EndOfBlock writes through (a terminal)
  bool failed = false;       // a write, flush or close failed
  bool truncate = false;     // the file is emptied before the first write
  std::string name;          // for the failure message
  std::vector<char> buffer;  // kStreamBlock bytes once attached
  size_t used = 0;           // buffered bytes live in [0, used)
  bool is_open() const { return fd >= 0; }
};

// Whether a stream closes the descriptor it is bound to.
enum class Ownership {
  kBorrowed,  // left open: it belongs to someone else (standard output)
  kOwned,     // closed with the stream
};

// Binds a stream to an open descriptor, which it closes when `owned`.
void AttachInput(InStream* in, int fd, Ownership owned);
void AttachOutput(OutStream* out, int fd, Ownership owned, const std::string& name);

// Opens a named file for reading; false (stream left closed) on failure.
bool OpenInput(InStream* in, const std::string& name);
// Opens a named file for writing in `mode` (kTruncate, kAppend, kPiece, or
// kWrite: a regular file is emptied only when the first byte is written or
// the stream is closed). The buffer comes first, so a memory shortage leaves
// the file alone. False on failure.
bool OpenOutput(OutStream* out, const std::string& name, OpenMode mode);
// Drops the bytes an output opened with kWrite holds when none has reached
// its file yet: the file stays as it was, also when the stream is closed.
void AbandonUnstarted(OutStream* out);

// Makes at least one byte available in [pos, end) unless the input ended;
// returns the number of bytes buffered.
size_t FillInput(InStream* in);
// Stores bytes through the first LF, at most size - 1 of them (one fewer
// when the last would be a lead byte, so that a line's chunks start on
// characters), ends them with NUL and returns the count stored; returns -1
// (nothing stored) at end of input or after a read error.
int64_t ReadLine(InStream* in, char* line, size_t size);

// Writes of at least this many bytes go straight from the caller's memory.
constexpr size_t kWriteThrough = kStreamBlock / 2;
// The part of WriteBytes that flushes or writes through.
void WriteBytesSlow(OutStream* out, const char* data, size_t size);
// Appends bytes to the output buffer, writing full blocks through.
inline void WriteBytes(OutStream* out, const char* data, size_t size) {
  if (size <= out->buffer.size() - out->used && size < kWriteThrough) {
    std::memcpy(out->buffer.data() + out->used, data, size);
    out->used += size;
    return;
  }
  WriteBytesSlow(out, data, size);
}
inline void WriteByte(OutStream* out, char byte) {
  if (out->used < out->buffer.size()) {
    out->buffer[out->used++] = byte;
    return;
  }
  WriteBytesSlow(out, &byte, 1);
}
// Writes what is buffered. Returns false when the stream has failed.
bool FlushOutput(OutStream* out);
// Direct writes into the output buffer, for the inner loops of the filters:
// a loop asks once for room for the most it can write, then stores through a
// plain pointer (whole words at a time, some bytes of which may be
// overwritten by the next store) and says where it stopped.
// Where `size` bytes may be written at the end of what `out` holds, flushing
// it first when they do not fit; nullptr when they still do not (no buffer),
// in which case the caller writes through WriteBytes.
inline char* OutputRoom(OutStream* out, size_t size) {
  if (out->buffer.size() - out->used < size) FlushOutput(out);
  if (out->buffer.size() - out->used < size) return nullptr;
  return out->buffer.data() + out->used;
}
// Ends a direct write that began at OutputRoom: the bytes before `stop` are
// now part of the output.
inline void OutputDone(OutStream* out, const char* stop) {
  out->used = static_cast<size_t>(stop - out->buffer.data());
}

// Called by a job after each block of input it has processed: on a terminal
// (an unbuffered output) the output of that block is written at once, so it
// is never held back; elsewhere nothing happens.
inline void EndOfBlock(OutStream* out) {
  if (out->unbuffered) FlushOutput(out);
}

// Flushes and closes an owned output; false when anything failed.
bool CloseOutput(OutStream* out);
// Closes an owned input.
void CloseInput(InStream* in);

}  // namespace zolt

// Shared I/O below the jobs: buffered streams (stream) over descriptors
// held by one owner (unique_fd), the binding of standard input and output to a filter run
// (stream_pair), the work buffer (work_buffer) and the one copy loop (copy).
//
// Buffered byte streams over platform descriptors.
//
// Data moves in blocks of kStreamBlock bytes. An output stream remembers its
// first write failure; later writes are dropped and the failure is reported
// once, by whoever closes the stream. A stream holds its descriptor as a
// UniqueFd, owned or borrowed as it was opened or attached: when the stream
// goes away an owned descriptor that was not closed is closed (an output
// without writing what is still buffered), so a job closes explicitly only
// where it reports the result.
//
// The buffers are reached only through the functions below: an input offers
// the bytes it holds (Pending) and is told how many were used (Consume); an
// output takes bytes (WriteBytes, WriteByte) or gives room for a direct write
// (OutputRoom) and is told where the write stopped (OutputDone). Streams
// move; a moved-from stream holds no descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "io/unique_fd.h"
#include "support/platform.h"

namespace zolt {

constexpr size_t kStreamBlock = size_t{128} * 1024;

class InStream;
class OutStream;
// Has the system copy at most `most` bytes from `in`'s descriptor to
// `out`'s, past both buffers, which the caller has emptied. Returns the
// bytes copied; 0 marks the input ended; -1 when the system cannot copy
// between the two (nothing is marked: reads and writes then take over).
int64_t SystemCopy(InStream* in, OutStream* out, size_t most);

class InStream {
 public:
  // The bytes read and not yet consumed. They stay where they are, and may
  // be changed in place, until the next FillInput or ReadLine.
  std::span<char> Pending() { return {buffer_.data() + pos_, end_ - pos_}; }
  // Marks the first `count` (at most Pending().size()) pending bytes used.
  void Consume(size_t count) { pos_ += count; }
  // The descriptor read from, -1 when none.
  int fd() const { return fd_.get(); }
  bool is_open() const { return fd_.is_open(); }
  // A read returned nothing: the input ended.
  bool eof() const { return eof_; }
  // A read failed; nothing more is read.
  bool error() const { return error_; }

 private:
  friend void AttachInput(InStream* in, int fd, Ownership owned);
  friend size_t FillInput(InStream* in, size_t most);
  friend int64_t ReadLine(InStream* in, char* line, size_t size);
  friend void CloseInput(InStream* in);
  friend int64_t SystemCopy(InStream* in, OutStream* out, size_t most);

  UniqueFd fd_;
  bool eof_ = false;
  bool error_ = false;
  std::vector<char> buffer_;  // pending bytes live in [pos_, end_)
  size_t pos_ = 0;
  size_t end_ = 0;
};

class OutStream {
 public:
  // The descriptor written to, -1 when none.
  int fd() const { return fd_.get(); }
  bool is_open() const { return fd_.is_open(); }
  // A write, flush or close failed; later writes are dropped.
  bool failed() const { return failed_; }
  // Each block's output is written at once (a terminal).
  bool unbuffered() const { return unbuffered_; }
  // The output as the user named it, for the failure message.
  const std::string& name() const { return name_; }
  // Has EndOfBlock write each block's output through at once (a terminal).
  void WriteEachBlock() { unbuffered_ = true; }

 private:
  friend void AttachOutput(OutStream* out, int fd, Ownership owned, const std::string& name);
  friend bool OpenOutput(OutStream* out, const std::string& name, OpenMode mode);
  friend void AbandonUnstarted(OutStream* out);
  friend void WriteBytesSlow(OutStream* out, const char* data, size_t size);
  friend void WriteBytes(OutStream* out, const char* data, size_t size);
  friend void WriteByte(OutStream* out, char byte);
  friend bool FlushOutput(OutStream* out);
  friend char* SpareRoom(OutStream* out, size_t size);
  friend void OutputDone(OutStream* out, const char* stop);
  friend bool CloseOutput(OutStream* out);
  friend int64_t SystemCopy(InStream* in, OutStream* out, size_t most);

  UniqueFd fd_;
  bool unbuffered_ = false;   // EndOfBlock writes through (a terminal)
  bool failed_ = false;       // a write, flush or close failed
  bool truncate_ = false;     // the file is emptied before the first write
  std::string name_;          // for the failure message
  std::vector<char> buffer_;  // kStreamBlock bytes once attached
  size_t used_ = 0;           // buffered bytes live in [0, used_)
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

// Makes at least one byte pending unless the input ended: when none is,
// reads at most `most` bytes. Returns the number of bytes pending.
size_t FillInput(InStream* in, size_t most = kStreamBlock);
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
  if (size <= out->buffer_.size() - out->used_ && size < kWriteThrough) {
    std::memcpy(out->buffer_.data() + out->used_, data, size);
    out->used_ += size;
    return;
  }
  WriteBytesSlow(out, data, size);
}
inline void WriteByte(OutStream* out, char byte) {
  if (out->used_ < out->buffer_.size()) {
    out->buffer_[out->used_++] = byte;
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
// Where `size` bytes may be written at the end of what `out` holds as it
// is, without flushing; nullptr when they do not fit.
inline char* SpareRoom(OutStream* out, size_t size) {
  if (out->buffer_.size() - out->used_ < size) return nullptr;
  return out->buffer_.data() + out->used_;
}
// Where `size` bytes may be written at the end of what `out` holds, flushing
// it first when they do not fit; nullptr when they still do not (no buffer),
// in which case the caller writes through WriteBytes.
inline char* OutputRoom(OutStream* out, size_t size) {
  if (char* room = SpareRoom(out, size)) return room;
  FlushOutput(out);
  return SpareRoom(out, size);
}
// Ends a direct write that began at OutputRoom or SpareRoom: the bytes
// before `stop` are now part of the output.
inline void OutputDone(OutStream* out, const char* stop) {
  out->used_ = static_cast<size_t>(stop - out->buffer_.data());
}

// Called by a job after each block of input it has processed: on a terminal
// (an unbuffered output) the output of that block is written at once, so it
// is never held back; elsewhere nothing happens.
inline void EndOfBlock(OutStream* out) {
  if (out->unbuffered()) FlushOutput(out);
}

// Flushes and closes an owned output; false when anything failed.
bool CloseOutput(OutStream* out);
// Closes an owned input.
void CloseInput(InStream* in);

}  // namespace zolt

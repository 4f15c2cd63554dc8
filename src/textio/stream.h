// stream.h: the byte streams under the units.
//
// The layer does its own buffering over file descriptors rather than using
// C stdio: an output buffer only ever holds whole records, so it can be
// written out from any point, a signal handler included, without leaving
// half a line in the file; and write failures are seen where they happen.
#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>

namespace textio {

// Input: one character at a time with a push-back of one.
class InStream {
 public:
  static constexpr int kEnd = -1;    // end of input (sticky)
  static constexpr int kError = -2;  // the platform reported a read error

  // Reads from the descriptor `fd`.
  void attach_fd(int fd);
  // Reads the `size` bytes at `data`, then ends; the bytes are not copied
  // and must outlive the stream (tests and the fuzz target use this).
  void attach_text(const char* data, std::size_t size);

  // The next character (0 ... 255), kEnd, or kError (the error number is
  // then in error()). A carriage return directly before a line feed is
  // dropped, so CR LF reads as one line end; any other carriage return is
  // an ordinary character. An interrupted read is retried after sig_poll()
  // had its chance to end the run.
  int get();

  // Pushes `c` back; the next get() returns it. At most one character may
  // be pushed back between two calls of get(); kEnd may be pushed back.
  void unget(int c);

  // True once get() has returned kEnd; it stays so.
  bool at_end() const { return at_end_; }

  int error() const { return error_; }

 private:
  int raw();   // next byte or kEnd / kError, without the CR LF rule
  int take();  // the look-ahead past a lone CR if any, else raw()
  bool refill();

  // 4096 bytes per read: a whole typed line or a pipe's worth of answers.
  static constexpr std::size_t kBufferSize = 4096;
  char own_[kBufferSize];
  const char* data_ = own_;
  std::size_t pos_ = 0, len_ = 0;
  int fd_ = -1;
  int pushed_ = kNone;  // the caller's push-back
  int ahead_ = kNone;   // read past a lone CR, not yet returned
  bool at_end_ = false;
  int error_ = 0;
  static constexpr int kNone = -3;
};

// Output: whole records are appended and written out in large pieces.
class OutStream {
 public:
  // Writes to `fd`, from the start of the file.
  void attach(int fd);
  void detach();
  int fd() const { return fd_; }

  // Appends one whole record (text and line feed). When the buffer cannot
  // take it, what it holds is written out first. Returns 0, or the error
  // number of a failed write; after a failure the stream is broken and
  // takes nothing more, so that each failure is returned once.
  int put(const char* record, std::size_t size);

  // Writes out what the buffer holds. Returns 0 or the error number. A
  // write interrupted by a signal gives sig_poll() its chance to end the
  // run; the exit sequence then finishes what is left of the buffer.
  int flush();

  // The last effort of a signal handler: writes out the buffer with
  // async-signal-safe calls only, ignoring failures.
  void flush_from_handler();

  // Bytes handed to the stream so far and not lost to a failure: the
  // position at which a cut leaves the file.
  std::int64_t position() const { return written_ + (len_ - start_); }

 private:
  // Writes `size` bytes from `data`; `buffered` when they are the tail of
  // the buffer, whose start then follows the progress.
  int drain(const char* data, std::size_t size, bool buffered);

  // 64 KiB: the 16385 records of a run (about 360 KB) go out in six writes.
  // The buffer holds whole records only, so what reaches the file at any
  // moment, an interrupted run included, ends at a record boundary.
  static constexpr std::size_t kBufferSize = 65536;
  char buffer_[kBufferSize];
  // [start_, len_) is still to be written. Both are updated only after the
  // bytes they cover are in place, so a signal handler that flushes sees
  // only whole records.
  volatile std::sig_atomic_t start_ = 0, len_ = 0;
  volatile std::int64_t written_ = 0;
  int fd_ = -1;
  bool broken_ = false;
};

}  // namespace textio

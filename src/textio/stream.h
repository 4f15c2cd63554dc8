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
  // dropped, so CR LF reads as one line end. An interrupted read is retried
  // after sig_poll() had its chance to end the run.
  int get();

  // Pushes `c` back; the next get() returns it. At most one character may
  // be pushed back between two calls of get(); kEnd may be pushed back.
  void unget(int c);

  // True once end of input has been met; it stays met.
  bool at_end() const { return at_end_; }

  int error() const { return error_; }

 private:
  int raw();  // next byte or kEnd / kError, without the CR LF rule
  bool refill();

  // 4096 bytes per read: a whole typed line or a pipe's worth of answers.
  static constexpr std::size_t kBufferSize = 4096;
  char own_[kBufferSize];
  const char* data_ = own_;
  std::size_t pos_ = 0, len_ = 0;
  int fd_ = -1;
  int pushed_ = kNone;
  bool at_end_ = false;
  int error_ = 0;
  static constexpr int kNone = -3;
};

// Output: whole records are appended and written out in large pieces.
//
// A signal handler may finish the writing of a file's stream (see
// finish_from_handler), so everything it reads is kept exact at every
// instant: the bytes to write are [done_, len_) of region_ (the buffer, or
// one record longer than the buffer while it is written on its own); each
// is a std::sig_atomic_t or a pointer, never a wider value that could be
// seen half stored, and done_ grows together with the write that moved it,
// the handled signals held back in between.
class OutStream {
 public:
  // Writes to a console descriptor: failures are returned, nothing else.
  void attach(int fd);
  // Writes to a file this run opened, from its start: the descriptor is
  // made non-blocking (waits happen where a stop request can end them)
  // and a handler may finish it. A `seekable` file is cut after its last
  // whole record when a write fails; any other (a pipe, a device) is
  // written in whole records of at most one atomic pipe write each, so
  // its reader never meets half a record.
  void attach_file(int fd, bool seekable);
  void detach();
  int fd() const { return fd_; }

  // Appends one whole record (text and line feed). When the buffer cannot
  // take it, what it holds is written out first. Returns 0, or the error
  // number of a failed write; after a failure the stream is broken and
  // takes nothing more, so that each failure is returned once, and a
  // seekable file has been cut after the last record written whole.
  int put(const char* record, std::size_t size);

  // Writes out what the buffer holds. Returns 0 or the error number, as
  // put. A wait for room ends early for a recorded stop request, which
  // sig_poll() then acts on; the exit sequence finishes what is left.
  int flush();

  // For CLOSE after flush(): cuts a seekable file at the end of what this
  // run wrote. Returns 0 or the error number; does nothing on a broken
  // stream, which was cut when it broke.
  int cut();

  // The last effort of a signal handler, with async-signal-safe calls
  // only: goes on writing from exactly where the interrupted write
  // stopped, so a record begun is completed and nothing is written twice;
  // then cuts a seekable file after its last whole record. Failures are
  // ignored. The stream takes nothing more.
  void finish_from_handler();

 private:
  // Writes [done_, len_) of region_; a failure breaks the stream. A
  // handler's drain waits for room whatever comes and polls for nothing.
  int drain(bool in_handler);
  // Breaks the stream after a failed write and cuts a seekable file after
  // the last record written whole. Signal-safe.
  void break_after_failure();
  // The end of the last whole record within the first `upto` bytes of the
  // region: the cut after a write that stopped at `upto`.
  std::size_t record_end_before(std::size_t upto) const;
  // Where the next write of a piecewise stream ends: the end of the last
  // whole record that fits in one atomic write, or of the first record.
  std::size_t piece_end() const;

  // 64 KiB: the 16385 records of a run (about 360 KB) go out in six writes.
  // The buffer holds whole records only, so what reaches the file at any
  // moment, an interrupted run included, ends at a record boundary.
  static constexpr std::size_t kBufferSize = 65536;
  char buffer_[kBufferSize];
  const char* volatile region_ = buffer_;
  volatile std::sig_atomic_t done_ = 0, len_ = 0;
  int fd_ = -1;
  bool file_ = false;       // a file of this run: counted writes, handler may finish it
  bool seekable_ = false;   // cut after a failure
  bool piecewise_ = false;  // written in atomic pieces of whole records
  volatile std::sig_atomic_t broken_ = 0;
};

}  // namespace textio

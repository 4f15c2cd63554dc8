// stream.cc: buffered input and output over descriptors.
#include "stream.h"

#include <cstring>

#include "iostate.h"
#include "os.h"
#include "textio.h"

namespace textio {
namespace {

// The request a blocking wait must give way to; none once the exit
// sequence runs, which finishes its writes whatever comes.
const volatile std::sig_atomic_t* stop_flag() {
  return io_state().exiting ? nullptr : &stop_request;
}

}  // namespace

void InStream::attach_fd(int fd) {
  fd_ = fd;
  data_ = own_;
  pos_ = len_ = 0;
  pushed_ = ahead_ = kNone;
  at_end_ = false;
  error_ = 0;
}

void InStream::attach_text(const char* data, std::size_t size) {
  fd_ = -1;
  data_ = data;
  pos_ = 0;
  len_ = size;
  pushed_ = ahead_ = kNone;
  at_end_ = false;
  error_ = 0;
}

bool InStream::refill() {
  if (fd_ < 0) return false;
  for (;;) {
    int err = os::wait_ready(fd_, false, stop_flag());
    long got = err == 0 ? os::read_some(fd_, own_, kBufferSize, &err) : -1;
    if (got > 0) {
      data_ = own_;
      pos_ = 0;
      len_ = static_cast<std::size_t>(got);
      return true;
    }
    if (got == 0) return false;
    if (os::is_interrupted(err)) {
      sig_poll();  // ends the run if the interruption was a request to stop
      continue;
    }
    error_ = err;
    return false;
  }
}

int InStream::raw() {
  if (pos_ == len_ && !refill()) return error_ != 0 ? kError : kEnd;
  return static_cast<unsigned char>(data_[pos_++]);
}

int InStream::take() {
  if (ahead_ == kNone) return raw();
  int c = ahead_;
  ahead_ = kNone;
  return c;
}

int InStream::get() {
  if (pushed_ != kNone) {
    int c = pushed_;
    pushed_ = kNone;
    return c;
  }
  if (at_end_) return kEnd;
  int c = take();
  if (c == '\r') {
    // Only CR LF is a line end. The character after a lone CR waits in its
    // own slot, so the caller's push-back stays free, and goes through this
    // rule in its turn (a second CR may begin a CR LF).
    int next = take();
    if (next == '\n') return '\n';
    ahead_ = next;
  }
  if (c == kEnd) at_end_ = true;
  return c;
}

void InStream::unget(int c) { pushed_ = c; }

void OutStream::attach(int fd) {
  fd_ = fd;
  start_ = len_ = 0;
  written_ = 0;
  broken_ = false;
}

void OutStream::detach() { attach(-1); }

int OutStream::drain(const char* data, std::size_t size, bool buffered) {
  while (size > 0) {
    int err = os::wait_ready(fd_, true, stop_flag());
    long put = err == 0 ? os::write_some(fd_, data, size, &err) : -1;
    if (put < 0 && os::is_interrupted(err)) {
      sig_poll();
      continue;
    }
    if (put <= 0) {
      broken_ = true;
      start_ = len_ = 0;
      return put < 0 ? err : os::no_space_error();
    }
    data += put;
    size -= static_cast<std::size_t>(put);
    written_ = written_ + put;
    if (buffered) start_ = static_cast<std::sig_atomic_t>(data - buffer_);
    if (size > 0) sig_poll();  // a short write: a signal may be waiting
  }
  return 0;
}

int OutStream::flush() {
  if (broken_ || fd_ < 0) return 0;
  std::size_t from = static_cast<std::size_t>(start_);
  std::size_t to = static_cast<std::size_t>(len_);
  if (int err = drain(buffer_ + from, to - from, true)) return err;
  start_ = len_ = 0;
  return 0;
}

void OutStream::flush_from_handler() {
  if (broken_ || fd_ < 0) return;
  std::size_t from = static_cast<std::size_t>(start_);
  std::size_t to = static_cast<std::size_t>(len_);
  if (os::write_all(fd_, buffer_ + from, to - from) == 0)
    written_ = written_ + static_cast<std::int64_t>(to - from);
  start_ = len_ = 0;
}

int OutStream::put(const char* record, std::size_t size) {
  if (broken_ || fd_ < 0) return 0;
  std::size_t used = static_cast<std::size_t>(len_);
  if (used + size > kBufferSize) {
    if (int err = flush()) return err;
    used = 0;
    // A record longer than the whole buffer goes out on its own.
    if (size > kBufferSize) return drain(record, size, false);
  }
  std::memcpy(buffer_ + used, record, size);
  len_ = static_cast<std::sig_atomic_t>(used + size);
  return 0;
}

}  // namespace textio

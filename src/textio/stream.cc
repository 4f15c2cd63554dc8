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
  return exiting ? nullptr : &stop_request;
}

}  // namespace

void InStream::attach_fd(int fd) {
  fd_ = fd;
  data_ = own_;
  pos_ = len_ = 0;
  pushed_ = kNone;
  at_end_ = false;
  error_ = 0;
}

void InStream::attach_text(const char* data, std::size_t size) {
  fd_ = -1;
  data_ = data;
  pos_ = 0;
  len_ = size;
  pushed_ = kNone;
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
  if (pos_ == len_ && !refill()) {
    if (error_ != 0) return kError;
    at_end_ = true;
    return kEnd;
  }
  return static_cast<unsigned char>(data_[pos_++]);
}

int InStream::get() {
  if (pushed_ != kNone) {
    int c = pushed_;
    pushed_ = kNone;
    return c;
  }
  if (at_end_) return kEnd;
  int c = raw();
  if (c == '\r') {
    int next = raw();
    if (next == '\n') return '\n';
    pushed_ = next;  // a lone carriage return is an ordinary character
    if (next == kEnd) pushed_ = kNone, at_end_ = true;
  }
  return c;
}

void InStream::unget(int c) { pushed_ = c; }

void OutStream::attach(int fd) {
  fd_ = fd;
  len_ = 0;
  done_ = 0;
  region_ = buffer_;
  file_ = seekable_ = piecewise_ = false;
  broken_ = 0;
}

void OutStream::attach_file(int fd, bool seekable) {
  attach(fd);
  os::set_non_blocking(fd);
  file_ = true;
  seekable_ = seekable;
  piecewise_ = !seekable;
}

void OutStream::detach() { attach(-1); }

std::size_t OutStream::record_end_before(std::size_t upto) const {
  const char* region = region_;
  while (upto > 0 && region[upto - 1] != '\n') --upto;
  return upto;
}

std::size_t OutStream::piece_end() const {
  std::size_t from = static_cast<std::size_t>(done_), to = static_cast<std::size_t>(len_);
  if (!piecewise_ || to - from <= os::atomic_write_size()) return to;
  std::size_t end = record_end_before(from + os::atomic_write_size());
  if (end > from) return end;
  const char* region = region_;  // one record longer than an atomic write goes whole
  for (end = from; end < to && region[end] != '\n';) ++end;
  return end < to ? end + 1 : to;
}

void OutStream::break_after_failure() {
  broken_ = 1;
  std::size_t done = static_cast<std::size_t>(done_);
  if (seekable_) {
    std::int64_t partial = static_cast<std::int64_t>(done - record_end_before(done));
    os::truncate_fd(fd_, os::current_offset(fd_) - partial);
  }
  len_ = 0;  // first, so that [done_, len_) is never a stale range
  done_ = 0;
}

int OutStream::drain(bool in_handler) {
  while (done_ < len_) {
    std::size_t from = static_cast<std::size_t>(done_), to = piece_end();
    int err = os::wait_ready(fd_, true, in_handler ? nullptr : stop_flag());
    long put = err == 0 ? os::write_some(fd_, region_ + from, to - from, &err, file_ ? &done_ : nullptr) : -1;
    if (put > 0) {
      if (!file_) done_ = static_cast<std::sig_atomic_t>(from + static_cast<std::size_t>(put));
      if (!in_handler && done_ < len_) sig_poll();  // a short write: a signal may be waiting
      continue;
    }
    if (put < 0 && (os::is_interrupted(err) || os::is_no_room(err))) {
      if (!in_handler) sig_poll();  // ends the run if the wait gave way to a stop request
      continue;
    }
    break_after_failure();
    return put < 0 ? err : os::no_space_error();
  }
  return 0;
}

int OutStream::flush() {
  if (broken_ || fd_ < 0) return 0;
  if (int err = drain(false)) return err;
  len_ = 0;  // first, so that [done_, len_) is never a stale range
  done_ = 0;
  return 0;
}

int OutStream::cut() {
  if (broken_ || fd_ < 0 || !seekable_) return 0;
  return os::truncate_fd(fd_, os::current_offset(fd_));
}

void OutStream::finish_from_handler() {
  if (broken_ || fd_ < 0 || !file_) return;
  if (drain(true) == 0) cut();
  broken_ = 1;
}

int OutStream::put(const char* record, std::size_t size) {
  if (broken_ || fd_ < 0) return 0;
  std::size_t used = static_cast<std::size_t>(len_);
  if (used + size > kBufferSize) {
    if (int err = flush()) return err;
    used = 0;
    if (size > kBufferSize) {  // a record longer than the whole buffer goes out on its own
      region_ = record;
      len_ = static_cast<std::sig_atomic_t>(size);
      int err = drain(false);
      len_ = 0;
      done_ = 0;
      region_ = buffer_;
      return err;
    }
  }
  std::memcpy(buffer_ + used, record, size);
  len_ = static_cast<std::sig_atomic_t>(used + size);
  return 0;
}

}  // namespace textio

// stream.cc: buffered input and output over descriptors.
#include "stream.h"

#include <cstring>

#include "os.h"
#include "textio.h"

namespace textio {

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
    int err = 0;
    long got = os::read_some(fd_, own_, kBufferSize, &err);
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
  position_ = 0;
}

int OutStream::flush() {
  std::size_t size = static_cast<std::size_t>(len_);
  if (size == 0 || fd_ < 0) return 0;
  int err = os::write_all(fd_, buffer_, size);
  position_ += static_cast<std::int64_t>(size);
  len_ = 0;
  return err;
}

int OutStream::put(const char* record, std::size_t size) {
  std::size_t used = static_cast<std::size_t>(len_);
  if (used + size > kBufferSize) {
    if (int err = flush()) return err;
    used = 0;
    if (size > kBufferSize) {  // a record longer than the buffer goes alone
      int err = os::write_all(fd_, record, size);
      position_ += static_cast<std::int64_t>(size);
      return err;
    }
  }
  std::memcpy(buffer_ + used, record, size);
  len_ = static_cast<std::sig_atomic_t>(used + size);
  return 0;
}

}  // namespace textio

// input_os.cc: reading a named pipe over POSIX (see input_os.h).
#include "input_os.h"

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace check::os {
namespace {

// A stream buffer over a descriptor it owns, read as data comes.
class PipeBuffer : public std::streambuf {
 public:
  explicit PipeBuffer(int fd) : fd_(fd) {}
  ~PipeBuffer() override { ::close(fd_); }
  PipeBuffer(const PipeBuffer&) = delete;
  PipeBuffer& operator=(const PipeBuffer&) = delete;

 protected:
  int_type underflow() override {
    ssize_t got = -1;
    do {
      got = ::read(fd_, buffer_, sizeof buffer_);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) return traits_type::eof();  // a read error ends it as well
    setg(buffer_, buffer_, buffer_ + got);
    return traits_type::to_int_type(buffer_[0]);
  }

 private:
  int fd_;
  char buffer_[65536];
};

// An input stream that owns its pipe buffer.
class PipeStream : public std::istream {
 public:
  explicit PipeStream(int fd) : std::istream(nullptr), buffer_(fd) { rdbuf(&buffer_); }

 private:
  PipeBuffer buffer_;
};

// Waits until the pipe has data or its writer has gone; -1 waits for ever.
bool wait_readable(int fd, int timeout_ms) {
  pollfd watch{fd, POLLIN, 0};
  int ready = -1;
  do {
    ready = ::poll(&watch, 1, timeout_ms);
  } while (ready < 0 && errno == EINTR);
  return ready != 0;
}

}  // namespace

std::unique_ptr<std::istream> open_named_pipe(const std::string& path, int patience_ms,
                                              const std::function<void()>& on_wait) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISFIFO(st.st_mode)) return nullptr;
  // Opened without waiting; read blocking once a writer has written.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  if (!wait_readable(fd, patience_ms)) {
    if (on_wait) on_wait();
    wait_readable(fd, -1);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return std::make_unique<PipeStream>(fd);
}

}  // namespace check::os

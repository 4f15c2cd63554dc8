// os.cc: POSIX behind the I/O layer. No other file of the layer includes a
// system header.
#include "os.h"

#include <cerrno>
#include <cfenv>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <climits>
#include <initializer_list>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace textio::os {

const int kSigFpe = SIGFPE;
const int kSigAbrt = SIGABRT;
const int kSigInt = SIGINT;
const int kSigTerm = SIGTERM;
const int kSigPipe = SIGPIPE;
const int kSigXfsz = SIGXFSZ;

namespace {

// Calls `call` again as long as it fails with EINTR; returns its last
// result (errno holds the error of a failure).
template <typename Call>
auto retry_interrupted(Call call) {
  auto result = call();
  while (result < 0 && errno == EINTR) result = call();
  return result;
}

// The signals that have handlers: held back around a counted write.
sigset_t handled_signals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signo : {SIGFPE, SIGABRT, SIGINT, SIGTERM}) sigaddset(&set, signo);
  return set;
}

}  // namespace

int open_file(const char* name, OpenMode mode, int* error) {
  int flags = 0;
  switch (mode) {
    case OpenMode::update: flags = O_RDWR; break;
    case OpenMode::read_only: flags = O_RDONLY; break;
    case OpenMode::create: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
  }
  int fd = retry_interrupted([&] { return ::open(name, flags | O_CLOEXEC, 0666); });
  if (fd < 0) *error = errno;
  return fd;
}

int wait_ready(int fd, bool for_writing, const volatile std::sig_atomic_t* stop_flag) {
  sigset_t stop_signals, previous;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  sigprocmask(SIG_BLOCK, &stop_signals, &previous);
  int result = 0;
  if (stop_flag != nullptr && *stop_flag != 0) {
    result = EINTR;
  } else {
#ifdef SEEDACC_PAUSE_POINTS
    // The fault suite's build only: stop before a wait for input, the stop
    // signals held back and the flag already tested.
    if (!for_writing) stop_self();
#endif
    struct pollfd watch = {fd, static_cast<short>(for_writing ? POLLOUT : POLLIN), 0};
    // ppoll lets the signals in only while it waits, so one that comes
    // after the test of the flag still ends the wait.
    if (::ppoll(&watch, 1, nullptr, &previous) < 0) result = errno;
  }
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  return result;
}

long read_some(int fd, char* buffer, std::size_t size, int* error) {
  ssize_t got = ::read(fd, buffer, size);
  if (got < 0) *error = errno;
  return static_cast<long>(got);
}

long write_some(int fd, const char* data, std::size_t size, int* error,
                volatile std::sig_atomic_t* progress) {
  if (progress == nullptr) {
    ssize_t put = ::write(fd, data, size);
    if (put < 0) *error = errno;
    return static_cast<long>(put);
  }
  // Built each time: a function-local static could be met half built by a
  // handler's own first write.
  const sigset_t held = handled_signals();
  sigset_t previous;
  sigprocmask(SIG_BLOCK, &held, &previous);
  ssize_t put = ::write(fd, data, size);
  if (put < 0) *error = errno;
  if (put > 0) *progress = *progress + static_cast<std::sig_atomic_t>(put);
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  return static_cast<long>(put);
}

int write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t put = retry_interrupted([&] { return ::write(fd, data, size); });
    if (put < 0) return errno;
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return 0;
}

std::size_t atomic_write_size() { return PIPE_BUF; }

void set_non_blocking(int fd) {
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

std::int64_t current_offset(int fd) { return ::lseek(fd, 0, SEEK_CUR); }

void fill_standard_descriptors() {
  const int directions[] = {O_WRONLY, O_RDONLY, O_RDONLY};
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    // The lower descriptors are open by now, so the lowest free one is fd.
    int opened = retry_interrupted([&] { return ::open("/dev/null", directions[fd]); });
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

int close_fd(int fd) { return ::close(fd) == 0 ? 0 : errno; }

int truncate_fd(int fd, std::int64_t length) {
  int rc = retry_interrupted([&] { return ::ftruncate(fd, static_cast<off_t>(length)); });
  return rc == 0 ? 0 : errno;
}

bool is_regular(int fd) {
  struct stat st;
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

bool is_directory(int fd) {
  struct stat st;
  return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
}

int directory_error() { return EISDIR; }

int no_space_error() { return ENOSPC; }

const char* error_text(int error) { return std::strerror(error); }

bool is_interrupted(int error) { return error == EINTR; }
bool is_no_room(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

bool catch_signal(int signo, void (*handler)(int)) {
  struct sigaction action {}, previous {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocked read or write returns
  ::sigaction(signo, &action, &previous);
  return previous.sa_handler == SIG_IGN;
}

static void set_disposition(int signo, void (*disposition)(int)) {
  struct sigaction action {};
  action.sa_handler = disposition;
  sigemptyset(&action.sa_mask);
  ::sigaction(signo, &action, nullptr);
}

void ignore_signal(int signo) { set_disposition(signo, SIG_IGN); }
void default_signal(int signo) { set_disposition(signo, SIG_DFL); }

void reset_floating_point() { std::fesetenv(FE_DFL_ENV); }

void at_exit(void (*routine)()) { std::atexit(routine); }

void stop_self() { ::kill(::getpid(), SIGSTOP); }

void exit_process(int status) { std::exit(status); }
void exit_now(int status) { ::_exit(status); }
void abort_process() { std::abort(); }

}  // namespace textio::os

// output_os.cc: the output step's platform calls over POSIX (see
// output_os.h). No other file of the check includes a system header.
#include "output_os.h"

#include <cassert>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fstream>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace check::os {
namespace {

// More links than this in one chain is a loop, as the kernel counts.
constexpr int kMostLinks = 40;

// The signals held during the output step.
const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The held signal that came (0: none yet); written by the handler only.
volatile std::sig_atomic_t held_signal = 0;
struct sigaction previous_actions[3];

void record_stop(int signo) { held_signal = signo; }

// The folder part of `path` ("." for a bare name).
std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether the folder of `path` lies in /proc, where /dev/stdout and
// /dev/fd/N lead: the name of a descriptor already open.
bool names_descriptor(const std::string& path) {
  char real[PATH_MAX];
  if (::realpath(folder_of(path).c_str(), real) == nullptr) return false;
  return std::strncmp(real, "/proc/", 6) == 0;
}

// The file-creation mask, read without changing it where the system says
// it (a change would race with other threads creating files).
mode_t creation_mask() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == "Umask:" && status >> word) return static_cast<mode_t>(std::stoul(word, nullptr, 8));
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

// An fsync that the file system does not offer is no failure.
int sync_fd(int fd) {
  if (::fsync(fd) == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP) return 0;
  return errno;
}

// Copies `existing` to the new file `kept`, exclusively.
int copy_file(const std::string& existing, const std::string& kept) {
  const int from = ::open(existing.c_str(), O_RDONLY | O_CLOEXEC);
  if (from < 0) return errno;
  int to = -1;
  int error = create_exclusive(kept, &to);
  char buffer[65536];
  while (error == 0) {
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got <= 0) {
      error = got < 0 && errno != EINTR ? errno : 0;
      if (got == 0) break;
      continue;
    }
    error = write_all(to, std::string(buffer, static_cast<std::size_t>(got)));
  }
  ::close(from);
  if (to >= 0) {
    const int finished = finish_file(to, existing);
    if (error == 0) error = finished;
    if (error != 0) ::unlink(kept.c_str());
  }
  return error;
}

}  // namespace

int resolve(const std::string& given, Destination* destination) {
  assert(!given.empty());
  std::string path = given;
  for (int links = 0;; ++links) {
    if (names_descriptor(path)) {
      *destination = Destination{given, true, true};
      return 0;
    }
    struct stat st;
    // A name that cannot be looked at is taken as new; creating it then
    // says why it cannot be written.
    if (::lstat(path.c_str(), &st) != 0) {
      *destination = Destination{path, false, false};
      return 0;
    }
    if (!S_ISLNK(st.st_mode)) {
      const bool regular = S_ISREG(st.st_mode);
      *destination = Destination{regular ? path : given, true, !regular};
      return 0;
    }
    if (links >= kMostLinks) return ELOOP;
    char target[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
    if (length < 0) return errno;
    const std::string next(target, static_cast<std::size_t>(length));
    path = next[0] == '/' ? next : folder_of(path) + "/" + next;
  }
}

int create_exclusive(const std::string& path, int* fd) {
  *fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  return *fd < 0 ? errno : 0;
}

int exists_error() { return EEXIST; }

int open_in_place(const std::string& path, int* fd) {
  *fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
  return *fd < 0 ? errno : 0;
}

int write_all(int fd, const std::string& content) {
  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const ssize_t put = ::write(fd, data, left);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return put < 0 ? errno : ENOSPC;
    data += put;
    left -= static_cast<std::size_t>(put);
  }
  return 0;
}

int finish_file(int fd, const std::string& replaced) {
  // The permission bits and the group of the file replaced; setuid and
  // setgid are not carried over to new contents. Neither can fail the
  // output: a file system without modes still takes the file.
  struct stat st;
  if (!replaced.empty() && ::stat(replaced.c_str(), &st) == 0) {
    if (::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
      // another group than one's own: the file keeps the folder's
    }
    ::fchmod(fd, st.st_mode & 01777);
  } else {
    ::fchmod(fd, 0666 & ~creation_mask());
  }
  const int synced = sync_fd(fd);
  const int closed = close_file(fd);
  return synced != 0 ? synced : closed;
}

int close_file(int fd) { return ::close(fd) == 0 ? 0 : errno; }

void sync_folder(const std::string& path) {
  const int fd = ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  sync_fd(fd);
  ::close(fd);
}

int keep_file(const std::string& existing, const std::string& kept) {
  if (::link(existing.c_str(), kept.c_str()) == 0) return 0;
  if (errno == EEXIST) return EEXIST;
  return copy_file(existing, kept);
}

int rename_over(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void remove_name(const std::string& path) { ::unlink(path.c_str()); }

std::string error_text(int error) { return std::strerror(error); }

std::uint64_t random_number() {
  std::random_device entropy;
  return (static_cast<std::uint64_t>(entropy()) << 32) ^ entropy();
}

// A handler for every thread of the process, not a mask of one thread: the
// signal is recorded wherever it lands. An ignored signal stays ignored.
void hold_stop_signals() {
  held_signal = 0;
  struct sigaction record {};
  record.sa_handler = record_stop;
  sigemptyset(&record.sa_mask);
  record.sa_flags = SA_RESTART;  // the step's calls go on
  for (int i = 0; i < 3; ++i) {
    ::sigaction(kStopSignals[i], nullptr, &previous_actions[i]);
    if (previous_actions[i].sa_handler != SIG_IGN) ::sigaction(kStopSignals[i], &record, nullptr);
  }
}

bool stop_requested() { return held_signal != 0; }

void release_stop_signals() {
  for (int i = 0; i < 3; ++i) ::sigaction(kStopSignals[i], &previous_actions[i], nullptr);
  if (held_signal != 0) ::raise(held_signal);
}

void pause_point() {
#ifdef SEEDACC_PAUSE_POINTS
  ::raise(SIGSTOP);
#endif
}

bool predictable_names() {
#ifdef SEEDACC_PAUSE_POINTS
  return true;
#else
  return false;
#endif
}

}  // namespace check::os

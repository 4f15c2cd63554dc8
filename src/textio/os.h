// os.h: the platform calls of the I/O layer, in one place.
//
// One file per platform implements it: os.cc over POSIX, os_win.cc over
// Windows (which also turns every line feed into CR LF); the build compiles
// exactly one. The rest of the layer works with file descriptors and these
// functions only. Functions marked
// "signal-safe" use only async-signal-safe system calls and may be called
// from a signal handler.
#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>

namespace textio::os {

// How f_open asks for a file: the three text modes "r+", "r" and "w".
enum class OpenMode { update, read_only, create };

// Opens `name` in `mode`. Returns the descriptor, or -1 with the error
// number in *error.
int open_file(const char* name, OpenMode mode, int* error);

// Reads up to `size` bytes. Returns the count (0 at end of input), or -1
// with the error number in *error. An interrupted call returns -1 with
// EINTR in *error; the caller decides whether to retry.
long read_some(int fd, char* buffer, std::size_t size, int* error);

// Waits until `fd` can be read (or written, `for_writing`) without
// blocking, with the interrupt and termination signals let through only
// while it waits: a request recorded in `*stop_flag` before the wait or
// during it makes it return EINTR, never a wait that misses the signal.
// A null `stop_flag` (the exit sequence is under way) waits regardless.
// Returns 0, EINTR, or another error number. Signal-safe.
int wait_ready(int fd, bool for_writing, const volatile std::sig_atomic_t* stop_flag);

// Writes up to `size` bytes once. Returns the count, or -1 with the error
// number in *error (EINTR when a signal interrupted it before any byte,
// EAGAIN when a non-blocking descriptor has no room). With a `progress`,
// the handled signals are held back from before the write until the count
// has been added to *progress, so a handler never sees bytes written that
// the count does not yet hold.
long write_some(int fd, const char* data, std::size_t size, int* error,
                volatile std::sig_atomic_t* progress = nullptr);

// Writes all `size` bytes to a blocking descriptor, retrying short writes
// and interrupted calls. Returns 0, or the error number of the failing
// call. Signal-safe.
int write_all(int fd, const char* data, std::size_t size);

// The largest write that a pipe takes whole or not at all (PIPE_BUF).
std::size_t atomic_write_size();

// Makes writes to `fd` return EAGAIN instead of waiting for room. Only for
// a descriptor this process opened itself.
void set_non_blocking(int fd);

// The descriptor's current offset, or -1. Signal-safe.
std::int64_t current_offset(int fd);

// Closes the descriptor; a failure is returned as its error number.
// Signal-safe.
int close_fd(int fd);

// Makes the file hold exactly its first `length` bytes. Returns 0 or the
// error number. Signal-safe.
int truncate_fd(int fd, std::int64_t length);

// Opens the null device on each of descriptors 0, 1 and 2 that is closed,
// so that no file of the run takes their place: 0 write-only (a read still
// fails), 1 and 2 read-only (a write still fails).
void fill_standard_descriptors();

// True for a regular file: only such a file is positioned or cut. Pipes,
// sockets, terminals and devices are not.
bool is_regular(int fd);

// True for a directory, which is never connected as a file.
bool is_directory(int fd);

// The error number of a write that wrote nothing and reported nothing.
int no_space_error();

// The error number that says "is a directory".
int directory_error();

// The platform's text for an error number, as perror writes it.
const char* error_text(int error);

// The error number EINTR, for callers that must tell an interrupted call.
bool is_interrupted(int error);
// EAGAIN: a non-blocking descriptor had no room; wait_ready, then again.
bool is_no_room(int error);

// Installs `handler` for `signo` without automatic restart of interrupted
// system calls. Returns true when the signal was being ignored before.
bool catch_signal(int signo, void (*handler)(int));

// Sets `signo` back to ignored, or to its default action. Signal-safe.
void ignore_signal(int signo);
void default_signal(int signo);

// Puts the floating-point environment back to its default: all
// exceptions masked, rounding to nearest.
void reset_floating_point();

// Ends the process through the exit sequence (atexit routines) with
// `status`, at once with `status` (signal-safe), or at once by the abort
// signal.
[[noreturn]] void exit_process(int status);
[[noreturn]] void exit_now(int status);
[[noreturn]] void abort_process();

// Registers `routine` to run in the exit sequence (atexit).
void at_exit(void (*routine)());

// Stops the process (SIGSTOP) until it is continued; only the test build
// of the program calls it, at its pause point.
void stop_self();

// Signal numbers used by the layer.
extern const int kSigFpe, kSigAbrt, kSigInt, kSigTerm, kSigPipe, kSigXfsz;

}  // namespace textio::os

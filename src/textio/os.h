// os.h: the platform calls of the I/O layer, in one place.
//
// Everything here is a thin wrapper over POSIX; the rest of the layer works
// with file descriptors and these functions only. Functions marked
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
// Returns 0, EINTR, or another error number.
int wait_ready(int fd, bool for_writing, const volatile std::sig_atomic_t* stop_flag);

// Writes up to `size` bytes once. Returns the count, or -1 with the error
// number in *error (EINTR when a signal interrupted it before any byte).
long write_some(int fd, const char* data, std::size_t size, int* error);

// Writes all `size` bytes, retrying short writes and interrupted calls.
// Returns 0, or the error number of the failing call. Signal-safe.
int write_all(int fd, const char* data, std::size_t size);

// Closes the descriptor; a failure is returned as its error number.
// Signal-safe.
int close_fd(int fd);

// Makes the file hold exactly its first `length` bytes. Returns 0 or the
// error number. Signal-safe.
int truncate_fd(int fd, std::int64_t length);

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
// `status`, or at once by the abort signal.
[[noreturn]] void exit_process(int status);
[[noreturn]] void abort_process();

// Registers `routine` to run in the exit sequence (atexit).
void at_exit(void (*routine)());

// Stops the process (SIGSTOP) until it is continued; only the test build
// of the program calls it, at its pause point.
void stop_self();

// Signal numbers used by the layer.
extern const int kSigFpe, kSigAbrt, kSigInt, kSigTerm;

}  // namespace textio::os

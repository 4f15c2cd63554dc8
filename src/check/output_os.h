// output_os.h: the platform calls of the output step (output.h), in one
// place. output_os.cc implements them over POSIX, output_os_win.cc over
// Windows; the build compiles exactly one. Errors are error numbers (errno
// values), 0 for success; error_text says them.
#pragma once

#include <cstdint>
#include <string>

namespace check::os {

// Where an output goes.
struct Destination {
  // The file to replace: the path given, or, when that is a symbolic link,
  // the file it leads to (links followed to the end). For an output
  // written in place, the path given.
  std::string path;
  bool exists = false;
  // Written in place, as the shell's > would, without a temporary file: an
  // existing file that is not a regular one (a device, a named pipe, a
  // socket), or a name reached through a link to an open descriptor (as
  // /dev/stdout is). Where links cannot be followed (Windows), a path is
  // taken as it is.
  bool in_place = false;
};

// Resolves `given` (not empty) into *destination. Returns 0, or the error
// of a link that cannot be read (a loop among them).
int resolve(const std::string& given, Destination* destination);

// Creates `path` exclusively (it must not exist, not even as a dangling
// link), for writing, mode 0600, its lines ended as the platform's text
// files end them. Returns 0 with the descriptor in *fd, or the error
// (exists_error when the name is taken).
int create_exclusive(const std::string& path, int* fd);
int exists_error();

// Opens the existing `path` for writing from its start, as the shell's >
// would (a named pipe waits for its reader). Returns 0 with the
// descriptor in *fd, or the error.
int open_in_place(const std::string& path, int* fd);

// Writes all of `content`; returns 0 or the error.
int write_all(int fd, const std::string& content);

// Gives the file of `fd` the mode (and, where permitted, the group) of the
// file `replaced`, or when `replaced` is empty the mode a new file gets
// (0666 less the file-creation mask); then flushes it to disk and closes
// it. Returns 0 or the first error; the descriptor is closed either way.
int finish_file(int fd, const std::string& replaced);

// Closes a descriptor; returns 0 or the error.
int close_file(int fd);

// Flushes to disk the folder entry of `path` (fsync of its folder); a
// platform that has no such call does nothing. Failures are ignored.
void sync_folder(const std::string& path);

// Keeps the existing file `existing` also under the new name `kept`: a hard
// link, or where links cannot be made an exclusive copy. Returns 0 or the
// error (exists_error when `kept` is taken).
int keep_file(const std::string& existing, const std::string& kept);

// Renames `from` onto `to`, replacing it. Returns 0 or the error.
int rename_over(const std::string& from, const std::string& to);

// Removes a name; failures are ignored.
void remove_name(const std::string& path);

// The platform's text for an error number.
std::string error_text(int error);

// A fresh unpredictable number, for temporary names.
std::uint64_t random_number();

// The interrupt, termination and hang-up signals (on Windows, the console's
// CTRL+C, CTRL+BREAK and close events) are held while the output step runs:
// hold_stop_signals starts holding them, stop_requested says whether one
// came since, and release_stop_signals lets a held one act at once (ending
// the process as it would have; the console's events end it with the
// status of CTRL+C). Calls pair; not nested.
void hold_stop_signals();
bool stop_requested();
void release_stop_signals();

// The test build's pause point: stops the process (SIGSTOP) until it is
// continued. Does nothing in the programs as shipped.
void pause_point();

// True in the test build: the first temporary name of each output is then
// predictable (the suffix 0), so that a test can plant a name there.
bool predictable_names();

}  // namespace check::os

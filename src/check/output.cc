// output.cc: writing the output files all or nothing (see output.h).
#include "output.h"

#include <cassert>
#include <cstdio>

#include "output_os.h"

namespace check {
namespace {

// One target on its way: its temporary file and, when the target existed,
// the name under which the old file is kept until all are renamed.
struct Pending {
  std::string given;      // the path as the command line named it
  const std::string* content = nullptr;
  std::string target;     // the file replaced, links followed
  bool exists = false;
  std::string temporary;  // empty: not created yet
  std::string kept;       // empty: nothing kept
  bool renamed = false;
};

// The stop signals held for the life of the object.
class SignalsHeld {
 public:
  SignalsHeld() { os::hold_stop_signals(); }
  ~SignalsHeld() { os::release_stop_signals(); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;
};

[[noreturn]] void fail(const std::string& path, const std::string& why) {
  throw OutputError(path + ": cannot write (" + why + ")");
}

// A name beside `path` for a new file: the path, `kind` and a number, the
// first one 0 in the test build.
std::string fresh_name(const std::string& path, const char* kind, int attempt) {
  if (attempt == 0 && os::predictable_names()) return path + kind + "0";
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx",
                static_cast<unsigned long long>(os::random_number()));
  return path + kind + digits;
}

// Creates `target`'s temporary file and writes `content` to it, finished
// with the mode of the file it replaces. Returns 0 or the error.
int write_temporary(Pending& entry, const std::string& content) {
  int fd = -1;
  int error = os::exists_error();
  for (int attempt = 0; attempt < kMostNameTries && error == os::exists_error(); ++attempt) {
    entry.temporary = fresh_name(entry.target, ".tmp-", attempt);
    error = os::create_exclusive(entry.temporary, &fd);
  }
  if (error != 0) {
    entry.temporary.clear();
    return error;
  }
  error = os::write_all(fd, content);
  const int finished = os::finish_file(fd, entry.exists ? entry.target : std::string());
  return error != 0 ? error : finished;
}

// Keeps the existing target under a fresh ".old-" name. Returns 0 or the error.
int keep_target(Pending& entry) {
  int error = os::exists_error();
  for (int attempt = 0; attempt < kMostNameTries && error == os::exists_error(); ++attempt) {
    entry.kept = fresh_name(entry.target, ".old-", attempt);
    error = os::keep_file(entry.target, entry.kept);
  }
  if (error != 0) entry.kept.clear();
  return error;
}

// Puts back every renamed target and removes every temporary and kept
// file; used when the whole set cannot be written.
void roll_back(const std::vector<Pending>& pending) {
  for (auto entry = pending.rbegin(); entry != pending.rend(); ++entry) {
    if (entry->renamed) {
      // A kept file that cannot be renamed back stays under its name: the
      // only copy of the old file is never removed.
      if (entry->kept.empty()) {
        os::remove_name(entry->target);
      } else {
        os::rename_over(entry->kept, entry->target);
      }
      continue;
    }
    if (!entry->temporary.empty()) os::remove_name(entry->temporary);
    if (!entry->kept.empty()) os::remove_name(entry->kept);
  }
}

[[noreturn]] void roll_back_and_fail(const std::vector<Pending>& pending, const std::string& path,
                                     const std::string& why) {
  roll_back(pending);
  fail(path, why);
}

// Writes the outputs that are not regular files, in place.
void write_in_place(const std::string& path, const std::string& content) {
  int fd = -1;
  int error = os::open_in_place(path, &fd);
  if (error != 0) fail(path, os::error_text(error));
  error = os::write_all(fd, content);
  const int closed = os::close_file(fd);
  if (error == 0) error = closed;
  if (error != 0) fail(path, os::error_text(error));
}

// Renames every temporary file onto its target, each existing target kept
// first; the test build pauses after each rename.
void rename_all(std::vector<Pending>& pending) {
  for (Pending& entry : pending) {
    if (entry.exists) {
      const int error = keep_target(entry);
      if (error != 0) {
        roll_back_and_fail(pending, entry.given,
                           "cannot keep the existing file: " + os::error_text(error));
      }
    }
    const int error = os::rename_over(entry.temporary, entry.target);
    if (error != 0) roll_back_and_fail(pending, entry.given, os::error_text(error));
    entry.renamed = true;
    os::pause_point();
  }
}

}  // namespace

void write_files(const std::vector<OutputFile>& files) {
  if (files.empty()) return;
  std::vector<Pending> pending;
  std::vector<const OutputFile*> in_place;
  for (const OutputFile& file : files) {
    os::Destination destination;
    const int error = os::resolve(file.path, &destination);
    if (error != 0) fail(file.path, os::error_text(error));
    if (destination.in_place) {
      in_place.push_back(&file);
    } else {
      pending.push_back(Pending{file.path, &file.content, destination.path, destination.exists, "", "", false});
    }
  }
  // Outside the held part: a named pipe may wait for its reader, and a
  // signal then ends the run before any regular file is touched.
  for (const OutputFile* file : in_place) write_in_place(file->path, file->content);

  const SignalsHeld held;
  for (Pending& entry : pending) {
    const int error = write_temporary(entry, *entry.content);
    if (error != 0) roll_back_and_fail(pending, entry.given, os::error_text(error));
  }
  for (const Pending& entry : pending) os::sync_folder(entry.temporary);
  os::pause_point();
  if (os::stop_requested()) {
    // The held signal acts as `held` is released, before the message.
    roll_back_and_fail(pending, pending.empty() ? files.front().path : pending.front().given,
                       "interrupted by a signal");
  }
  rename_all(pending);
  for (const Pending& entry : pending) {
    os::sync_folder(entry.target);
    if (!entry.kept.empty()) os::remove_name(entry.kept);
  }
}

}  // namespace check

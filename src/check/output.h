// output.h: writing the output files all or nothing.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace check {

// An output file that could not be written; the message names it.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OutputFile {
  std::string path;
  std::string content;
};

// Temporary and kept names tried for one output before giving up.
constexpr int kMostNameTries = 100;

// Writes every file. A path that is a symbolic link stands for the file it
// leads to, which is replaced in its own folder (the link stays).
//
// First, each output that exists and is not a regular file (a device, a
// named pipe, a socket, or a link to an open descriptor such as
// /dev/stdout) is written in place, as the shell's > would: no temporary,
// no rename. Then, with the interrupt, termination and hang-up signals
// held, every other content goes to a temporary file beside its target,
// created exclusively (mode 0600) under the target's name followed by
// ".tmp-" and an unpredictable number (another number when the name is
// taken), given the mode and group of the file it replaces (or a new
// file's mode) and flushed to disk. Only when all are written are they
// renamed onto their targets, in order; a target that exists is first kept
// under a second such name (".old-": a hard link, or a copy where links
// cannot be made), and the folders are flushed to disk after the renames.
//
// If a temporary file cannot be written, a target cannot be kept or a
// rename fails, every target already renamed is put back as it was (the
// kept file renamed back, or the new file removed when there was none),
// the temporary and kept files are removed and OutputError is thrown. A
// held signal that came before the first rename undoes the step the same
// way; one that came later lets it finish. Either way no temporary or kept
// file is left, and the held signal then ends the process as it would
// have. Paths of `files` are distinct files.
void write_files(const std::vector<OutputFile>& files);

}  // namespace check

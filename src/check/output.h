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

// Writes every file: each content first goes to a temporary file beside
// its target (the target's name followed by ".tmp-" and a random number),
// and only when all of them are written and closed are they renamed onto
// their targets, in order. A target that exists is first kept under a
// second such name (a hard link, or a copy where links cannot be made).
// If a temporary file cannot be written, or a target cannot be kept, or a
// rename fails, every target already renamed is put back as it was (the
// kept file renamed back, or the new file removed when there was none),
// the temporary and kept files are removed and OutputError is thrown.
// Paths of `files` are distinct.
void write_files(const std::vector<OutputFile>& files);

}  // namespace check

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
// their targets. If a temporary file cannot be written, all of them are
// removed, no target is touched and OutputError is thrown. A failing rename
// (rare once the temporary files exist) removes the remaining temporary
// files and throws; targets renamed before it stay written.
void write_files(const std::vector<OutputFile>& files);

}  // namespace check

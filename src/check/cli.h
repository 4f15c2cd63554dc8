// cli.h: the command line of seedacc-check.
//
//   seedacc-check FILE [--damping Z] [--csv OUT.csv] [--svg OUT.svg]
//
// Options may come before or after FILE and may also be written
// --name=value. Exit status: 0 when the report was printed (whatever the
// verdict), 1 when the record or an output file could not be read or
// written, 2 for a usage error.
#pragma once

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "response.h"

namespace check {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// A command line that cannot be run; the message says why, in one line.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string input;
  double damping = kDefaultDamping;
  std::string csv_path;  // empty: no table
  std::string svg_path;  // empty: no picture
  bool help = false;
};

// The usage text, lines ended by '\n'.
std::string usage_text();

// Reads the arguments after the program name. Throws UsageError for an
// unknown option, a missing or malformed value, a damping ratio outside
// (0, 1), a missing or second FILE, or --csv and --svg naming one file.
Options parse_arguments(const std::vector<std::string>& args);

// Runs the whole check: the report goes to `out`, messages to `err`
// (one line "seedacc-check: ..." for errors, followed by the usage text for
// usage errors). Output files are written only after the record has been
// read and everything computed. Returns the exit status.
int run(const std::vector<std::string>& args, std::ostream& out,
        std::ostream& err);

}  // namespace check

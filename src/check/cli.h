// cli.h: the command line of seedacc-check.
//
//   seedacc-check FILE... [--damping H] [--range F1:F2]
//                 [--criteria us|jp|both] [--csv OUT] [--svg OUT] [--html OUT]
//                 [--format NAME] [--units U] [--dt DT] [--component C]
//                 [--target NAME] [--target-units U] [--target-damping H]
//
// Options may come before or after the files and may also be written
// --name=value. Exit status: 0 when every report was printed (whatever the
// verdicts), 1 when a record, the target file or an output file could not
// be read or written, 2 for a usage error.
#pragma once

#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "criteria.h"
#include "record.h"
#include "target.h"

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
  std::vector<std::string> inputs;
  groundmotion::CriteriaOptions criteria;  // its target set from `target`
  groundmotion::TargetRequest target;
  groundmotion::ReadOptions reading;  // --format, --units, --dt, --component
  std::string csv_path;  // empty: no table; a file, or a folder
  std::string svg_path;  // empty: no picture; a file, or a folder
  std::string html_path;  // empty: no page; one file for every record
  bool help = false;
};

// The usage text, lines ended by '\n'.
std::string usage_text();

// The words of a command line, as both programs take them.
struct CommandLine {
  std::vector<std::string> files;  // words that are not options, in order
  std::vector<std::pair<std::string, std::string>> options;  // name, value
  bool help = false;                                         // -h or --help
};

// Splits `args`: "-h" and "--help" set help; a word that does not start
// with '-', or is "-" alone, is a file, and so is every word after "--";
// an option is "--name=value" or "--name value", the value not starting
// with "--"; a name in `flags` takes no value and is kept with the value
// "yes". Throws UsageError for a name in neither list, a missing or empty
// value, a flag given one, or an option given twice.
CommandLine split_command_line(const std::vector<std::string>& args,
                               const std::vector<std::string>& names,
                               const std::vector<std::string>& flags = {});

// Sets the reading option `name` (--format, --units, --dt or --component)
// of `reading` to `value`; returns false for any other name. Throws
// UsageError for a value that is not one of the choices or, for --dt, not
// a number above 0. Shared by both programs.
bool set_reading_option(groundmotion::ReadOptions& reading, const std::string& name,
                        const std::string& value);

// The names of the reading options, and their lines of a usage text.
const std::vector<std::string>& reading_option_names();
std::string reading_usage();

// How long a named pipe's writer is awaited before the wait is said.
constexpr int kWriterPatienceMs = 1000;

// Reads the record at `path` as `reading` says (record.h). A named pipe is
// read as its writer writes; when none has written within
// kWriterPatienceMs, "PROGRAM: PATH: waiting for a writer" goes to `err`
// once (PROGRAM is `program`) and the wait goes on.
groundmotion::Record read_record(const std::string& path, const groundmotion::ReadOptions& reading,
                            const char* program, std::ostream& err);

// Reads the record at `path` as read_record does. --dt, when
// given, must agree with a step the file gives itself (the check never
// resamples): otherwise throws InputError naming the file, as for every
// fault of the file.
groundmotion::Record read_input(const std::string& path, const groundmotion::ReadOptions& reading,
                           std::ostream& err);

// Reads the arguments after the program name. Throws UsageError for an
// unknown option, a missing or malformed value, a damping ratio outside
// (0, 1), a range that parse_frequency_range refuses, sets of criteria
// that parse_criteria_choice refuses, a target that cannot be used
// (target_options.h), or no FILE; groundmotion::InputError for a target file
// that cannot be read.
Options parse_arguments(const std::vector<std::string>& args);

// One output file of a run: which record it belongs to and where it goes.
struct PlannedOutput {
  std::size_t input = 0;  // index into Options::inputs
  bool is_csv = false;    // the table, else the picture (or the page)
  std::string path;
  bool is_page = false;   // the page of every record (`input` unused)
};

// Where every output goes: --csv and --svg as given for one FILE, or, when
// they name a folder (an existing one, or a path ending in '/'),
// FOLDER/NAME.spectrum.csv and FOLDER/NAME.svg, NAME being the file's name
// without its last extension; --html as given, one page for every FILE,
// planned last. Throws UsageError when several files are
// given with an output that is not a folder, when an output names one of
// the input files by any path (same file by device and inode, through links
// or other spellings), or when two outputs name the same file. Touches no
// file.
std::vector<PlannedOutput> plan_outputs(const Options& options);

// Whether two paths name one file: the same existing file (device and
// inode), or, for a file not yet there, the same absolute path once links
// in its folders are followed.
bool same_file(const std::string& first, const std::string& second);

// Runs the whole check: the reports (and, for several files, the summary
// table) go to `out`, messages to `err` (one line "seedacc-check: ..." for
// errors, followed by the usage text for usage errors). A record that
// cannot be read is reported on `err` and the others are still checked.
// The outputs of the records that were read are written, all or nothing,
// only after every record has been read and everything computed, and
// before any report is printed. Returns the exit status.
int run(const std::vector<std::string>& args, std::ostream& out,
        std::ostream& err);

}  // namespace check

// cli.h: the command line of seedacc-match.
//
//   seedacc-match SEED.csv OUT.csv [--damping H] [--range F1:F2]
//                 [--criteria us|jp|both] [--max-iterations N] [--html OUT.html]
//                 [--format NAME] [--units U] [--dt DT] [--component C] [--pad]
//                 [--target NAME] [--target-units U] [--target-damping H]
//                 [--output-format F] [--digits N] [--output-units U]
//   seedacc-match SEED... --out-dir DIR [-j N] [the options above]
//
// With --out-dir, each seed's matched record goes to DIR (batch.h), the
// reports are printed in the order of the seeds, then a summary table.
//
// --dt DT is the step of a seed of one column of values; a seed with a step
// of its own is resampled to DT (resample.h), and one whose step is above
// groundmotion::kMaxTimeStep is resampled to that step without it.
//
// Options may come before, between or after the files and may also be
// written --name=value. Exit status: 0 when every written record meets every
// criterion of the chosen sets and the matcher's own, 4 when the matching
// of one stopped without meeting them (the best record found is written all
// the same), 1 when the target file cannot be read or any seed failed (the
// others still done): it cannot be read, has fewer than kMinSamples
// samples, or its output cannot be written (it
// is written as the check writes its outputs, so it is never left
// half-written), 2 for a usage error. Status 3 is none of these: on Windows
// it is an abort.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "criteria.h"
#include "match.h"
#include "record.h"
#include "record_file.h"

namespace match {

constexpr int kExitMatched = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNotMatched = 4;

constexpr int kMostIterations = 1000;
constexpr int kMostThreads = 256;  // -j

struct Options {
  std::vector<std::string> inputs;  // the seeds: one, or several with --out-dir
  std::string output;               // one seed: where its matched record goes
  std::string html_path;            // one seed: its page; empty: no page
  std::string out_dir;              // --out-dir: the folder of the matched records
  int threads = 0;                  // -j: records matched at once; 0: default_threads()
  groundmotion::CriteriaOptions criteria;  // damping, frequency range, target and sets
  groundmotion::TargetRequest target;      // the target as given
  groundmotion::ReadOptions reading;       // --format, --units, --dt, --component
  bool pad = false;                   // --pad: zeros to groundmotion::kMinDuration
  OutputLayout layout;                // --output-format, --digits, --output-units
  int max_iterations = kDefaultMaxIterations;
  bool help = false;
};

// The usage text, lines ended by '\n'.
std::string usage_text();

// Reads the arguments after the program name. Throws check::UsageError for
// an unknown option, a missing or malformed value, a damping ratio outside
// (0, 1), a range or sets of criteria the check would refuse, an
// iteration count outside 1 ... kMostIterations, files missing or too many
// (without --out-dir: exactly SEED and OUT), an output (the record or the
// page) that names the seed or the other output, --html with --out-dir,
// digits outside kFewestDigits ... kMostDigits, an at2 output in a unit
// other than g, -j below 1, or a target that cannot be used
// (check/target_options.h); groundmotion::InputError for a target file that
// cannot be read.
Options parse_arguments(const std::vector<std::string>& args);

// Runs the whole match: the report goes to `out`, messages to `err` (one
// line "seedacc-match: ..." for errors, followed by the usage text for
// usage errors). Returns the exit status.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace match

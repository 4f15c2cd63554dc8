// cli.h: the command line of seedacc-match.
//
//   seedacc-match SEED.csv OUT.csv [--damping H] [--range F1:F2]
//                 [--criteria us|jp|both] [--max-iterations N] [--html OUT.html]
//                 [--format NAME] [--units U] [--dt DT] [--component C] [--pad]
//                 [--target SPEC] [--target-units U] [--target-damping H]
//
// --dt DT is the step of a seed of one column of values; a seed with a step
// of its own is resampled to DT (resample.h), and one whose step is above
// spectra::kMaxTimeStep is resampled to that step without it.
//
// Options may come before, between or after the files and may also be
// written --name=value. Exit status: 0 when the written record meets every
// criterion of the chosen sets and the matcher's own, 4 when the matching
// stopped without meeting them (the best record found is written all the
// same), 1 when the seed or the target file cannot be read, the seed has
// fewer than kMinSamples samples, or the output cannot be written (it
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

namespace match {

constexpr int kExitMatched = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNotMatched = 4;

constexpr int kMostIterations = 1000;

struct Options {
  std::string input;
  std::string output;
  std::string html_path;  // empty: no page
  spectra::CriteriaOptions criteria;  // damping, frequency range, target and sets
  spectra::TargetRequest target;      // the target as given
  spectra::ReadOptions reading;       // --format, --units, --dt, --component
  bool pad = false;                   // --pad: zeros to spectra::kMinDuration
  int max_iterations = kDefaultMaxIterations;
  bool help = false;
};

// The usage text, lines ended by '\n'.
std::string usage_text();

// Reads the arguments after the program name. Throws check::UsageError for
// an unknown option, a missing or malformed value, a damping ratio outside
// (0, 1), a range or sets of criteria the check would refuse, an
// iteration count outside 1 ... kMostIterations, files missing or too many,
// an output (the record or the page) that names the seed or the other
// output, or a target that cannot be used
// (check/target_options.h); spectra::InputError for a target file that
// cannot be read.
Options parse_arguments(const std::vector<std::string>& args);

// Runs the whole match: the report goes to `out`, messages to `err` (one
// line "seedacc-match: ..." for errors, followed by the usage text for
// usage errors). Returns the exit status.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace match

// batch.h: several records in one run of seedacc-match (--out-dir DIR,
// -j N): where each matched record goes, the records matched N at a time
// and handed back in their order, and the summary table.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "record_file.h"

namespace match {

// One record of a run: the seed and where its matched record goes.
struct Job {
  std::string input;
  std::string output;
};

// DIR/NAME-matched.EXT for each input, NAME being its file name less its
// last extension and EXT the extension of `format`. Throws
// check::UsageError when `out_dir` is not an existing folder, when an
// output names an input by any path, or when two inputs would be written
// onto one name. Touches no file.
std::vector<Job> plan_jobs(const std::vector<std::string>& inputs, const std::string& out_dir,
                           OutputFormat format);

// What matching one record gave, for the summary table.
struct Outcome {
  int status = 0;            // the exit status of this record alone
  std::string report;        // its report, lines ended by '\n'
  std::string error;         // a line for standard error, or empty
  std::string file;          // the matched record's file, or empty when none
  std::string page;          // its page (--html, one seed), or empty
  std::size_t iterations = 0;
  double lowest_ratio = 0.0;
  double highest_ratio = 0.0;
  double residual_velocity = 0.0;      // cm/s
  double residual_displacement = 0.0;  // cm
  std::string verdict;       // "PASS", "FAIL", or why there is none
};

// Runs work(0) ... work(count - 1), `threads` (>= 1) at a time, and hands
// each outcome to deliver(i, outcome) on the calling thread, in the order
// of i, as soon as it and every one before it are done: the deliveries are
// the same whatever `threads` is. `work` must be safe to run on several
// threads at once.
void run_in_order(std::size_t count, int threads, const std::function<Outcome(std::size_t)>& work,
                  const std::function<void(std::size_t, Outcome&)>& deliver);

// The threads a run uses by default: the machine's cores, at least 1.
int default_threads();

// The summary table: record, iterations, lowest and highest ratio,
// residual velocity and displacement, verdict; one line a record.
std::string format_batch_summary(const std::vector<Job>& jobs, const std::vector<Outcome>& outcomes);

}  // namespace match

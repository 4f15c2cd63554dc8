// cli.cc: the command line of seedacc-match (see cli.h).
#include "cli.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <sstream>

#include "band_duration.h"
#include "check/cli.h"
#include "check/target_options.h"
#include "criteria.h"
#include "motion.h"
#include "output.h"
#include "batch.h"
#include "page.h"
#include "provenance.h"
#include "record_file.h"
#include "resample.h"
#include "report.h"
#include "response.h"
#include "text.h"

namespace match {
namespace {

using groundmotion::format;
using check::UsageError;

double parse_double(const std::string& name, const std::string& text) {
  double value = 0.0;
  if (!groundmotion::read_decimal(text, value)) {
    throw UsageError(name + " needs a number, got '" + text + "'");
  }
  return value;
}

// The options of the written records and of a run over several seeds;
// false for any other name.
bool set_output_option(Options& options, const std::string& name, const std::string& value) {
  const auto whole = [&name, &value](int low, int high) {
    int number = 0;
    const auto result = std::from_chars(value.data(), value.data() + value.size(), number);
    if (result.ec != std::errc() || result.ptr != value.data() + value.size() || number < low ||
        number > high) {
      throw UsageError(format("%s needs a whole number from %d to %d, got '", name.c_str(), low,
                              high) + value + "'");
    }
    return number;
  };
  try {
    if (name == "--output-format") {
      options.layout.format = parse_output_format(value);
    } else if (name == "--output-units") {
      options.layout.unit = groundmotion::parse_unit_name(value);
    } else if (name == "--digits") {
      options.layout.digits = whole(kFewestDigits, kMostDigits);
    } else if (name == "--out-dir") {
      options.out_dir = value;
    } else if (name == "-j") {
      options.threads = whole(1, kMostThreads);
    } else {
      return false;
    }
  } catch (const std::invalid_argument& error) {
    throw UsageError(name + ": " + error.what());
  }
  return true;
}

void set_option(Options& options, const std::string& name, const std::string& value) {
  if (check::read_target_option(options.target, name, value)) return;
  if (check::set_reading_option(options.reading, name, value)) return;
  if (set_output_option(options, name, value)) return;
  if (name == "--pad") {
    options.pad = true;
  } else if (name == "--damping") {
    options.criteria.damping = parse_double(name, value);
    if (!(options.criteria.damping > 0.0 && options.criteria.damping < 1.0)) {
      throw UsageError("--damping must be between 0 and 1 (exclusive), got '" + value + "'");
    }
  } else if (name == "--range") {
    try {
      options.criteria.range = groundmotion::parse_frequency_range(value);
    } catch (const std::invalid_argument& error) {
      throw UsageError(error.what());
    }
  } else if (name == "--html") {
    options.html_path = value;
  } else if (name == "--criteria") {
    try {
      options.criteria.sets = groundmotion::parse_criteria_choice(value);
    } catch (const std::invalid_argument& error) {
      throw UsageError(error.what());
    }
  } else {
    double count = 0.0;
    if (!groundmotion::read_decimal(value, count) || count != std::floor(count) || count < 1 ||
        count > kMostIterations) {
      throw UsageError("--max-iterations needs a whole number from 1 to " +
                       std::to_string(kMostIterations) + ", got '" + value + "'");
    }
    options.max_iterations = static_cast<int>(count);
  }
}

// The line of one iterate, printed as it is judged: its pass's heading
// first when a second pass begins.
std::string iteration_line(int pass, int iteration, const IterationSummary& step) {
  std::string text;
  if (pass == 2 && iteration == 0) {
    text += "second pass: envelope fitted to the seed's D5-95, long periods left free\n";
  }
  return text + groundmotion::format("iteration %3d%s  lowest ratio %6.3f at %7.4g Hz  highest %6.3f at %7.4g Hz\n",
                                iteration, iteration == 0 ? " (seed)" : "       ", step.lowest_ratio,
                                step.lowest_frequency, step.highest_ratio, step.highest_frequency);
}

// Which iterate was written.
std::string kept_line(const MatchResult& result) {
  const bool second = result.second_pass > 0 && result.best >= result.second_pass;
  const std::size_t number = second ? result.best - result.second_pass : result.best;
  return groundmotion::format("kept: iteration %zu%s\n", number, second ? " of the second pass" : "");
}

std::string peak_lines(const groundmotion::MotionSummary& motion) {
  std::string text;
  text += groundmotion::format("  peak acceleration  %10.4g gal   at %9.2f s\n", motion.acceleration.value,
                 motion.acceleration.time);
  text += groundmotion::format("  peak velocity      %10.4g cm/s  at %9.2f s\n", motion.velocity.value,
                 motion.velocity.time);
  text += groundmotion::format("  peak displacement  %10.4g cm    at %9.2f s\n", motion.displacement.value,
                 motion.displacement.time);
  return text;
}

// D5-95 in each octave band, the seed's and the matched record's, and the
// band from kBandWorstFrom up whose D5-95 grew the most.
std::string band_lines(const std::vector<BandDuration>& seed,
                       const std::vector<BandDuration>& matched) {
  std::string text = "\nD5-95 by octave band, seed -> matched:\n";
  double worst = 0.0;
  const BandDuration* worst_band = nullptr;
  for (std::size_t k = 0; k < seed.size(); ++k) {
    const double change =
        seed[k].duration > 0.0 ? matched[k].duration / seed[k].duration : 0.0;
    text += groundmotion::format("  %4g-%-4g Hz  %7.2f s -> %7.2f s  %6.3f\n", seed[k].low,
                            seed[k].high, seed[k].duration, matched[k].duration, change);
    if (seed[k].low >= kBandWorstFrom * (1.0 - groundmotion::kLimitMargin) && change > worst) {
      worst = change;
      worst_band = &seed[k];
    }
  }
  if (worst_band != nullptr) {
    text += groundmotion::format("  largest change from %g Hz up: %.3f times the seed's, %g-%g Hz\n",
                            kBandWorstFrom, worst, worst_band->low, worst_band->high);
  }
  return text;
}

// The matcher's own criteria on the matched record: residual velocity and
// displacement, D5-95 against the seed's, and the ground at rest in the
// seed's quiet tail.
groundmotion::Verdict own_verdict(const groundmotion::MotionSummary& motion, double seed_duration,
                                  const MatchResult& result, double record_end) {
  groundmotion::Verdict verdict;
  verdict.tag = "match";
  verdict.source = "the matcher's own limits on the matched record";
  verdict.pass = true;
  const double duration = motion.duration.length();
  verdict.add("residual vel.", groundmotion::format("%.3g cm/s", motion.residual_velocity),
              std::fabs(motion.residual_velocity) <= kMaxResidualVelocity,
              groundmotion::format("at most %g cm/s in magnitude; final velocity, from rest",
                              kMaxResidualVelocity),
              "final velocity of the record integrated from rest");
  verdict.add("residual disp.", groundmotion::format("%.3g cm", motion.residual_displacement),
              std::fabs(motion.residual_displacement) <= kMaxResidualDisplacement,
              groundmotion::format("at most %g cm in magnitude; final displacement, from rest",
                              kMaxResidualDisplacement),
              "final displacement of the record integrated from rest");
  const double ratio = seed_duration > 0.0 ? duration / seed_duration : 0.0;
  verdict.add("D5-95", groundmotion::format("%.3f", ratio),
              std::isfinite(ratio) && std::fabs(ratio - 1.0) <= kMaxDurationChange,
              groundmotion::format("%.4g s over the seed's %.4g s; within %.0f %%", duration,
                              seed_duration, 100.0 * kMaxDurationChange),
              "significant duration D5-95 against the seed's");
  const bool has_tail = result.quiet.start <= record_end;
  verdict.add("quiet tail", groundmotion::format("%.3g cm", result.tail_excursion),
              result.tail_excursion <= result.seed_tail_excursion + kMaxTailExcursion,
              has_tail ? groundmotion::format("at most %g cm beyond the seed's %.3g cm; from %.4g s",
                                              kMaxTailExcursion, result.seed_tail_excursion,
                                              result.quiet.start)
                       : std::string("no quiet tail: the seed moves to its end"),
              "largest distance of the ground from rest in the seed's quiet tail, against "
              "the seed's own from its final steady glide");
  return verdict;
}

// Brings the seed to the step it is matched at and, with --pad, to the
// shortest duration; returns the report's lines on what was done.
std::string prepare_seed(groundmotion::Record& seed, const Options& options) {
  std::string text;
  const bool asked = options.reading.dt > 0.0 && !seed.one_column;
  const bool too_coarse = seed.dt > groundmotion::kMaxTimeStep * (1.0 + groundmotion::kLimitMargin);
  const double step = asked ? options.reading.dt : groundmotion::kMaxTimeStep;
  if ((asked || too_coarse) && std::fabs(step - seed.dt) > 1e-9 * seed.dt) {
    seed.acc = resample(seed.acc, seed.dt, step);
    text += format("resampled: dt %g s to %g s%s, band-limited: %s; %zu samples\n", seed.dt, step,
                   asked ? " (--dt)" : ", the time-step criterion's limit (--dt chooses another)",
                   step > seed.dt ? format("content above %g Hz faded out below the new Nyquist "
                                           "frequency %g Hz",
                                           kResamplePassShare * 0.5 / step, 0.5 / step)
                                          .c_str()
                                  : "Fourier interpolation",
                   seed.acc.size());
    seed.dt = step;
    seed.time_resolution = std::min(seed.time_resolution, groundmotion::step_resolution(step));
  }
  if (options.pad) {
    const std::size_t added = pad_with_zeros(seed.acc, seed.dt, groundmotion::kMinDuration);
    text += added == 0 ? format("padded: nothing added, the record is %g s long already\n",
                                seed.end_time() - seed.start_time)
                       : format("padded: %.6g s of zeros added at the end, to %g s\n",
                                static_cast<double>(added) * seed.dt, groundmotion::kMinDuration);
  }
  return text;
}

}  // namespace

std::string usage_text() {
  return "usage: seedacc-match SEED.csv OUT.csv [--damping H] [--range F1:F2]\n"
         "                     [--criteria us|jp|both] [--max-iterations N] [--html OUT.html]\n"
         "                     [--format NAME] [--units U] [--dt DT] [--component C] [--pad]\n"
         "                     [--target NAME] [--target-units U] [--target-damping H]\n"
         "                     [--max-samples N]\n"
         "                     [--output-format F] [--digits N] [--output-units U]\n"
         "       seedacc-match SEED... --out-dir DIR [-j N] [the options above]\n"
         "  SEED.csv            record: time (s) and acceleration in columns, as seedacc writes\n"
         "                      it, or a PEER NGA, K-NET or JMA file (as seedacc-check reads it)\n"
         "  OUT.csv             the matched record, in the layout of --output-format\n" +
         format("  --damping H         damping ratio of the spectrum matched, 0 < H < 1 (default %g)\n",
                groundmotion::kDefaultDamping) +
         format("  --range F1:F2       match only the points from F1 to F2 Hz (default %g:%g)\n",
                groundmotion::kGridLow, groundmotion::kGridHigh) +
         format("  --max-iterations N  at most N correction steps a pass, 1 to %d (default %d)\n",
                kMostIterations, kDefaultMaxIterations) +
         "  --html OUT.html     write a self-contained page of the match for a reviewer:\n"
         "                      provenance, drawings and criteria, printable on A4\n" +
         check::target_usage(22) +
         "  --format, --units, --component, --max-samples   how SEED.csv is read, as for\n"
         "                      seedacc-check\n" +
         format("  --dt DT             resample the seed to DT s first (band-limited); a seed whose\n"
                "                      step is over %g s is resampled to %g s without it; the step\n"
                "                      of a seed of one column of values\n",
                groundmotion::kMaxTimeStep, groundmotion::kMaxTimeStep) +
         format("  --pad               extend a seed shorter than %g s with zeros at its end to %g s\n",
                groundmotion::kMinDuration, groundmotion::kMinDuration) +
         "  --output-format F   OUT.csv as " + output_format_choices() + ": seed (the default) as\n"
         "                      seedacc writes, csv time,acceleration, columns one value a line\n"
         "                      after a line giving dt and unit, at2 a PEER-style file in g\n" +
         format("  --digits N          significant digits of the acceleration, %d to %d (default %d,\n"
                "                      %d for seed)\n",
                kFewestDigits, kMostDigits, kDefaultDigits, kAccelerationDigits) +
         "  --output-units U    unit of the written acceleration, " + groundmotion::unit_choices() +
         " (default gal)\n"
         "  --out-dir DIR       several seeds: DIR/NAME-matched.csv (.txt, .AT2) for each, NAME\n"
         "                      its file name less its extension; a report each, then a summary\n"
         "  -j N                match N seeds at once (default: the number of cores)\n"
         "  --help              show this text\n" +
         format("exit status: %d matched, %d a criterion not met (best record written),\n"
                "             %d seed or target file unreadable or output not written, %d usage error\n",
                kExitMatched, kExitNotMatched, kExitFailure, kExitUsage);
}

Options parse_arguments(const std::vector<std::string>& args) {
  Options options;
  std::vector<std::string> names{"--damping",       "--range",  "--criteria",
                                 "--max-iterations", "--output-format", "--digits",
                                 "--output-units",   "--out-dir", "-j", "--html"};
  names.insert(names.end(), check::reading_option_names().begin(),
               check::reading_option_names().end());
  names.insert(names.end(), check::target_option_names().begin(),
               check::target_option_names().end());
  const check::CommandLine line = check::split_command_line(args, names, {"--pad"});
  options.help = line.help;
  const std::vector<std::string>& files = line.files;
  bool units_given = false;
  for (const auto& [name, value] : line.options) {
    set_option(options, name, value);
    units_given = units_given || name == "--output-units";
  }
  if (options.help) return options;
  if (options.layout.format == OutputFormat::at2) {
    if (units_given && options.layout.unit != groundmotion::Unit::g) {
      throw UsageError("--output-format at2 is written in g, not in " +
                       std::string(groundmotion::unit_name(options.layout.unit)));
    }
    options.layout.unit = groundmotion::Unit::g;
  }
  check::apply_target(options.target, options.criteria);
  if (!options.out_dir.empty()) {
    if (files.empty()) throw UsageError("no SEED given");
    if (!options.html_path.empty()) throw UsageError("--html is for one seed, not with --out-dir");
    options.inputs = files;
    return options;
  }
  if (files.size() != 2) {
    throw UsageError(files.size() < 2 ? "SEED.csv and OUT.csv are needed (or SEED... --out-dir DIR)"
                                      : "only SEED.csv and OUT.csv may be given, got '" +
                                            groundmotion::printable(files[2]) +
                                            "' as well (several seeds need --out-dir DIR)");
  }
  options.inputs = {files[0]};
  options.output = files[1];
  if (check::same_file(files[0], options.output)) {
    throw UsageError("OUT.csv names the seed itself");
  }
  if (!options.html_path.empty()) {
    if (check::same_file(options.html_path, files[0])) {
      throw UsageError("--html names the seed itself");
    }
    if (check::same_file(options.html_path, options.output)) {
      throw UsageError("--html and OUT.csv name the same file");
    }
  }
  return options;
}

namespace {

// Reads, prepares and matches the seed of `job`, and lays out its file and
// report; writes no file. With a `live` stream (one seed in the run) the
// report's head and a line per iterate go there as they are made, flushed,
// and the outcome's report holds the rest; a wait for a named pipe's writer
// is then said on `live_err`.
Outcome match_one(const Job& job, const Options& options, std::ostream* live,
                  std::ostream* live_err) {
  Outcome outcome;
  const auto failed = [&](const std::string& message, const char* verdict) {
    outcome.status = kExitFailure;
    outcome.error = "seedacc-match: " + groundmotion::printable(message) + "\n";
    outcome.verdict = verdict;
    return outcome;
  };
  try {
    std::ostringstream unheard;
    groundmotion::Record seed = check::read_record(job.input, options.reading, "seedacc-match",
                                              live_err != nullptr ? *live_err : unheard);
    const std::string prepared = prepare_seed(seed, options);
    if (seed.acc.size() < kMinSamples) {
      return failed(format("%s: %zu samples; matching needs at least %zu", job.input.c_str(),
                           seed.acc.size(), kMinSamples),
                    "too short");
    }
    if (groundmotion::select_points(seed.dt, options.criteria.range).compared_count() == 0) {
      return failed(job.input + ": no point of the spectrum lies in the range and below the "
                                "record's Nyquist frequency",
                    "no points");
    }
    std::string head = "seedacc-match: " + groundmotion::printable(job.input) + " -> " +
                       groundmotion::printable(job.output) + "\n" + groundmotion::describe_reading(seed) +
                       check::units_warning(groundmotion::summarize_motion(seed).acceleration.value) +
                       prepared + "target: " +
                       groundmotion::printable(options.criteria.target.description()) + "\n  " +
                       options.criteria.target.damping_rule(options.criteria.damping) + "\n";
    if (live != nullptr) {
      *live << head << std::flush;
      head.clear();
    }
    Settings settings{options.criteria, options.max_iterations, options.layout, {}};
    settings.output.source = job.input;
    settings.output.target = options.criteria.target.name();
    settings.on_iteration = [live, &head](int pass, int iteration, const IterationSummary& step) {
      if (live != nullptr) {
        *live << iteration_line(pass, iteration, step) << std::flush;
      } else {
        head += iteration_line(pass, iteration, step);
      }
    };
    const MatchResult result = match_record(seed, settings);
    outcome.file = format_record_file(seed, result.acc, settings.output);
    groundmotion::Record matched = seed;
    matched.source = job.output;
    matched.acc = result.acc;
    const groundmotion::MotionSummary seed_motion = groundmotion::summarize_motion(seed);
    const groundmotion::MotionSummary motion = groundmotion::summarize_motion(matched);
    groundmotion::Evaluation evaluation =
        groundmotion::evaluate_record(matched.dt, matched.acc, options.criteria);
    evaluation.verdicts.insert(evaluation.verdicts.begin(),
                               own_verdict(motion, seed_motion.duration.length(), result,
                                           seed.end_time() - seed.start_time));
    const std::vector<groundmotion::Verdict>& verdicts = evaluation.verdicts;
    if (!options.html_path.empty()) {
      const MatchPage match{&seed, page::file_facts(job.input), &matched,
                            page::content_facts(job.output, outcome.file), &result, &motion,
                            &evaluation};
      outcome.page = format_html(match, page::run_date());
    }
    std::ostringstream report;
    report << head << kept_line(result) << "\nmatched record, as written:\n" << peak_lines(motion)
           << band_lines(band_durations(seed.acc, seed.dt),
                         band_durations(matched.acc, matched.dt));
    for (const groundmotion::Verdict& verdict : verdicts) {
      report << "\n";
      groundmotion::write_verdict(report, verdict);
    }
    outcome.report = report.str();
    const bool pass = groundmotion::all_pass(verdicts);
    outcome.status = pass ? kExitMatched : kExitNotMatched;
    outcome.verdict = pass ? "PASS" : "FAIL";
    // Correction steps: every line but the seed's, once per pass.
    outcome.iterations = result.iterations.size() - (result.second_pass > 0 ? 2 : 1);
    outcome.lowest_ratio = result.iterations[result.best].lowest_ratio;
    outcome.highest_ratio = result.iterations[result.best].highest_ratio;
    outcome.residual_velocity = motion.residual_velocity;
    outcome.residual_displacement = motion.residual_displacement;
    return outcome;
  } catch (const std::exception& error) {
    return failed(error.what(), "not read");
  }
}

// The status of a run from those of its records: a failure first, then a
// criterion not met.
int combined_status(int status, int record) {
  if (status == kExitFailure || record == kExitFailure) return kExitFailure;
  if (status == kExitNotMatched || record == kExitNotMatched) return kExitNotMatched;
  return kExitMatched;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  std::vector<Job> jobs;
  try {
    options = parse_arguments(args);
    if (!options.help) {
      jobs = options.out_dir.empty()
                 ? std::vector<Job>{{options.inputs[0], options.output}}
                 : plan_jobs(options.inputs, options.out_dir, options.layout.format);
    }
  } catch (const UsageError& error) {
    err << "seedacc-match: " << groundmotion::printable(error.what()) << "\n" << usage_text();
    return kExitUsage;
  } catch (const groundmotion::InputError& error) {  // the target file
    err << "seedacc-match: " << groundmotion::printable(error.what()) << "\n";
    return kExitFailure;
  }
  if (options.help) {
    out << usage_text();
    return kExitMatched;
  }
  int status = kExitMatched;
  std::vector<Outcome> outcomes(jobs.size());
  bool printed = false;
  const auto deliver = [&](std::size_t i, Outcome& outcome) {
    if (!outcome.file.empty()) {
      try {
        std::vector<check::OutputFile> files{{jobs[i].output, outcome.file}};
        if (!outcome.page.empty()) files.push_back({options.html_path, outcome.page});
        check::write_files(files);
      } catch (const std::exception& error) {
        outcome.status = kExitFailure;
        outcome.error = "seedacc-match: " + groundmotion::printable(error.what()) + "\n";
        outcome.report.clear();
        outcome.file.clear();
        outcome.page.clear();
        outcome.verdict = "not written";
      }
    }
    err << outcome.error;
    if (!outcome.report.empty()) {
      out << (printed ? "\n" : "") << outcome.report;
      out.flush();
      printed = true;
    }
    status = combined_status(status, outcome.status);
    outcome.report.clear();  // the summary needs only the figures
    outcomes[i] = std::move(outcome);
  };
  run_in_order(jobs.size(), options.threads > 0 ? options.threads : default_threads(),
               [&](std::size_t i) {
                 const bool one = jobs.size() == 1;
                 return match_one(jobs[i], options, one ? &out : nullptr, one ? &err : nullptr);
               },
               deliver);
  if (!options.out_dir.empty()) out << format_batch_summary(jobs, outcomes);
  out.flush();
  if (!out) {
    err << "seedacc-match: cannot write the report to standard output\n";
    return kExitFailure;
  }
  return status;
}

}  // namespace match

// cli.cc: the command line of seedacc-match (see cli.h).
#include "cli.h"

#include <cassert>
#include <charconv>
#include <cmath>

#include "check/cli.h"
#include "criteria.h"
#include "motion.h"
#include "output.h"
#include "page.h"
#include "provenance.h"
#include "report.h"
#include "textio/fmt.h"

namespace match {
namespace {

using spectra::format;
using check::UsageError;

double parse_double(const std::string& name, const std::string& text) {
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
      !std::isfinite(value)) {
    throw UsageError(name + " needs a number, got '" + text + "'");
  }
  return value;
}

void set_option(Options& options, const std::string& name, const std::string& value) {
  if (name == "--damping") {
    options.criteria.damping = parse_double(name, value);
    if (!(options.criteria.damping > 0.0 && options.criteria.damping < 1.0)) {
      throw UsageError("--damping must be between 0 and 1 (exclusive), got '" + value + "'");
    }
  } else if (name == "--range") {
    try {
      options.criteria.range = spectra::parse_frequency_range(value);
    } catch (const std::invalid_argument& error) {
      throw UsageError(error.what());
    }
  } else if (name == "--html") {
    options.html_path = value;
  } else {
    int count = 0;
    const auto result = std::from_chars(value.data(), value.data() + value.size(), count);
    if (result.ec != std::errc() || result.ptr != value.data() + value.size() || count < 1 ||
        count > kMostIterations) {
      throw UsageError("--max-iterations needs a whole number from 1 to " +
                       std::to_string(kMostIterations) + ", got '" + value + "'");
    }
    options.max_iterations = count;
  }
}

std::string iteration_lines(const MatchResult& result) {
  std::string text;
  for (std::size_t i = 0; i < result.iterations.size(); ++i) {
    const IterationSummary& step = result.iterations[i];
    const bool second = result.second_pass > 0 && i >= result.second_pass;
    if (second && i == result.second_pass) {
      text += "second pass: envelope fitted to the seed's D5-95, long periods left free\n";
    }
    const std::size_t number = second ? i - result.second_pass : i;
    text += spectra::format("iteration %3zu%s  lowest ratio %6.3f at %7.4g Hz  highest %6.3f at %7.4g Hz%s\n",
                   number, number == 0 ? " (seed)" : "       ", step.lowest_ratio, step.lowest_frequency,
                   step.highest_ratio, step.highest_frequency, i == result.best ? "  kept" : "");
  }
  return text;
}

std::string peak_lines(const spectra::MotionSummary& motion) {
  std::string text;
  text += spectra::format("  peak acceleration  %10.4g gal   at %9.2f s\n", motion.acceleration.value,
                 motion.acceleration.time);
  text += spectra::format("  peak velocity      %10.4g cm/s  at %9.2f s\n", motion.velocity.value,
                 motion.velocity.time);
  text += spectra::format("  peak displacement  %10.4g cm    at %9.2f s\n", motion.displacement.value,
                 motion.displacement.time);
  return text;
}

// The check's verdict on the matched record with the matching's own
// criteria added: residual velocity and displacement, and D5-95 against
// the seed's.
spectra::Verdict full_verdict(spectra::Verdict verdict, const spectra::MotionSummary& motion,
                            double seed_duration) {
  const double duration = motion.duration.length();
  const auto add = [&verdict](const char* name, const std::string& figure, bool pass,
                              const std::string& note) {
    verdict.criteria.push_back({name, figure, pass, note});
    if (!pass) verdict.failed.push_back(name);
  };
  add("residual vel.", spectra::format("%.3g cm/s", motion.residual_velocity),
      std::fabs(motion.residual_velocity) <= kMaxResidualVelocity,
      spectra::format("at most %g cm/s in magnitude; final velocity, from rest", kMaxResidualVelocity));
  add("residual disp.", spectra::format("%.3g cm", motion.residual_displacement),
      std::fabs(motion.residual_displacement) <= kMaxResidualDisplacement,
      spectra::format("at most %g cm in magnitude; final displacement, from rest",
             kMaxResidualDisplacement));
  const double ratio = seed_duration > 0.0 ? duration / seed_duration : 0.0;
  add("D5-95", spectra::format("%.3f", ratio), std::fabs(ratio - 1.0) <= kMaxDurationChange,
      spectra::format("%.4g s over the seed's %.4g s; within %.0f %%", duration, seed_duration,
             100.0 * kMaxDurationChange));
  verdict.pass = verdict.failed.empty();
  return verdict;
}

}  // namespace

std::string usage_text() {
  return "usage: seedacc-match SEED.csv OUT.csv [--damping H] [--range F1:F2] [--max-iterations N]\n"
         "                     [--html OUT.html]\n"
         "  SEED.csv            record of time (s) and acceleration (gal), as seedacc writes it\n"
         "  OUT.csv             the matched record, written in the same layout\n"
         "  --damping H         damping ratio of the spectrum matched, 0 < H < 1 (default 0.05)\n"
         "  --range F1:F2       match only the points from F1 to F2 Hz (default 0.1:50)\n"
         "  --max-iterations N  at most N correction steps a pass, 1 to 1000 (default 40)\n"
         "  --html OUT.html     write a self-contained page of the match for a reviewer:\n"
         "                      provenance, drawings and criteria, printable on A4\n"
         "  --help              show this text\n"
         "exit status: 0 matched, 3 every criterion not met (best record written),\n"
         "             1 seed unreadable or output not written, 2 usage error\n";
}

Options parse_arguments(const std::vector<std::string>& args) {
  Options options;
  const check::CommandLine line =
      check::split_command_line(args, {"--damping", "--range", "--max-iterations", "--html"});
  options.help = line.help;
  const std::vector<std::string>& files = line.files;
  for (const auto& [name, value] : line.options) set_option(options, name, value);
  if (options.help) return options;
  if (files.size() != 2) {
    throw UsageError(files.size() < 2 ? "SEED.csv and OUT.csv are needed"
                                      : "only SEED.csv and OUT.csv may be given, got '" +
                                            files[2] + "' as well");
  }
  options.input = files[0];
  options.output = files[1];
  if (check::same_file(options.input, options.output)) {
    throw UsageError("OUT.csv names the seed itself");
  }
  if (!options.html_path.empty()) {
    if (check::same_file(options.html_path, options.input)) {
      throw UsageError("--html names the seed itself");
    }
    if (check::same_file(options.html_path, options.output)) {
      throw UsageError("--html and OUT.csv name the same file");
    }
  }
  return options;
}

std::string format_record_file(const spectra::Record& layout, const std::vector<double>& acc) {
  assert(!acc.empty());
  // The seed's own decimals, at least the two of F8.2; the width holds the
  // last time, its sign and point, and is at least 8.
  int decimals = 2;
  if (layout.time_resolution > 0.0 && layout.time_resolution < 0.01) {
    decimals = static_cast<int>(std::lround(-std::log10(layout.time_resolution)));
    decimals = std::min(decimals, 9);
  }
  const double last_time = std::max(std::fabs(layout.start_time),
                                    std::fabs(layout.time_at(acc.size() - 1)));
  int digits = 1;
  for (double limit = 10.0; last_time >= limit && digits < 30; limit *= 10.0) ++digits;
  const int width = std::max(8, digits + decimals + 2);
  assert(width + 14 <= textio::fmt::kMaxWidth);

  std::string text = " time(sec),matched-Acc(gal)\n";
  text.reserve(text.size() + acc.size() * static_cast<std::size_t>(width + 14));
  char line[textio::fmt::kMaxWidth + 1];  // time, comma, E12.4, line feed
  for (std::size_t i = 0; i < acc.size(); ++i) {
    char* end = textio::fmt::edit_f(line, layout.time_at(i), width, decimals);
    *end++ = ',';
    end = textio::fmt::edit_e(end, acc[i], 12, 4);
    *end++ = '\n';
    text.append(line, end);
  }
  return text;
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  try {
    options = parse_arguments(args);
  } catch (const UsageError& error) {
    err << "seedacc-match: " << error.what() << "\n" << usage_text();
    return kExitUsage;
  }
  if (options.help) {
    out << usage_text();
    return kExitMatched;
  }
  try {
    const spectra::Record seed = spectra::read_record_file(options.input);
    if (seed.acc.size() < kMinSamples) {
      err << "seedacc-match: " << options.input << ": " << seed.acc.size()
          << " samples; matching needs at least " << kMinSamples << "\n";
      return kExitFailure;
    }
    if (spectra::select_points(seed.dt, options.criteria.range).compared_count() == 0) {
      err << "seedacc-match: " << options.input << ": no point of the spectrum lies in the "
          << "range and below the record's Nyquist frequency\n";
      return kExitFailure;
    }
    const MatchResult result =
        match_record(seed, Settings{options.criteria, options.max_iterations});
    const std::string record_file = format_record_file(seed, result.acc);
    spectra::Record matched = seed;
    matched.source = options.output;
    matched.acc = result.acc;
    const spectra::MotionSummary seed_motion = spectra::summarize_motion(seed);
    const spectra::MotionSummary motion = spectra::summarize_motion(matched);
    spectra::Evaluation evaluation =
        spectra::evaluate_record(matched.dt, matched.acc, options.criteria);
    evaluation.verdict = full_verdict(evaluation.verdict, motion, seed_motion.duration.length());
    const spectra::Verdict& verdict = evaluation.verdict;
    std::vector<check::OutputFile> files{{options.output, record_file}};
    if (!options.html_path.empty()) {
      const MatchPage match{&seed, page::file_facts(options.input), &matched,
                            page::content_facts(options.output, record_file), &result, &motion,
                            &evaluation};
      files.push_back({options.html_path, format_html(match, page::run_date())});
    }
    check::write_files(files);
    out << "seedacc-match: " << options.input << " -> " << options.output << "\n"
        << iteration_lines(result) << "\nmatched record, as written:\n"
        << peak_lines(motion) << "\n";
    spectra::write_verdict(out, verdict);
    out.flush();
    if (!out) {
      err << "seedacc-match: cannot write the report to standard output\n";
      return kExitFailure;
    }
    return verdict.pass ? kExitMatched : kExitNotMatched;
  } catch (const std::exception& error) {
    err << "seedacc-match: " << error.what() << "\n";
    return kExitFailure;
  }
}

}  // namespace match

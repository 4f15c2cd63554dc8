// cli.cc: the command line of seedacc-check (see cli.h).
#include "cli.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "csv.h"
#include "input_os.h"
#include "html.h"
#include "output.h"
#include "provenance.h"
#include "record.h"
#include "report.h"
#include "svg.h"
#include "target_options.h"
#include "text.h"

namespace check {
namespace {

namespace fs = std::filesystem;

double parse_damping(const std::string& text) {
  double value = 0.0;
  if (!groundmotion::read_decimal(text, value)) {
    throw UsageError("--damping needs a number, got '" + text + "'");
  }
  if (!(value > 0.0 && value < 1.0)) {
    throw UsageError("--damping must be between 0 and 1 (exclusive), got '" +
                     text + "'");
  }
  return value;
}

void set_option(Options& options, const std::string& name, const std::string& value) {
  if (read_target_option(options.target, name, value)) return;
  if (set_reading_option(options.reading, name, value)) return;
  if (name == "--damping") {
    options.criteria.damping = parse_damping(value);
  } else if (name == "--range") {
    try {
      options.criteria.range = groundmotion::parse_frequency_range(value);
    } catch (const std::invalid_argument& error) {
      throw UsageError(error.what());
    }
  } else if (name == "--criteria") {
    try {
      options.criteria.sets = groundmotion::parse_criteria_choice(value);
    } catch (const std::invalid_argument& error) {
      throw UsageError(error.what());
    }
  } else if (name == "--csv") {
    options.csv_path = value;
  } else if (name == "--html") {
    options.html_path = value;
  } else {
    options.svg_path = value;
  }
}

bool names_folder(const std::string& path) {
  std::error_code status;
  return !path.empty() && (path.back() == '/' || fs::is_directory(path, status));
}

// The path of one output: as given, or inside the folder it names.
std::string output_path(const std::string& given, const std::string& input, bool is_csv) {
  if (!names_folder(given)) return given;
  const std::string name = fs::path(input).stem().string();
  return (fs::path(given) / (name + (is_csv ? ".spectrum.csv" : ".svg"))).string();
}


}  // namespace

groundmotion::Record read_record(const std::string& path, const groundmotion::ReadOptions& reading,
                            const char* program, std::ostream& err) {
  const std::unique_ptr<std::istream> pipe = os::open_named_pipe(path, kWriterPatienceMs, [&] {
    err << program << ": " << groundmotion::printable(path) << ": waiting for a writer\n" << std::flush;
  });
  return pipe ? groundmotion::parse_record(*pipe, path, reading) : groundmotion::read_record_file(path, reading);
}

groundmotion::Record read_input(const std::string& path, const groundmotion::ReadOptions& reading,
                           std::ostream& err) {
  groundmotion::Record record = read_record(path, reading, "seedacc-check", err);
  if (reading.dt > 0.0 && !record.one_column &&
      std::fabs(record.dt - reading.dt) > groundmotion::kStepAgreement * reading.dt) {
    throw groundmotion::InputError(groundmotion::format(
        "%s: --dt %g s contradicts the file's own step %g s (the check judges the file as it "
        "is; seedacc-match --dt resamples)",
        path.c_str(), reading.dt, record.dt));
  }
  return record;
}

bool set_reading_option(groundmotion::ReadOptions& reading, const std::string& name,
                        const std::string& value) {
  try {
    if (name == "--format") {
      reading.format = groundmotion::parse_format_name(value);
    } else if (name == "--units") {
      reading.unit = groundmotion::parse_unit_name(value);
    } else if (name == "--component") {
      reading.component = groundmotion::parse_component_name(value);
    } else if (name == "--dt") {
      double dt = 0.0;
      if (!groundmotion::read_decimal(value, dt) || !(dt > 0.0)) {
        throw UsageError("--dt needs a time step in s above 0, got '" + value + "'");
      }
      reading.dt = dt;
    } else if (name == "--max-samples") {
      double count = 0.0;
      if (!groundmotion::read_decimal(value, count) || count != std::floor(count) || count < 2 ||
          count > 1e15) {
        throw UsageError("--max-samples needs a whole number of at least 2, got '" + value + "'");
      }
      reading.max_samples = static_cast<std::size_t>(count);
    } else {
      return false;
    }
  } catch (const std::invalid_argument& error) {
    throw UsageError(name + ": " + error.what());
  }
  return true;
}

const std::vector<std::string>& reading_option_names() {
  static const std::vector<std::string> names{"--format", "--units", "--dt", "--component",
                                              "--max-samples"};
  return names;
}

std::string reading_usage() {
  return "  --format NAME  read FILE as " + groundmotion::format_choices() +
         " (default: found from\n"
         "                 its content: text in columns, PEER NGA, K-NET/KiK-net, JMA CSV)\n"
         "  --units U      unit of values whose file names none, " + groundmotion::unit_choices() +
         " (default gal)\n"
         "  --dt DT        time step of a file of one column of values, s\n"
         "  --component C  the component of a JMA file to read, NS, EW or UD\n" +
         groundmotion::format("  --max-samples N\n"
                         "                 read records of up to N samples (default %zu)\n",
                         groundmotion::kDefaultMaxSamples);
}

// Whether the two paths name one file: the same existing file by device
// and inode, or, for a file not yet there, the same absolute path once
// links in its folders are followed.
bool same_file(const std::string& first, const std::string& second) {
  std::error_code status;
  if (fs::exists(first, status) && fs::exists(second, status)) {
    return fs::equivalent(first, second, status) && !status;
  }
  const fs::path one = fs::weakly_canonical(fs::absolute(first), status);
  const fs::path two = fs::weakly_canonical(fs::absolute(second), status);
  return !status && one == two;
}

std::string usage_text() {
  return "usage: seedacc-check FILE... [--damping H] [--range F1:F2]\n"
         "                     [--criteria us|jp|both] [--csv OUT] [--svg OUT] [--html OUT]\n"
         "                     [--format NAME] [--units U] [--dt DT] [--component C]\n"
         "                     [--target NAME] [--target-units U] [--target-damping H]\n"
         "                     [--max-samples N]\n"
         "  FILE           record: time (s) and acceleration in columns, as seedacc\n"
         "                 writes it, or a PEER NGA, K-NET or JMA file; several files\n"
         "                 give a report each, then a summary table\n"
         "  --damping H    damping ratio of the oscillators, 0 < H < 1 (default " +
         groundmotion::format("%g", groundmotion::kDefaultDamping) + ");\n"
         "                 jp targets are scaled by 1.5 / (1 + 10 H), ec8 by its eta;\n"
         "                 asce7 and a target FILE take only their own damping\n" +
         groundmotion::format("  --range F1:F2  judge only the frequencies F1 to F2 Hz (within %g:%g)\n",
                         groundmotion::kGridLow, groundmotion::kGridHigh) +
         "  --criteria S   the sets of criteria that judge: us (US nuclear review\n"
         "                 practice), jp (Japanese practice) or both (default: the\n"
         "                 target's, jp for the Japanese spectra)\n" +
         target_usage(17) +
         "  --csv OUT      write the spectrum table (frequency, period, Sa, target, ratio)\n"
         "  --svg OUT      write a picture of the record, its spectrum and the ratio\n"
         "                 OUT may be a folder (one that exists, or ending in /), and\n"
         "                 must be one for several files: FOLDER/NAME.spectrum.csv,\n"
         "                 FOLDER/NAME.svg, NAME being the file's name less its extension\n"
         "  --html OUT     write one self-contained page of every record for a reviewer:\n"
         "                 provenance, drawings and criteria, printable on A4\n" +
         reading_usage() +
         "  --help         show this text\n"
         "Exit status: 0 when every report was printed, whatever the verdicts; 1 when\n"
         "a record, the target file or an output could not be read or written; 2 for a\n"
         "usage error.\n";
}

CommandLine split_command_line(const std::vector<std::string>& args,
                               const std::vector<std::string>& names,
                               const std::vector<std::string>& flags) {
  CommandLine line;
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg.size() < 2 || arg[0] != '-') {
      line.files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      line.help = true;
      continue;
    }
    // An option, with its value either attached by '=' or the next argument.
    std::string name = arg;
    std::string value;
    bool has_value = false;
    const std::size_t equals = arg.find('=');
    if (equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
      has_value = true;
    }
    const bool flag = std::find(flags.begin(), flags.end(), name) != flags.end();
    if (!flag && std::find(names.begin(), names.end(), name) == names.end()) {
      throw UsageError("unknown option '" + groundmotion::printable(name) + "'");
    }
    for (const auto& given : line.options) {
      if (given.first == name) throw UsageError(name + " is given twice");
    }
    if (flag) {
      if (has_value) throw UsageError(name + " takes no value");
      line.options.emplace_back(name, "yes");
      continue;
    }
    if (!has_value) {
      // The next argument is the value, unless it is another option.
      if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0) {
        throw UsageError(name + " needs a value");
      }
      value = args[++i];
    }
    if (value.empty()) throw UsageError(name + " needs a value");
    line.options.emplace_back(name, value);
  }
  return line;
}

Options parse_arguments(const std::vector<std::string>& args) {
  Options options;
  std::vector<std::string> names{"--damping", "--range", "--criteria", "--csv", "--svg", "--html"};
  names.insert(names.end(), reading_option_names().begin(), reading_option_names().end());
  names.insert(names.end(), target_option_names().begin(), target_option_names().end());
  const CommandLine line = split_command_line(args, names);
  options.help = line.help;
  options.inputs = line.files;
  for (const auto& [name, value] : line.options) set_option(options, name, value);
  if (options.help) return options;
  if (options.inputs.empty()) throw UsageError("no record FILE given");
  apply_target(options.target, options.criteria);
  return options;
}

std::vector<PlannedOutput> plan_outputs(const Options& options) {
  std::vector<PlannedOutput> planned;
  for (const bool is_csv : {true, false}) {
    const std::string& given = is_csv ? options.csv_path : options.svg_path;
    if (given.empty()) continue;
    if (options.inputs.size() > 1 && !names_folder(given)) {
      throw UsageError(std::string(is_csv ? "--csv" : "--svg") +
                       " must name a folder when several files are checked, got '" + given +
                       "'");
    }
    for (std::size_t i = 0; i < options.inputs.size(); ++i) {
      planned.push_back({i, is_csv, output_path(given, options.inputs[i], is_csv)});
    }
  }
  if (!options.html_path.empty()) planned.push_back({0, false, options.html_path, true});
  const auto option_of = [](const PlannedOutput& output) {
    return output.is_page ? "--html" : output.is_csv ? "--csv" : "--svg";
  };
  for (std::size_t k = 0; k < planned.size(); ++k) {
    const std::string option = option_of(planned[k]);
    for (const std::string& input : options.inputs) {
      if (same_file(planned[k].path, input)) {
        throw UsageError(option + " '" + planned[k].path + "' names the input file '" + input +
                         "'");
      }
    }
    for (std::size_t j = 0; j < k; ++j) {
      if (!same_file(planned[k].path, planned[j].path)) continue;
      if (option_of(planned[j]) != option) {
        throw UsageError(std::string(option_of(planned[j])) + " and " + option +
                         " name the same file");
      }
      throw UsageError(option + " would write two records to '" + planned[k].path + "'");
    }
  }
  return planned;
}

int run(const std::vector<std::string>& args, std::ostream& out,
        std::ostream& err) {
  Options options;
  std::vector<PlannedOutput> planned;
  try {
    options = parse_arguments(args);
    if (!options.help) planned = plan_outputs(options);
  } catch (const UsageError& error) {
    err << "seedacc-check: " << groundmotion::printable(error.what()) << "\n" << usage_text();
    return kExitUsage;
  } catch (const groundmotion::InputError& error) {  // the target file
    err << "seedacc-check: " << groundmotion::printable(error.what()) << "\n";
    return kExitFailure;
  }
  if (options.help) {
    out << usage_text();
    return kExitOk;
  }
  // Every record first, so that nothing is written before all are computed.
  std::vector<std::unique_ptr<CheckResult>> results(options.inputs.size());
  std::vector<PageRecord> page_records(options.inputs.size());
  int status = kExitOk;
  for (std::size_t i = 0; i < options.inputs.size(); ++i) {
    page_records[i].file = options.inputs[i];
    try {
      results[i] = std::make_unique<CheckResult>(
          run_check(read_input(options.inputs[i], options.reading, err), options.criteria));
      if (!options.html_path.empty()) page_records[i].facts = page::file_facts(options.inputs[i]);
      page_records[i].result = results[i].get();
    } catch (const std::exception& error) {
      err << "seedacc-check: " << groundmotion::printable(error.what()) << "\n";
      page_records[i].failure = error.what();
      results[i].reset();
      status = kExitFailure;
    }
  }
  std::vector<OutputFile> files;
  for (const PlannedOutput& output : planned) {
    if (output.is_page) {
      const bool any_read = std::any_of(results.begin(), results.end(),
                                        [](const auto& result) { return result != nullptr; });
      if (any_read) files.push_back({output.path, format_html(page_records, page::run_date())});
      continue;
    }
    const CheckResult* result = results[output.input].get();
    if (result == nullptr) continue;
    files.push_back({output.path, output.is_csv ? format_csv(result->evaluation)
                                                : format_svg(*result)});
  }
  try {
    write_files(files);
  } catch (const OutputError& error) {
    err << "seedacc-check: " << groundmotion::printable(error.what()) << "\n";
    return kExitFailure;
  }
  std::vector<SummaryRow> rows;
  bool printed = false;
  for (std::size_t i = 0; i < options.inputs.size(); ++i) {
    if (results[i] != nullptr) {
      out << (printed ? "\n" : "") << format_report(*results[i]);
      printed = true;
    }
    rows.push_back({options.inputs[i], results[i].get()});
  }
  if (options.inputs.size() > 1) out << format_summary(rows);
  out.flush();
  if (!out) {
    err << "seedacc-check: cannot write the report to standard output\n";
    return kExitFailure;
  }
  return status;
}

}  // namespace check

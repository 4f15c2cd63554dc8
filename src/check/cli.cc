// cli.cc: the command line of seedacc-check (see cli.h).
#include "cli.h"

#include <charconv>
#include <cmath>

#include "csv.h"
#include "output.h"
#include "record.h"
#include "report.h"
#include "svg.h"

namespace check {
namespace {

double parse_damping(const std::string& text) {
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
    throw UsageError("--damping needs a number, got '" + text + "'");
  }
  if (!(value > 0.0 && value < 1.0)) {
    throw UsageError("--damping must be between 0 and 1 (exclusive), got '" +
                     text + "'");
  }
  return value;
}

}  // namespace

std::string usage_text() {
  return "usage: seedacc-check FILE [--damping Z] [--csv OUT.csv] [--svg OUT.svg]\n"
         "  FILE          record of time (s) and acceleration (gal), one\n"
         "                \"time,acceleration\" per line, as seedacc writes it\n"
         "  --damping Z   damping ratio of the oscillators, 0 < Z < 1 (default 0.05)\n"
         "  --csv PATH    write the spectrum table (frequency, period, Sa, target, ratio)\n"
         "  --svg PATH    write a picture of the record and of its spectrum\n"
         "  --help        show this text\n";
}

Options parse_arguments(const std::vector<std::string>& args) {
  Options options;
  bool have_input = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      continue;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      if (have_input) throw UsageError("only one FILE may be given, got '" + arg + "' as well");
      options.input = arg;
      have_input = true;
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
    if (name != "--damping" && name != "--csv" && name != "--svg") {
      throw UsageError("unknown option '" + name + "'");
    }
    if (!has_value) {
      // The next argument is the value, unless it is another option.
      if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0) {
        throw UsageError(name + " needs a value");
      }
      value = args[++i];
    }
    if (value.empty()) throw UsageError(name + " needs a value");
    if (name == "--damping") {
      options.damping = parse_damping(value);
    } else if (name == "--csv") {
      options.csv_path = value;
    } else {
      options.svg_path = value;
    }
  }
  if (options.help) return options;
  if (!have_input) throw UsageError("no record FILE given");
  if (!options.csv_path.empty() && options.csv_path == options.svg_path) {
    throw UsageError("--csv and --svg name the same file");
  }
  return options;
}

int run(const std::vector<std::string>& args, std::ostream& out,
        std::ostream& err) {
  Options options;
  try {
    options = parse_arguments(args);
  } catch (const UsageError& error) {
    err << "seedacc-check: " << error.what() << "\n" << usage_text();
    return kExitUsage;
  }
  if (options.help) {
    out << usage_text();
    return kExitOk;
  }
  try {
    const CheckResult result = run_check(read_record_file(options.input), options.damping);
    const std::string report = format_report(result);
    std::vector<OutputFile> files;
    if (!options.csv_path.empty()) files.push_back({options.csv_path, format_csv(result.spectrum)});
    if (!options.svg_path.empty()) files.push_back({options.svg_path, format_svg(result)});
    write_files(files);
    out << report;
    out.flush();
    if (!out) {
      err << "seedacc-check: cannot write the report to standard output\n";
      return kExitFailure;
    }
    return kExitOk;
  } catch (const std::exception& error) {
    err << "seedacc-check: " << error.what() << "\n";
    return kExitFailure;
  }
}

}  // namespace check

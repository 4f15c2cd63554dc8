// target_options.cc: the target's options (see target_options.h).
#include "target_options.h"

#include "cli.h"
#include "target_file.h"
#include "text.h"

namespace check {

const std::vector<std::string>& target_option_names() {
  static const std::vector<std::string> names{"--target", "--target-units", "--target-damping"};
  return names;
}

bool read_target_option(groundmotion::TargetRequest& request, const std::string& name,
                        const std::string& value) {
  if (name == "--target") {
    request.given = value;
  } else if (name == "--target-units") {
    if (groundmotion::find_sa_unit(value) == nullptr) {
      throw UsageError("--target-units must be one of " + groundmotion::sa_unit_names() + ", got '" +
                       groundmotion::printable(value) + "'");
    }
    request.units = value;
  } else if (name == "--target-damping") {
    double damping = 0.0;
    if (!groundmotion::read_decimal(value, damping) || !(damping > 0.0 && damping < 1.0)) {
      throw UsageError("--target-damping must be a number between 0 and 1 (exclusive), got '" +
                       groundmotion::printable(value) + "'");
    }
    request.file_damping = damping;
    request.file_damping_given = true;
  } else {
    return false;
  }
  return true;
}

void apply_target(const groundmotion::TargetRequest& request, groundmotion::CriteriaOptions& criteria) {
  try {
    criteria.target = groundmotion::Target::from_request(request);
    groundmotion::check_target_fits(criteria);
  } catch (const groundmotion::TargetError& error) {
    throw UsageError(error.what());
  }
}

namespace {

std::string option_lines(const std::string& option, std::size_t column,
                         const std::vector<std::string>& lines) {
  std::string text = "  " + option;
  const std::string indent(column, ' ');
  if (text.size() + 1 > column) {
    text += "\n" + indent;
  } else {
    text += std::string(column - text.size(), ' ');
  }
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i > 0 ? indent : "") + lines[i] + "\n";
  return text;
}

}  // namespace

std::string target_usage(std::size_t column) {
  return option_lines("--target NAME", column,
                      {groundmotion::format("the target spectrum (default %s): jp-l2 or jp-l1",
                                       groundmotion::kDefaultTarget),
                       "[:z=Z,ground=1|2|3], asce7:sds=S,sd1=S,tl=T[,mce],",
                       "ec8:type=1|2,ground=A|B|C|D|E,ag=AG, or a FILE of",
                       "period (or frequency) and Sa"}) +
         option_lines("--target-units U", column,
                      {"unit of Sa in a FILE whose header names none:",
                       groundmotion::sa_unit_names()}) +
         option_lines("--target-damping H", column,
                      {groundmotion::format("damping ratio a FILE is given for (default %g)",
                                       groundmotion::kTargetDamping)});
}

}  // namespace check

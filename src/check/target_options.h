// target_options.h: the target's options, as seedacc-check and
// seedacc-match both take them:
//
//   --target NAME       jp-l2 (default), jp-l1, asce7:..., ec8:... or a FILE
//   --target-units U    the unit of a FILE's Sa when its header has none
//   --target-damping H  the damping ratio a FILE is given for
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "criteria.h"
#include "target.h"

namespace check {

// "--target", "--target-units", "--target-damping".
const std::vector<std::string>& target_option_names();

// Records the option `name` with `value` in `request` and returns true
// when it is one of target_option_names(); returns false otherwise.
// Throws UsageError for a unit that is not one of groundmotion::sa_unit_names()
// or a damping ratio outside (0, 1).
bool read_target_option(groundmotion::TargetRequest& request, const std::string& name,
                        const std::string& value);

// Sets criteria.target to the target `request` names and checks that it
// fits criteria's damping and range (groundmotion::check_target_fits). Throws
// UsageError for a fault of the command line, groundmotion::InputError for a
// target file that cannot be read.
void apply_target(const groundmotion::TargetRequest& request, groundmotion::CriteriaOptions& criteria);

// The usage text of the three options, each description starting at
// `column` (an option longer than that has its description on the next
// line); lines ended by '\n'.
std::string target_usage(std::size_t column);

}  // namespace check

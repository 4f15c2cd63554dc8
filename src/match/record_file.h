// record_file.h: the layout of the matched record's file, in one place:
// the header line, then per sample the time (F8.2 for times in
// hundredths, wider or with more decimals when the seed's times need
// them), a comma and the acceleration as E12.4, each line ended by '\n'.
#pragma once

#include <string>
#include <vector>

#include "record.h"

namespace match {

// The header line of the file for a record matched to the target called
// `target_name`, without its line feed:
//    time(sec),"matched-Acc(gal) to NAME"
// the second column quoted as comma-separated files quote a field (the
// name may hold commas; a double quote in it is doubled, a control
// character escaped as spectra::printable writes it).
std::string record_header(const std::string& target_name);

// The acceleration field: E12.4.
constexpr int kAccelerationWidth = 12;
constexpr int kAccelerationDigits = 4;

// The value the file holds for `value` written as E12.4, read back as the
// record reader reads it.
double as_written(double value);

// The file of `acc` (not empty) laid out as `layout` (its start time, step
// and time resolution) gives it: the header naming `target_name`, then one
// line per sample.
std::string format_record_file(const spectra::Record& layout, const std::vector<double>& acc,
                               const std::string& target_name);

}  // namespace match

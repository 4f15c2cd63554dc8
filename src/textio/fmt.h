// fmt.h: record formats and the F and E edit descriptors.
//
// A record format is a parenthesised list such as (F8.2,',',E12.4): Fw.d
// and Ew.d data edit items and quoted literals, with ', " or the control
// character 0x02 as literal delimiters. The editing functions append one
// field of exactly w characters to a record.
#pragma once

#include <string>

namespace textio::fmt {

// Appends the Fw.d field of `value` to `record`: fixed point, d digits after
// the point, right-justified in w characters; w asterisks when it does not
// fit. Requires w >= 1, d >= 0.
void edit_f(std::string& record, double value, int w, int d);

// Appends the Ew.d field of `value` to `record`: 0.ddddE+kk with the 0 when
// there is room, the exponent without its letter beyond 99, w asterisks
// when it does not fit. Requires w >= 1, d >= 1.
void edit_e(std::string& record, double value, int w, int d);

}  // namespace textio::fmt

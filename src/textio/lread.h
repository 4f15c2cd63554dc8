// lread.h: the list-directed (free-form) reader of one read statement.
//
// Values are separated by blanks, tabs, commas or line ends; a comma where
// a value is expected is a null value, a slash ends the statement, r*c and
// r* repeat a value or a null. Numbers follow the free-form number rules
// (40 significant digits, exponents by letter or by a bare sign as in
// "5+3"); texts are quoted with ' or " or run to the next separator.
// Failures end the run through f__fatal with the system's codes.
#pragma once

#include "stream.h"
#include "textio.h"

namespace textio {

class ListReader {
 public:
  // Starts a statement on `in` (s_rsle): "read start: end of file" when an
  // earlier statement already met the end of input.
  void start(InStream& in);

  // Fills `count` variables of type `type` (TYINT, TYDREAL or TYCHAR) lying
  // `length` bytes apart from `addr` (do_lio). A null value or a slash
  // leaves a variable unchanged. Returns 0, or -1 when end of input came
  // inside a quoted text (that variable is left unchanged).
  int item(integer type, integer count, void* addr, ftnlen length);

  // Ends the statement (e_rsle): discards the rest of the current line, its
  // line end included, unless end of input has been met.
  void finish();

 private:
  // Private state (repeat count, slash flag, current value) is the
  // implementation's; see lread.cc.
  InStream* in_ = nullptr;
};

}  // namespace textio

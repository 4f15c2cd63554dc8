// lread.h: the list-directed (free-form) reader of one read statement.
//
// Values are separated by blanks, tabs, commas or line ends; a comma where
// a value is expected is a null value, a slash ends the statement, r*c and
// r* repeat a value or a null. Numbers follow the free-form number rules
// (40 significant digits, exponents by letter or by a bare sign as in
// "5+3"); texts are quoted with ' or " or run to the next separator.
// Failures end the run through f__fatal with the system's codes.
#pragma once

#include <string>

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
  // What the current value is. kNone: a new value must be read.
  enum class Kind { kNone, kNull, kNumber, kText };

  // The next character of the statement; a read error ends the run.
  int next();
  // Reads one value for a number variable, beginning with `first`.
  void read_number(int first, bool integer_target);
  // Reads one value for a text variable, beginning with `first`. Returns
  // false when end of input came inside quotes (nothing is stored).
  bool read_text(int first);
  // The text rules' pieces: a quoted text opened by `quote` (false at end
  // of input inside it), and an undelimited text from `first` on.
  bool read_quoted(int quote);
  void read_undelimited(int first);
  // Appends one character to the text value; memory failures end the run.
  void append(char c);
  // Consumes a comma after a value on its last use (blanks skipped first).
  void skip_separator();
  // Stores the current value into the variable at `target`.
  void store(integer type, char* target, ftnlen length) const;

  InStream* in_ = nullptr;
  integer repeat_ = 0;  // uses of the current value left, the current one included
  bool slash_ = false;  // a slash ended the statement's values
  Kind kind_ = Kind::kNone;
  double number_ = 0.0;  // the value when kind_ is kNumber
  std::string text_;     // the value when kind_ is kText
};

}  // namespace textio

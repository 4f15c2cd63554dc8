// lwrite.h: the list-directed writer of one write statement.
//
// Each item brings its own leading characters: an integer one blank (and
// its sign), a double a blank and a sign column, a text a blank only at the
// start of a record. Before an item, a record that would reach 80
// characters is written out and a new one begun.
#pragma once

#include <cstddef>
#include <string>

#include "textio.h"
#include "units.h"

namespace textio {

// The record-break threshold of every list-directed write.
constexpr std::size_t kLineLimit = 80;

class ListWriter {
 public:
  // Starts a statement on `u` (already switched to writing).
  void start(Unit& u);

  // Appends `count` items of type `type` (TYINT, TYDREAL or TYCHAR) lying
  // `length` bytes apart from `addr`, breaking the record where needed.
  void item(integer type, integer count, const void* addr, ftnlen length);

  // Ends the statement: the record and its line feed go to the stream.
  void finish();

 private:
  void break_before(std::size_t width);
  void end_record();
  void append(const char* text, std::size_t size);

  Unit* unit_ = nullptr;
  std::string record_;
};

// The number text of a double: "%.9G" with a decimal point always present,
// "0." for zero of either sign, the conversion's own text for infinities and
// not-a-numbers. Takes the magnitude; the sign column is the caller's.
std::string list_double_text(double magnitude);

}  // namespace textio

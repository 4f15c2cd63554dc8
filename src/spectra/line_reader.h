// line_reader.h: the one line reader of the record readers. Every format
// reads its file through it, so that what holds for a line (its end, its
// number in messages, the byte-order mark) holds for every format.
#pragma once

#include <cstddef>
#include <deque>
#include <istream>
#include <string>
#include <string_view>

namespace spectra {

// One line of a record file and its number (1 for the first).
struct Line {
  std::string text;  // without its line end
  long number = 0;
};

class LineReader {
 public:
  // Reads `in`; `source` names it in messages. A UTF-8 byte-order mark at
  // the start is not part of line 1; a carriage return before a line feed
  // is not part of its line.
  LineReader(std::istream& in, std::string source);

  // The next line, or false at the end of the input (then `line` is left
  // as it was). Throws InputError on a read error.
  bool next(Line& line);

  // The line `ahead` lines after the last one returned (0: the next one)
  // without taking it, or nullptr past the end.
  const Line* peek(std::size_t ahead);

  // The number of the last line returned (0 before the first).
  long line_number() const { return last_number_; }
  const std::string& source() const { return source_; }

  // Throws InputError "SOURCE:LINE: message", or "SOURCE: message" for
  // line 0.
  [[noreturn]] void fail(long line, const std::string& message) const;

 private:
  bool read_one(Line& line);

  std::istream& in_;
  std::string source_;
  std::deque<Line> ahead_;
  long read_number_ = 0;  // lines taken from the stream
  long last_number_ = 0;  // lines handed out
};

// Whether `line` holds only blanks.
bool is_blank_line(std::string_view line);

// A short, printable excerpt of a line for an error message, quoted.
std::string excerpt(std::string_view line);

}  // namespace spectra

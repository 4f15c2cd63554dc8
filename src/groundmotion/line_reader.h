// line_reader.h: the one line reader of the record readers. Every format
// reads its file through it, so that what holds for a line (its end, its
// number in messages, the byte-order mark) holds for every format.
#pragma once

#include <cstddef>
#include <deque>
#include <istream>
#include <string>
#include <string_view>

namespace groundmotion {

// One line of a record file and its number (1 for the first).
struct Line {
  std::string text;  // without its line end
  long number = 0;
};

class LineReader {
 public:
  // Reads `in`; `source` names it in messages. A line ends at a line feed,
  // a carriage return and line feed, or a carriage return alone (old Mac
  // text). A UTF-8 byte-order mark at the start is not part of line 1; a
  // UTF-16 or UTF-32 one is an error ("UTF-16 text: save it as UTF-8"), and
  // so is a line longer than kMaxLineBytes. The input is read in pieces as
  // it comes, never whole.
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
  // The next byte of the input, or -1 at its end; throws on a read error.
  int next_byte();

  std::istream& in_;
  std::string piece_;      // the part of the input read, not yet taken
  std::size_t taken_ = 0;  // bytes of piece_ taken
  std::string source_;
  std::deque<Line> ahead_;
  long read_number_ = 0;  // lines taken from the stream
  long last_number_ = 0;  // lines handed out
};

// Whether `line` holds only blanks.
bool is_blank_line(std::string_view line);

// A short, printable excerpt of a line for an error message, quoted.
std::string excerpt(std::string_view line);

}  // namespace groundmotion

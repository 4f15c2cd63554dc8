// line_reader.cc: the line reader of the record readers (see line_reader.h).
#include "line_reader.h"

#include "number.h"
#include "record.h"

namespace spectra {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

}  // namespace

LineReader::LineReader(std::istream& in, std::string source)
    : in_(in), source_(std::move(source)) {}

bool LineReader::read_one(Line& line) {
  if (!std::getline(in_, line.text)) {
    if (in_.bad()) throw InputError(source_ + ": read error");
    return false;
  }
  line.number = ++read_number_;
  if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
  // A UTF-8 byte-order mark, as some editors and spreadsheets begin a file
  // with, is not part of the first line.
  if (line.number == 1 && line.text.rfind(kByteOrderMark, 0) == 0) {
    line.text.erase(0, sizeof kByteOrderMark - 1);
  }
  return true;
}

bool LineReader::next(Line& line) {
  if (!ahead_.empty()) {
    line = std::move(ahead_.front());
    ahead_.pop_front();
  } else if (!read_one(line)) {
    return false;
  }
  last_number_ = line.number;
  return true;
}

const Line* LineReader::peek(std::size_t ahead) {
  while (ahead_.size() <= ahead) {
    Line line;
    if (!read_one(line)) return nullptr;
    ahead_.push_back(std::move(line));
  }
  return &ahead_[ahead];
}

void LineReader::fail(long line, const std::string& message) const {
  if (line <= 0) throw InputError(source_ + ": " + message);
  throw InputError(source_ + ":" + std::to_string(line) + ": " + message);
}

bool is_blank_line(std::string_view line) { return trim_blanks(line).empty(); }

std::string excerpt(std::string_view line) {
  constexpr std::size_t kMaxShown = 40;
  std::string shown;
  for (char c : line.substr(0, kMaxShown)) {
    const auto byte = static_cast<unsigned char>(c);
    shown += (byte < 0x20 || byte == 0x7f) ? '?' : c;
  }
  if (line.size() > kMaxShown) shown += "...";
  return "\"" + shown + "\"";
}

}  // namespace spectra

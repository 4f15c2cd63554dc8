// line_reader.cc: the line reader of the record readers (see line_reader.h).
#include "line_reader.h"

#include "number.h"
#include "record.h"
#include "text.h"

namespace groundmotion {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kPieceBytes = 65536;

// The byte-order marks of text that is not UTF-8, longest first.
constexpr struct {
  const char* bytes;
  std::size_t size;
  const char* name;
} kOtherEncodings[] = {{"\xFF\xFE\x00\x00", 4, "UTF-32"}, {"\x00\x00\xFE\xFF", 4, "UTF-32"},
                       {"\xFF\xFE", 2, "UTF-16"}, {"\xFE\xFF", 2, "UTF-16"}};

}  // namespace

LineReader::LineReader(std::istream& in, std::string source)
    : in_(in), source_(std::move(source)) {}

int LineReader::next_byte() {
  if (taken_ == piece_.size()) {
    piece_.resize(kPieceBytes);
    in_.read(&piece_[0], static_cast<std::streamsize>(kPieceBytes));
    if (in_.bad()) throw InputError(source_ + ": read error");
    piece_.resize(static_cast<std::size_t>(in_.gcount()));
    taken_ = 0;
    if (piece_.empty()) return -1;
  }
  return static_cast<unsigned char>(piece_[taken_++]);
}

bool LineReader::read_one(Line& line) {
  line.text.clear();
  int byte = next_byte();
  if (byte < 0) return false;
  line.number = ++read_number_;
  for (; byte >= 0 && byte != '\n' && byte != '\r'; byte = next_byte()) {
    if (line.text.size() == kMaxLineBytes) {
      fail(line.number, format("a line longer than %zu bytes: a record file has a sample or a few "
                               "on each line (is this a record file?)", kMaxLineBytes));
    }
    line.text += static_cast<char>(byte);
  }
  if (byte == '\r') {
    // A carriage return ends the line, with the line feed after it if any.
    if (next_byte() != '\n' && taken_ > 0) --taken_;
  }
  if (line.number == 1) {
    for (const auto& encoding : kOtherEncodings) {
      if (line.text.compare(0, encoding.size, encoding.bytes, encoding.size) == 0) {
        fail(1, std::string(encoding.name) + " text: save it as UTF-8");
      }
    }
    // A UTF-8 byte-order mark, as some editors and spreadsheets begin a
    // file with, is not part of the first line.
    if (line.text.rfind(kByteOrderMark, 0) == 0) line.text.erase(0, sizeof kByteOrderMark - 1);
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

}  // namespace groundmotion

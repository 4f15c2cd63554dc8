// fmt.cc: the F and E editors and the record format reader.
//
// The general editors take their digits from std::to_chars with a precision,
// which rounds the exact binary value correctly (ties to even), exactly as
// "%#.*f" and "%#.*E" do in the default rounding mode. A to_chars call costs
// several hundred instructions, though, and the output loop edits 32768
// fields per run, so the record fields F8.2 and E12.4 take a shortcut for the
// magnitudes they meet: F8.2 rounds the binary value to hundredths in exact
// integer arithmetic; E12.4 scales by an exactly representable power of ten
// in one correctly rounded operation and hands every value that may be a
// rounding tie, or lies outside the shortcut's range, to the general editor.
#include "fmt.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace textio::fmt {
namespace {

// The most decimal digits before the point of a finite double: DBL_MAX is
// about 1.8e308, 309 digits.
constexpr int kMaxIntegerDigits = 309;

char* fill(char* out, int count, char fill_char) {
  std::memset(out, fill_char, static_cast<std::size_t>(count));
  return out + count;
}

char* asterisks(char* out, int w) { return fill(out, w, '*'); }

// --- General F ------------------------------------------------------------

// The text "%#.*f" gives for a magnitude (non-negative, or a NaN without its
// sign) at precision d, at `text`; returns its end.
char* fixed_text(char* text, char* text_limit, double magnitude, int d) {
  const std::to_chars_result result =
      std::to_chars(text, text_limit, magnitude, std::chars_format::fixed, d);
  assert(result.ec == std::errc());
  char* end = result.ptr;
  // to_chars leaves the point out at precision 0; the '#' flag keeps it.
  // Infinities and NaNs have none.
  if (d == 0 && std::isfinite(magnitude)) *end++ = '.';
  return end;
}

// Places the text [text, text_end) of the magnitude in the w characters at
// `out`: the minus sign when due, right-justified; one character too many
// drops a leading 0; anything longer is w asterisks.
char* place_fixed(char* out, bool negative, const char* text,
                  const char* text_end, int w) {
  bool minus = false;
  if (negative) {
    for (const char* p = text; p != text_end; ++p) {
      if (*p != '0' && *p != '.') {
        minus = true;
        break;
      }
    }
  }
  const int text_length = static_cast<int>(text_end - text);
  const int needed = text_length + (minus ? 1 : 0);
  if (needed <= w) {
    out = fill(out, w - needed, ' ');
  } else if (needed == w + 1 && text[0] == '0') {
    ++text;  // F4.2 of -0.5: "-.50"
  } else {
    return asterisks(out, w);
  }
  if (minus) *out++ = '-';
  const std::size_t rest = static_cast<std::size_t>(text_end - text);
  std::memcpy(out, text, rest);
  return out + rest;
}

// --- General E ------------------------------------------------------------

// Appends the exponent part for the field's exponent k: "E+kk" for
// |k| <= 99, else the sign and three digits. For a double k lies in
// -323 ... 309.
char* exponent_part(char* out, int exponent) {
  assert(exponent > -1000 && exponent < 1000);
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude <= 99) *out++ = 'E';
  *out++ = exponent < 0 ? '-' : '+';
  if (magnitude >= 100) *out++ = static_cast<char>('0' + magnitude / 100);
  *out++ = static_cast<char>('0' + magnitude / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude % 10);
  return out;
}

// E for an infinity or a NaN: "INF" or "NAN" right-justified, a minus sign
// for negative infinity only.
char* nonfinite_e(char* out, double value, int w) {
  const bool is_nan = std::isnan(value);
  const char* text = is_nan ? "NAN" : "INF";
  const bool minus = !is_nan && value < 0;
  const int needed = 3 + (minus ? 1 : 0);
  if (needed > w) return asterisks(out, w);
  out = fill(out, w - needed, ' ');
  if (minus) *out++ = '-';
  std::memcpy(out, text, 3);
  return out + 3;
}

// The start of an E field with `room` >= 0 characters to spare: room - 1
// blanks and a 0 before the point when there is room, neither without.
char* e_prefix(char* out, int room, bool minus) {
  if (room > 0) out = fill(out, room - 1, ' ');
  if (minus) *out++ = '-';
  if (room > 0) *out++ = '0';
  *out++ = '.';
  return out;
}

// --- Shortcuts for the record fields ----------------------------------------

// F8.2: the field of a finite `value` (infinities and NaNs go the general
// way).
char* edit_f82(char* out, double value) {
  constexpr int kWidth = 8;
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  // 1e5 and above need at least "100000.00", 9 characters not beginning
  // with 0: asterisks.
  if (magnitude >= 1e5) return asterisks(out, kWidth);

  // magnitude = mantissa * 2^exponent exactly; round mantissa * 100 * 2^e to
  // an integer number of hundredths, ties to even.
  assert(std::isfinite(magnitude));
  std::uint64_t bits;
  std::memcpy(&bits, &magnitude, sizeof bits);
  const int biased = static_cast<int>(bits >> 52);  // the sign bit is clear
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  std::uint64_t cents = 0;
  if (biased != 0) {  // subnormals (and zero) are far below 0.005: 0 cents
    mantissa |= std::uint64_t{1} << 52;
    // magnitude < 1e5 < 2^17, so biased - 1075 <= -36: a right shift of at
    // least 36. mantissa * 100 < 2^53 * 2^7 = 2^60 does not overflow.
    const int shift = 1075 - biased;
    assert(shift >= 36);
    const std::uint64_t scaled = mantissa * 100;
    if (shift <= 60) {
      cents = scaled >> shift;
      const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
      const std::uint64_t half = std::uint64_t{1} << (shift - 1);
      if (rest > half || (rest == half && (cents & 1) != 0)) ++cents;
    }
    // A shift above 60 leaves scaled / 2^shift < 2^60 / 2^61 = 1/2: 0.
  }
  // cents <= 1e7. The text "W.FF" fits in 8 with its sign when W has at
  // most 5 digits, 4 with a minus sign; it begins with 0 only when W is 0,
  // and then it fits.
  const bool minus = negative && cents != 0;
  if (cents >= (minus ? 1000000u : 10000000u)) return asterisks(out, kWidth);

  // Eight blanks, then the text written from the right over them.
  std::memcpy(out, "        ", kWidth);
  char* cursor = out + kWidth;
  std::uint32_t rest = static_cast<std::uint32_t>(cents);
  *--cursor = static_cast<char>('0' + rest % 10);
  rest /= 10;
  *--cursor = static_cast<char>('0' + rest % 10);
  rest /= 10;
  *--cursor = '.';
  do {
    *--cursor = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (minus) *--cursor = '-';
  return out + kWidth;
}

// The powers of ten that are exact doubles.
constexpr double kExactPow10[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPow10 = 22;

// magnitude * 10^power with one correctly rounded operation.
double scale_pow10(double magnitude, int power) {
  assert(power >= -kMaxExactPow10 && power <= kMaxExactPow10);
  return power >= 0 ? magnitude * kExactPow10[power]
                    : magnitude / kExactPow10[-power];
}

// Rounds `scaled`, the correctly rounded value of some exact X in
// [999.95, 100000), to the nearest integer into `rounded`; false when scaled
// is itself a tie, which X may or may not be. Rounding is monotonic and the
// half-integers below 2^17 are doubles, so otherwise X lies on the same side
// of every tie as scaled and rounds to the same integer. (This holds for
// x87's double rounding too: it is monotonic as well.)
bool round_unless_tie(double scaled, std::uint32_t& rounded) {
  const std::uint32_t whole = static_cast<std::uint32_t>(scaled);  // floor
  const double fraction = scaled - whole;  // exact: no bits below scaled's
  if (fraction == 0.5) return false;
  rounded = fraction > 0.5 ? whole + 1 : whole;
  return true;
}

// floor(e2 * log10(2)) for |e2| <= 1000: 78913 / 2^18 approximates log10(2)
// from below closely enough that no integer is crossed in that range
// (checked for every e2 there against a 60-digit log10(2)).
int floor_log10_pow2(int e2) {
  assert(e2 >= -1000 && e2 <= 1000);
  const int product = e2 * 78913;  // |product| < 2^27
  return product >= 0 ? product >> 18 : -((-product + (1 << 18) - 1) >> 18);
}

// E12.4: the field of `value`, or nullptr when the value needs the general
// editor (zero, non-finite, outside 1e-15 ... 1e20, or a possible tie).
char* edit_e124(char* out, double value) {
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  if (!(magnitude >= 1e-15 && magnitude < 1e20)) return nullptr;

  // magnitude in [2^e2, 2^(e2+1)), so its decimal exponent p is `estimate`
  // or estimate + 1. With e2 in -50 ... 66, 3 - estimate lies in -16 ... 19,
  // one step further in -17 ... 18: all exact powers.
  std::uint64_t bits;
  std::memcpy(&bits, &magnitude, sizeof bits);
  const int e2 = static_cast<int>(bits >> 52) - 1023;
  int estimate = floor_log10_pow2(e2);

  // X = magnitude * 10^(3 - estimate) lies in [1000, 100000).
  double scaled = scale_pow10(magnitude, 3 - estimate);
  if (scaled < 1000.0) return nullptr;  // the estimate was too high: never
  std::uint32_t digits;
  if (!round_unless_tie(scaled, digits)) return nullptr;
  if (digits >= 10000) {
    // p = estimate + 1, or X rounds up from 9999.5 ... 10000; either way
    // the next power gives the digits, X/10 in [999.95, 10000).
    ++estimate;
    scaled = scale_pow10(magnitude, 3 - estimate);
    if (!round_unless_tie(scaled, digits)) return nullptr;
    // A second carry would need magnitude >= 9.9995 * 10^p while
    // 2^e2 < 10^p <= magnitude < 2^(e2+1) (p = estimate + 1): impossible.
    // Should it ever come, the general editor decides.
    if (digits >= 10000) return nullptr;
  }
  assert(digits >= 1000 && digits <= 9999);
  const int exponent = estimate + 1;  // -14 ... 21: always "E" and two digits
  const unsigned exponent_magnitude =
      static_cast<unsigned>(exponent < 0 ? -exponent : exponent);

  // "  0.dddd" or " -0.dddd", then "E+kk".
  std::memcpy(out, negative ? " -0." : "  0.", 4);
  out[4] = static_cast<char>('0' + digits / 1000);
  out[5] = static_cast<char>('0' + digits / 100 % 10);
  out[6] = static_cast<char>('0' + digits / 10 % 10);
  out[7] = static_cast<char>('0' + digits % 10);
  out[8] = 'E';
  out[9] = exponent < 0 ? '-' : '+';
  out[10] = static_cast<char>('0' + exponent_magnitude / 10);
  out[11] = static_cast<char>('0' + exponent_magnitude % 10);
  return out + 12;
}

}  // namespace

namespace detail {

char* edit_f_general(char* out, double value, int w, int d) {
  assert(w >= 1 && w <= kMaxWidth);
  assert(d >= 0 && d <= kMaxWidth);
  const bool negative = value < 0;  // neither -0.0 nor a NaN
  const double magnitude = std::fabs(value);
  // The text: up to 309 digits, the point and d <= kMaxWidth digits; "inf"
  // and "nan" are shorter.
  char text[kMaxIntegerDigits + 1 + kMaxWidth];
  const char* text_end = fixed_text(text, text + sizeof text, magnitude, d);
  return place_fixed(out, negative, text, text_end, w);
}

char* edit_e_general(char* out, double value, int w, int d) {
  assert(w >= 1 && w <= kMaxWidth);
  assert(d >= 1 && d <= kMaxWidth);
  if (!std::isfinite(value)) return nonfinite_e(out, value, w);
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  const int room = w - (d + 5) - (negative ? 1 : 0);
  if (room < 0) return asterisks(out, w);

  char* cursor = e_prefix(out, room, negative);
  if (magnitude == 0) {
    cursor = fill(cursor, d, '0');
    return exponent_part(cursor, 0);
  }
  // "D.ddd...e-XXX": one digit, the point, d - 1 <= kMaxWidth digits, the
  // letter, the sign and at most three exponent digits.
  char text[1 + 1 + kMaxWidth + 5];
  const std::to_chars_result result =
      std::to_chars(text, text + sizeof text, magnitude,
                    std::chars_format::scientific, d - 1);
  assert(result.ec == std::errc());
  *cursor++ = text[0];
  const char* after = text + 1;
  if (d > 1) {
    assert(*after == '.');
    std::memcpy(cursor, after + 1, static_cast<std::size_t>(d - 1));
    cursor += d - 1;
    after += d;
  }
  assert(*after == 'e');
  // The conversion's exponent p; the field's is p + 1.
  const bool exponent_negative = after[1] == '-';
  int conversion_exponent = 0;
  for (const char* q = after + 2; q != result.ptr; ++q) {
    conversion_exponent = conversion_exponent * 10 + (*q - '0');
  }
  const int field_exponent =
      (exponent_negative ? -conversion_exponent : conversion_exponent) + 1;
  return exponent_part(cursor, field_exponent);
}

}  // namespace detail

// The shortcuts below and in edit_e must give the general editors' bytes for
// every value (test_fmt.cc checks both against the same expected fields):
// a change to their rounding or to the values they hand on changes record
// bytes. They also keep the run within its instruction budget: without them a
// default run costs 38.2 million instructions instead of 20.1, against the 40
// million of performance.callgrind_budget.
char* edit_f(char* out, double value, int w, int d) {
  if (w == 8 && d == 2 && std::isfinite(value)) return edit_f82(out, value);
  return detail::edit_f_general(out, value, w, d);
}

char* edit_e(char* out, double value, int w, int d) {
  if (w == 12 && d == 4) {
    if (char* end = edit_e124(out, value)) return end;
  }
  return detail::edit_e_general(out, value, w, d);
}

char* edit(char* out, double value, const EditItem& item) {
  return item.kind == EditItem::kF ? edit_f(out, value, item.w, item.d)
                                   : edit_e(out, value, item.w, item.d);
}

// --- The format reader ------------------------------------------------------

namespace {

bool is_delimiter(char candidate) {
  return candidate == '\'' || candidate == '"' || candidate == '\x02';
}

}  // namespace

// Recursive descent over the format text. Lengths of one pass are counted
// saturating just above the limit, so no product can overflow.
class Format::Parser {
 public:
  Parser(const char* text, std::vector<Format::Node>& nodes,
         std::string& literals)
      : cursor_(text), nodes_(nodes), literals_(literals) {}

  // The whole text; `pass_length` receives the length of one pass.
  bool parse(std::size_t& pass_length, bool& has_data) {
    skip_blanks();
    if (*cursor_ != '(') return false;
    ++cursor_;
    if (!list(0, pass_length)) return false;
    skip_blanks();
    if (*cursor_ != ')') return false;
    ++cursor_;
    skip_blanks();
    has_data = has_data_;
    return *cursor_ == '\0';
  }

 private:
  static constexpr std::size_t kOver = Format::kMaxRecordLength + 1;

  static std::size_t capped(std::size_t count) {
    return count > kOver ? kOver : count;
  }

  void skip_blanks() {
    while (*cursor_ == ' ') ++cursor_;
  }

  // A number of digits (blanks between them ignored) into `value`, capped
  // just above `limit`; false when there is no digit.
  bool number(int limit, int& value) {
    skip_blanks();
    if (*cursor_ < '0' || *cursor_ > '9') return false;
    value = 0;
    while (*cursor_ >= '0' && *cursor_ <= '9') {
      value = value * 10 + (*cursor_ - '0');
      if (value > limit) value = limit + 1;  // stays below INT_MAX / 10
      ++cursor_;
      skip_blanks();
    }
    return true;
  }

  // Items separated by commas, up to (not including) the closing ')'.
  bool list(int depth, std::size_t& length) {
    length = 0;
    skip_blanks();
    if (*cursor_ == ')') return true;  // an empty list
    for (;;) {
      std::size_t item_length = 0;
      if (!item(depth, item_length)) return false;
      length = capped(length + item_length);
      skip_blanks();
      if (*cursor_ != ',') return true;
      ++cursor_;
    }
  }

  bool item(int depth, std::size_t& length) {
    skip_blanks();
    if (is_delimiter(*cursor_)) return literal(length);
    int repeat = 1;
    if (*cursor_ >= '0' && *cursor_ <= '9') {
      number(Format::kMaxRepeat, repeat);
      if (repeat < 1 || repeat > Format::kMaxRepeat) return false;
      skip_blanks();
    }
    const char next = *cursor_;
    if (next == '(') {
      if (depth + 1 > Format::kMaxDepth) return false;
      ++cursor_;
      const std::size_t open = nodes_.size();
      nodes_.push_back(Format::Node{Format::Node::kOpen, repeat, 0, 0, 0, {}});
      std::size_t inner = 0;
      if (!list(depth + 1, inner)) return false;
      skip_blanks();
      if (*cursor_ != ')') return false;
      ++cursor_;
      const std::size_t close = nodes_.size();
      nodes_.push_back(Format::Node{
          Format::Node::kClose, 0, static_cast<int>(open), 0, 0, {}});
      nodes_[open].link = static_cast<int>(close);
      length = capped(inner * static_cast<std::size_t>(repeat));
      return true;
    }
    if (next == 'F' || next == 'f' || next == 'E' || next == 'e') {
      const bool is_e = next == 'E' || next == 'e';
      ++cursor_;
      int w = 0, d = 0;
      if (!number(kMaxWidth, w)) return false;
      skip_blanks();
      if (*cursor_ != '.') return false;
      ++cursor_;
      if (!number(kMaxWidth, d)) return false;
      if (w < 1 || w > kMaxWidth || d > kMaxWidth || (is_e && d < 1)) {
        return false;
      }
      const EditItem edit_item{is_e ? EditItem::kE : EditItem::kF, w, d};
      nodes_.push_back(
          Format::Node{Format::Node::kData, repeat, 0, 0, 0, edit_item});
      has_data_ = true;
      length = capped(static_cast<std::size_t>(w) *
                      static_cast<std::size_t>(repeat));
      return true;
    }
    return false;
  }

  // A literal from its opening delimiter; a doubled delimiter is one.
  bool literal(std::size_t& length) {
    const char delimiter = *cursor_++;
    const std::size_t offset = literals_.size();
    for (;;) {
      const char next = *cursor_;
      if (next == '\0') return false;  // not closed
      if (next == delimiter) {
        if (cursor_[1] != delimiter) break;
        ++cursor_;  // the doubled one stands for one
      }
      literals_.push_back(next);
      ++cursor_;
    }
    ++cursor_;  // the closing delimiter
    // Every literal is written at least once in a pass, so a format whose
    // literals hold more than kMaxRecordLength characters is refused; that
    // keeps offsets and lengths within 32 bits.
    if (literals_.size() > Format::kMaxRecordLength) return false;
    length = literals_.size() - offset;
    nodes_.push_back(Format::Node{Format::Node::kLiteral,
                                  0,
                                  0,
                                  static_cast<std::uint32_t>(offset),
                                  static_cast<std::uint32_t>(length),
                                  {}});
    return true;
  }

  const char* cursor_;
  std::vector<Format::Node>& nodes_;
  std::string& literals_;
  bool has_data_ = false;
};

bool Format::parse(const char* text) {
  assert(text != nullptr);
  nodes_.clear();
  literals_.clear();
  pass_length_ = 0;
  has_data_item_ = false;
  std::size_t pass_length = 0;
  bool has_data = false;
  Parser parser(text, nodes_, literals_);
  const bool ok =
      parser.parse(pass_length, has_data) && pass_length <= kMaxRecordLength;
  if (!ok) {
    nodes_.clear();
    literals_.clear();
  } else {
    pass_length_ = pass_length;
    has_data_item_ = has_data;
  }
  rewind();
  return ok;
}

void Format::rewind() {
  pc_ = 0;
  data_done_ = 0;
  depth_ = 0;
}

bool Format::advance_to_data(char*& end) {
  // The walk works on local copies: every character it stores may alias
  // the members, which would otherwise be reloaded after each one.
  const Node* const nodes = nodes_.data();
  const std::size_t count = nodes_.size();
  const char* const literals = literals_.data();
  std::size_t pc = pc_;
  int depth = depth_;
  char* out = end;
  bool at_data = false;
  while (pc < count) {
    const Node& node = nodes[pc];
    if (node.kind == Node::kData) {
      at_data = true;
      break;
    }
    switch (node.kind) {
      case Node::kLiteral:
        // Literals are short (the record's is one comma): a plain loop.
        for (std::uint32_t i = 0; i < node.length; ++i) {
          out[i] = literals[node.offset + i];
        }
        out += node.length;
        ++pc;
        break;
      case Node::kOpen:
        assert(depth < kMaxDepth);
        group_left_[depth++] = node.repeat;
        ++pc;
        break;
      case Node::kClose:
        assert(depth > 0);
        if (--group_left_[depth - 1] > 0) {
          pc = static_cast<std::size_t>(node.link) + 1;
        } else {
          --depth;
          ++pc;
        }
        break;
      case Node::kData:
        break;  // handled above
    }
  }
  pc_ = pc;
  depth_ = depth;
  end = out;
  return at_data;
}

bool Format::at_data() const {
  return pc_ < nodes_.size() && nodes_[pc_].kind == Node::kData;
}

Format::Step Format::next_item(char*& end, EditItem& item) {
  if (!at_data()) {
    if (!has_data_item_) return Step::kNoItem;
    if (!advance_to_data(end)) {
      // The end of the format: it starts again, in a new record. Every
      // item lies inside groups of repeat >= 1, so the next pass meets one.
      rewind();
      return Step::kEndOfRecord;
    }
  }
  const Node& node = nodes_[pc_];
  item = node.item;
  if (++data_done_ == node.repeat) {
    data_done_ = 0;
    ++pc_;
  }
  return Step::kItem;
}

void Format::finish(char*& end) {
  if (!at_data()) advance_to_data(end);
}

}  // namespace textio::fmt

// lread.cc: the list-directed reader (s_rsle, do_lio, e_rsle).
//
// Each value is scanned one character at a time with one character of
// push-back. A number keeps at most 40 significant digits in a fixed buffer
// and the power of ten of everything else, and becomes a double through one
// correctly rounded strtod call on a short text of our own making. A text is
// collected whole in a std::string before it is stored.
#include "lread.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace textio {
namespace {

constexpr int kEnd = InStream::kEnd;

// Significant digits a number keeps. Further digits before the decimal point
// only scale it by ten; further digits after it are dropped.
constexpr int kMaxSignificant = 40;

// The largest exponent field accepted.
constexpr std::int32_t kMaxExponent = 99999999;

// The largest repeat count used: a larger count, of up to 40 significant
// digits, is accepted and acts as this one (no statement has as many
// variables).
constexpr std::int64_t kMaxRepeat = 2147483647;

// The power-of-ten counters of a mantissa stop here. Digits beyond this many
// put the value far outside the range of a double either way (and keep the
// counters clear of overflow however long the input is).
constexpr std::int64_t kScaleLimit = 1000000000;

// The exponent handed to strtod is clamped to +-kConvertLimit. The kept
// digits read as a whole number D lie in 1 <= D < 1e40, so D * 10^e is
// above the largest double for every e > 308 and rounds to zero for every
// e < -364; any clamp beyond those bounds gives the same double.
constexpr std::int64_t kConvertLimit = 100000;

// A text value's first buffer: a 50-character file name fits it.
constexpr std::size_t kInitialTextCapacity = 64;

bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_blank(int c) { return c == ' ' || c == '\t'; }
bool is_sign(int c) { return c == '+' || c == '-'; }
bool is_quote(int c) { return c == '\'' || c == '"'; }
bool is_exponent_letter(int c) {
  return c == 'D' || c == 'd' || c == 'E' || c == 'e';
}

// Characters that end an undelimited text (and are left for later).
bool ends_undelimited(int c) {
  return is_blank(c) || c == ',' || c == '/' || c == '\n' || c == kEnd;
}

// The digits of a number as they are kept: the value is the kept digits,
// read as a whole number, times ten to the power `scale`.
struct Mantissa {
  char digits[kMaxSignificant];  // significant digits, no leading zeros
  int kept = 0;                  // how many of `digits` are in use
  std::int64_t scale = 0;        // power of ten of the dropped positions
  bool any_digit = false;        // a digit was seen, a zero included
};

void raise_scale(Mantissa& mantissa) {
  if (mantissa.scale < kScaleLimit) ++mantissa.scale;
}

void lower_scale(Mantissa& mantissa) {
  if (mantissa.scale > -kScaleLimit) --mantissa.scale;
}

// A digit before the decimal point.
void add_integer_digit(Mantissa& mantissa, int c) {
  mantissa.any_digit = true;
  if (mantissa.kept == 0 && c == '0') return;  // leading zero
  if (mantissa.kept < kMaxSignificant) {
    mantissa.digits[mantissa.kept++] = static_cast<char>(c);
  } else {
    raise_scale(mantissa);
  }
}

// A digit after the decimal point. Zeros before the first significant digit
// move the point but take no place among the 40.
void add_fraction_digit(Mantissa& mantissa, int c) {
  mantissa.any_digit = true;
  if (mantissa.kept == 0 && c == '0') {
    lower_scale(mantissa);
  } else if (mantissa.kept < kMaxSignificant) {
    mantissa.digits[mantissa.kept++] = static_cast<char>(c);
    lower_scale(mantissa);
  }
}

// The count written by the `size` digits at `digits`, leading zeros
// included, up to kMaxRepeat; 0 when every digit is a zero.
integer capped_count(const char* digits, std::size_t size) {
  std::int64_t count = 0;
  for (std::size_t i = 0; i < size && count <= kMaxRepeat; ++i) {
    count = count * 10 + (digits[i] - '0');  // below 10 * 2^31: no overflow
  }
  return static_cast<integer>(count < kMaxRepeat ? count : kMaxRepeat);
}

// The repeat count written by the digits of `mantissa` before a star: fatal
// when it is zero, missing, negative or longer than 40 significant digits
// (digits past the 40th only raised the scale).
integer number_repeat_count(const Mantissa& mantissa, bool negative) {
  if (negative || mantissa.kept == 0 || mantissa.scale > 0) {
    f__fatal(112, "bad repetition count");
  }
  return capped_count(mantissa.digits, static_cast<std::size_t>(mantissa.kept));
}

// The nearest double to the number: the kept digits, the sign and the
// decimal exponent `exponent` of the exponent field.
double to_double(const Mantissa& mantissa, bool negative, std::int32_t exponent) {
  if (mantissa.kept == 0) return 0.0;  // every digit was a zero, "-0" too
  std::int64_t power = mantissa.scale + exponent;
  if (power > kConvertLimit) power = kConvertLimit;
  if (power < -kConvertLimit) power = -kConvertLimit;
  // Sign, 40 digits, 'e', exponent sign, the 6 digits of kConvertLimit and
  // the terminator: 50 bytes. No decimal point, so the locale plays no part.
  char text[1 + kMaxSignificant + 1 + 1 + 6 + 1];
  std::snprintf(text, sizeof text, "%s%.*se%lld", negative ? "-" : "",
                mantissa.kept, mantissa.digits, static_cast<long long>(power));
  return std::strtod(text, nullptr);
}

// An integer variable's value: the number truncated toward zero. Values
// outside the 32-bit range, and a not-a-number, give -2147483648, the
// result of the 32-bit x86 conversion.
integer to_integer(double value) {
  if (value > -2147483649.0 && value < 2147483648.0) return static_cast<integer>(value);
  return INT32_MIN;
}

}  // namespace

void ListReader::start(InStream& in) {
  in_ = &in;
  if (in.at_end()) f__fatal(-1, "read start");
  repeat_ = 0;
  slash_ = false;
  kind_ = Kind::kNone;
}

int ListReader::item(integer type, integer count, void* addr, ftnlen length) {
  if (type != TYINT && type != TYDREAL && type != TYCHAR) f__fatal(117, "list in");
  char* element = static_cast<char*>(addr);
  int result = 0;
  for (integer index = 0; index < count; ++index, element += length) {
    result = 0;
    if (slash_) return 0;  // this and the later variables keep their values
    if (in_->at_end()) f__fatal(-1, "list in");
    if (repeat_ > 0) {
      skip_separator();  // the current value again, nothing read
    } else {
      kind_ = Kind::kNone;
      int c = next();
      while (is_blank(c) || c == '\n') c = next();
      if (c == kEnd) f__fatal(-1, "list in");
      if (c == '/') {
        slash_ = true;
        return 0;
      }
      if (c == ',') {
        kind_ = Kind::kNull;  // a null value; the comma is all of it
        repeat_ = 1;
      } else {
        if (type == TYCHAR) {
          if (!read_text(c)) {
            // End of input inside quotes: nothing stored, no report; a
            // later variable meets the end of input.
            kind_ = Kind::kNone;
            repeat_ = 0;
            result = -1;
            continue;
          }
        } else {
          read_number(c, type == TYINT);
        }
        skip_separator();
      }
    }
    store(type, element, length);
    --repeat_;
  }
  return result;
}

void ListReader::finish() {
  if (in_ == nullptr || in_->at_end()) return;
  // A read error stops the discarding; the next read meets it again.
  for (int c = in_->get(); c != '\n' && c != kEnd && c != InStream::kError; c = in_->get()) {
  }
}

int ListReader::next() {
  int c = in_->get();
  if (c == InStream::kError) f__fatal(in_->error(), "list in");
  return c;
}

void ListReader::skip_separator() {
  int c = next();
  while (is_blank(c)) c = next();
  if (c == ',' && repeat_ <= 1) return;  // the separator of the value's last use
  in_->unget(c);
}

void ListReader::read_number(int c, bool integer_target) {
  bool after_repeat = false;
  bool negative = false;
  Mantissa mantissa;
  for (;;) {
    negative = false;
    if (is_sign(c)) {
      negative = c == '-';
      c = next();
    }
    mantissa = Mantissa();
    while (is_digit(c)) {
      add_integer_digit(mantissa, c);
      c = next();
    }
    if (c != '*' || after_repeat) break;
    repeat_ = number_repeat_count(mantissa, negative);
    after_repeat = true;
    c = next();  // the value itself starts over after the star
  }
  if (c == '.') {
    if (integer_target) f__fatal(115, "invalid integer");
    c = next();
    while (is_digit(c)) {
      add_fraction_digit(mantissa, c);
      c = next();
    }
  }
  std::int32_t exponent = 0;
  if (mantissa.any_digit && (is_sign(c) || is_exponent_letter(c))) {
    if (is_exponent_letter(c)) {
      if (integer_target) f__fatal(115, "invalid integer");
      c = next();
    }
    bool exponent_negative = false;
    if (is_sign(c)) {
      exponent_negative = c == '-';
      c = next();
    }
    if (!is_digit(c)) f__fatal(112, "exponent field");
    for (; is_digit(c); c = next()) {
      exponent = exponent * 10 + (c - '0');  // at most 999999999: no overflow
      if (exponent > kMaxExponent) f__fatal(112, "exponent field");
    }
    if (exponent_negative) exponent = -exponent;
  }
  in_->unget(c);
  if (!after_repeat) repeat_ = 1;
  if (!mantissa.any_digit) {
    // Not a number: a null value when a separator ended it.
    bool null_value = c == ',' || c == '/' || (after_repeat && (is_blank(c) || c == '\n'));
    if (!null_value) f__fatal(112, "invalid number");
    kind_ = Kind::kNull;
    return;
  }
  kind_ = Kind::kNumber;
  number_ = to_double(mantissa, negative, exponent);
}

bool ListReader::read_text(int c) {
  text_.clear();
  try {
    text_.reserve(kInitialTextCapacity);
  } catch (const std::bad_alloc&) {
    f__fatal(113, "no space");
  }
  kind_ = Kind::kText;
  repeat_ = 1;
  if (is_quote(c)) return read_quoted(c);
  if (!is_digit(c)) {
    read_undelimited(c);
    return true;
  }
  for (; is_digit(c); c = next()) append(static_cast<char>(c));
  if (c == '*') {
    integer count = capped_count(text_.data(), text_.size());
    if (count > 0) {
      repeat_ = count;
      text_.clear();
      c = next();
      if (is_blank(c) || c == ',' || c == '/' || c == kEnd) {
        in_->unget(c);
        kind_ = Kind::kNull;
        return true;
      }
      if (is_quote(c)) return read_quoted(c);
      read_undelimited(c);  // a line end here is the text's first character
      return true;
    }
    // A zero count: the digits and the star are the start of the text.
  } else if (ends_undelimited(c)) {
    in_->unget(c);  // the value is the digits alone
    return true;
  }
  read_undelimited(c);
  return true;
}

bool ListReader::read_quoted(int quote) {
  for (;;) {
    int c = next();
    if (c == kEnd) return false;
    if (c == quote) {
      int after = next();
      if (after != quote) {
        in_->unget(after);
        return true;
      }
    } else if (c == '\n') {
      continue;  // the text goes on at the start of the next line
    } else if (c == '\\') {
      int after = next();
      if (after == '\n') c = '\n';  // backslash and line end: a line feed
      else in_->unget(after);
    }
    append(static_cast<char>(c));
  }
}

void ListReader::read_undelimited(int first) {
  append(static_cast<char>(first));
  for (;;) {
    int c = next();
    if (ends_undelimited(c)) {
      in_->unget(c);
      return;
    }
    append(static_cast<char>(c));
  }
}

void ListReader::append(char c) {
  try {
    text_.push_back(c);
  } catch (const std::bad_alloc&) {
    f__fatal(113, "realloc failure");
  } catch (const std::length_error&) {
    f__fatal(113, "realloc failure");
  }
}

void ListReader::store(integer type, char* target, ftnlen length) const {
  // A null value leaves the variable as it is; so does a value of the other
  // family (a number repeated into a text or a text into a number), which
  // no statement of the program can produce.
  if (kind_ == Kind::kNumber && type == TYINT) {
    integer value = to_integer(number_);
    std::memcpy(target, &value, sizeof value);
  } else if (kind_ == Kind::kNumber && type == TYDREAL) {
    std::memcpy(target, &number_, sizeof number_);
  } else if (kind_ == Kind::kText && type == TYCHAR && length > 0) {
    std::size_t size = static_cast<std::size_t>(length);
    std::size_t used = text_.size() < size ? text_.size() : size;
    std::memcpy(target, text_.data(), used);
    std::memset(target + used, ' ', size - used);
  }
}

}  // namespace textio

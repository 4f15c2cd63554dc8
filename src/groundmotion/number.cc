// number.cc: the number scanner (see number.h).
#include "number.h"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <string>
#include <system_error>

namespace groundmotion {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The power of ten of the first significant digit of a mantissa of digits
// and at most one point: 2 for "123", 0 for "1.5", -3 for "0.0012" (0
// when every digit is 0).
long order_of_mantissa(const std::string& mantissa) {
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string::npos) return 0;
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  return first < point ? static_cast<long>(point - first - 1) : -static_cast<long>(first - point);
}

}  // namespace

std::string_view trim_blanks(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

bool parse_number(std::string_view text, double& value, double& resolution) {
  text = trim_blanks(text);
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  // Mantissa: digits, optionally a point and more digits.
  std::string normal;  // the number rewritten for from_chars
  int mantissa_digits = 0;
  int fraction_digits = 0;
  while (pos < text.size() && is_digit(text[pos])) {
    normal += text[pos++];
    ++mantissa_digits;
  }
  if (pos < text.size() && text[pos] == '.') {
    normal += text[pos++];
    while (pos < text.size() && is_digit(text[pos])) {
      normal += text[pos++];
      ++mantissa_digits;
      ++fraction_digits;
    }
  }
  if (mantissa_digits == 0) return false;
  // Exponent: a letter, or the exponent's sign alone.
  long exponent = 0;
  if (pos < text.size()) {
    const char mark = text[pos];
    const bool letter = mark == 'E' || mark == 'e' || mark == 'D' || mark == 'd';
    if (!letter && mark != '+' && mark != '-') return false;
    if (letter) ++pos;
    bool exponent_negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
      exponent_negative = text[pos] == '-';
      ++pos;
    }
    const std::size_t digits_begin = pos;
    while (pos < text.size() && is_digit(text[pos])) {
      if (exponent < 100000) exponent = exponent * 10 + (text[pos] - '0');
      ++pos;
    }
    if (pos == digits_begin || pos != text.size()) return false;
    if (exponent_negative) exponent = -exponent;
  }
  const long order = exponent + order_of_mantissa(normal);
  normal += 'e';
  normal += std::to_string(exponent);
  double magnitude = 0.0;
  const auto result =
      std::from_chars(normal.data(), normal.data() + normal.size(), magnitude);
  if (result.ec == std::errc::result_out_of_range) {
    // An underflow reads as zero; an overflow is no usable number.
    if (order > 0) {
      throw NumberOutOfRange("the number \"" + std::string(text.substr(0, 40)) +
                             (text.size() > 40 ? "..." : "") + "\" lies beyond the range of numbers");
    }
    magnitude = 0.0;
  } else if (result.ec != std::errc() ||
             result.ptr != normal.data() + normal.size() ||
             !std::isfinite(magnitude)) {
    return false;
  }
  value = negative ? -magnitude : magnitude;
  resolution = std::pow(10.0, static_cast<double>(exponent - fraction_digits));
  return true;
}

bool parse_number(std::string_view text, double& value) {
  double resolution = 0.0;
  return parse_number(text, value, resolution);
}

}  // namespace groundmotion

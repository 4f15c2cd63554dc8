// text.h: the text helpers behind the reports and the command lines.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace groundmotion {

// printf-style formatting of one report line: at most 511 characters, the
// rest cut off.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// Reads a finite decimal number that fills `text` (no blanks), with an
// optional sign, '+' or '-', and exponent ("+0.05", "-1e-3"), as the
// options take their values. Returns false, `value` unchanged, otherwise.
bool read_decimal(std::string_view text, double& value);

// `text` with every control character written as an escape (\n, \r, \t,
// or \xHH), so that a name prints on one line. Backslashes stay as they
// are (they separate the folders of a Windows path).
std::string printable(std::string_view text);

// The names of every value of `all` joined by '|', as a usage text lists
// the choices of an option ("gal|g|m/s2"); `name_of` names one value.
template <typename Choice, std::size_t N>
std::string choices_text(const Choice (&all)[N], const char* (*name_of)(Choice)) {
  std::string text;
  for (const Choice choice : all) text += (text.empty() ? "" : "|") + std::string(name_of(choice));
  return text;
}

// The value of `all` whose name is exactly `name`. Throws
// std::invalid_argument "unknown WHAT 'NAME': one of CHOICES" otherwise.
template <typename Choice, std::size_t N>
Choice parse_choice(std::string_view name, const Choice (&all)[N],
                    const char* (*name_of)(Choice), const char* what) {
  for (const Choice choice : all) {
    if (name == name_of(choice)) return choice;
  }
  throw std::invalid_argument("unknown " + std::string(what) + " '" + std::string(name) +
                              "': one of " + choices_text(all, name_of));
}

}  // namespace groundmotion

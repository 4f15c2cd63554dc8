// lwrite.cc: rendering of list-directed output items.
#include "lwrite.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace textio {

std::string list_double_text(double magnitude) {
  if (magnitude == 0.0) return "0.";
  // "%.9G" is at most 15 characters ("1.23456789E+308"); 32 leaves room.
  char text[32];
  int size = std::snprintf(text, sizeof text, "%.9G", magnitude);
  std::string result(text, static_cast<std::size_t>(size));
  char first = result[0];
  if (first == 'N' || first == 'I' || first == 'n' || first == 'i') return result;
  std::size_t stop = result.find_first_of(".E");
  if (stop == std::string::npos) {
    result += '.';
  } else if (result[stop] == 'E') {
    result.insert(stop, 1, '.');
  }
  return result;
}

void ListWriter::start(Unit& u) {
  unit_ = &u;
  record_.clear();
}

void ListWriter::append(const char* text, std::size_t size) {
  try {
    record_.append(text, size);
  } catch (const std::bad_alloc&) {
    f__fatal(113, "malloc failure");
  }
}

void ListWriter::end_record() {
  append("\n", 1);
  put_record(*unit_, record_.data(), record_.size());
  record_.clear();
}

void ListWriter::break_before(std::size_t width) {
  if (!record_.empty() && record_.size() + width >= kLineLimit) end_record();
}

void ListWriter::item(integer type, integer count, const void* addr, ftnlen length) {
  assert(unit_ != nullptr);
  assert(type == TYINT || type == TYDREAL || type == TYCHAR);
  const char* element = static_cast<const char*>(addr);
  for (integer n = 0; n < count; ++n, element += length) {
    if (type == TYINT) {
      integer value;
      std::memcpy(&value, element, sizeof value);
      // " -2147483648" is 12 characters; 16 leaves room for the terminator.
      char text[16];
      int size = std::snprintf(text, sizeof text, " %d", value);
      std::size_t digits = static_cast<std::size_t>(size) - 1 - (value < 0 ? 1 : 0);
      break_before(digits);
      append(text, static_cast<std::size_t>(size));
    } else if (type == TYDREAL) {
      double value;
      std::memcpy(&value, element, sizeof value);
      std::string text = value < 0 ? " -" : "  ";
      text += list_double_text(std::fabs(value));
      break_before(text.size());
      append(text.data(), text.size());
    } else {
      std::size_t size = length > 0 ? static_cast<std::size_t>(length) : 0;
      break_before(size);
      if (record_.empty()) append(" ", 1);
      append(element, size);
    }
  }
}

void ListWriter::finish() { end_record(); }

}  // namespace textio

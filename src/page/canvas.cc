// canvas.cc: the SVG builder of the drawings (see canvas.h).
#include "canvas.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <limits>

namespace page {

double Axis::map(double value) const {
  // In long double, whose exponent range holds the difference of any two
  // finite doubles.
  long double fraction;
  if (logarithmic) {
    if (!(value > 0.0)) return pixel_low;
    fraction = (std::log10(static_cast<long double>(value)) - std::log10(static_cast<long double>(low))) /
               (std::log10(static_cast<long double>(high)) - std::log10(static_cast<long double>(low)));
  } else {
    fraction = (static_cast<long double>(value) - low) / (static_cast<long double>(high) - low);
  }
  return static_cast<double>(pixel_low + fraction * (static_cast<long double>(pixel_high) - pixel_low));
}

double nice_step(double rough) {
  assert(rough > 0.0 && std::isfinite(rough));
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double mantissa = rough / power;
  double step = 10.0 * power;
  if (mantissa <= 1.0) {
    step = power;
  } else if (mantissa <= 2.0) {
    step = 2.0 * power;
  } else if (mantissa <= 5.0) {
    step = 5.0 * power;
  }
  return std::isfinite(step) ? step : rough;
}

std::vector<Tick> linear_ticks(double low, double high, int count) {
  assert(count >= 1);
  const long double span = static_cast<long double>(high) - low;
  if (!(span > 0.0L)) return {{low, true}};
  const long double rough = std::min(std::max(span / count, static_cast<long double>(std::numeric_limits<double>::min())),
                                     static_cast<long double>(std::numeric_limits<double>::max()));
  const double step = nice_step(static_cast<double>(rough));
  // Counted from the first multiple, so that the loop ends whatever the
  // magnitudes (a step below the spacing of the numbers near `low` gives
  // repeated values, never an endless loop).
  const long double first = std::ceil(low / static_cast<long double>(step) - 1e-9L);
  const long double last = std::floor(high / static_cast<long double>(step) + 1e-9L);
  std::vector<Tick> ticks;
  const long double limit = 4.0L * count + 2.0L;
  for (long double k = 0; first + k <= last && k < limit; k += 1.0L) {
    const double value = static_cast<double>((first + k) * step);
    ticks.push_back({value == 0.0 ? 0.0 : value, true});
  }
  if (ticks.empty()) ticks.push_back({low, true});  // a range narrower than DBL_MIN
  return ticks;
}

std::vector<Tick> log_ticks(double low, double high) {
  assert(low > 0.0 && low <= high && std::isfinite(high));
  std::vector<Tick> ticks;
  const int first = static_cast<int>(std::floor(std::log10(low)));
  const int last = std::min(static_cast<int>(std::ceil(std::log10(high))), first + 40);
  for (int decade = first; decade <= last; ++decade) {
    for (int mantissa = 1; mantissa <= 9; ++mantissa) {
      const double value = mantissa * std::pow(10.0, decade);
      if (value < low * (1.0 - 1e-9) || value > high * (1.0 + 1e-9)) continue;
      ticks.push_back({value, mantissa == 1 || mantissa == 2 || mantissa == 5});
    }
  }
  return ticks;
}

double floor_125(double value) {
  assert(value > 0.0 && std::isfinite(value));
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (const double mantissa : {5.0, 2.0, 1.0}) {
    if (mantissa * power <= value * (1.0 + 1e-12)) return mantissa * power;
  }
  return power;
}

double ceil_125(double value) {
  assert(value > 0.0 && std::isfinite(value));
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (const double mantissa : {1.0, 2.0, 5.0}) {
    if (mantissa * power >= value * (1.0 - 1e-12)) return mantissa * power;
  }
  const double next = 10.0 * power;
  return std::isfinite(next) ? next : value;
}

namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence starting at text[pos], or 0.
std::size_t utf8_length(const std::string& text, std::size_t pos) {
  const auto at = [&](std::size_t i) {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
  };
  const unsigned char lead = at(pos);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char min_second = 0x80;
  unsigned char max_second = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) min_second = 0xA0;  // no over-long forms
    if (lead == 0xED) max_second = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) min_second = 0x90;
    if (lead == 0xF4) max_second = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (at(pos + 1) < min_second || at(pos + 1) > max_second) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!is_continuation(at(pos + i))) return 0;
  }
  return length;
}

}  // namespace

std::string xml_escape(const std::string& text) {
  std::string escaped;
  for (std::size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    const std::size_t length = utf8_length(text, pos);
    if (length == 0 || (byte < 0x20 && byte != '\t') || byte == 0x7f) {
      escaped += '?';
      pos += length == 0 ? 1 : length;
      continue;
    }
    switch (byte) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&#39;"; break;
      default: escaped.append(text, pos, length);
    }
    pos += length;
  }
  return escaped;
}

std::string pixel(double value) {
  char text[32];
  const double shown = std::isfinite(value) ? std::min(std::max(value, -1e6), 1e6) : 0.0;
  std::snprintf(text, sizeof text, "%.2f", shown);
  return text;
}

std::string tick_label(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

void Canvas::line(double x1, double y1, double x2, double y2, const char* colour, double width,
                  const std::string& extra) {
  text += "<line x1=\"" + pixel(x1) + "\" y1=\"" + pixel(y1) + "\" x2=\"" + pixel(x2) +
          "\" y2=\"" + pixel(y2) + "\" stroke=\"" + colour + "\" stroke-width=\"" + pixel(width) +
          "\"" + extra + "/>\n";
}

void Canvas::label(double x, double y, const std::string& content, int size, const char* anchor,
                   const std::string& extra) {
  text += "<text x=\"" + pixel(x) + "\" y=\"" + pixel(y) + "\" font-size=\"" +
          std::to_string(size) + "\" text-anchor=\"" + anchor + "\"" + extra + ">" + content +
          "</text>\n";
}

namespace {

std::string point_list(const Points& points) {
  std::string list;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i > 0) list += i % 8 == 0 ? "\n" : " ";
    list += pixel(points[i].first) + "," + pixel(points[i].second);
  }
  return list;
}

std::string id_attribute(const std::string& id) {
  return id.empty() ? "" : " id=\"" + id + "\"";
}

}  // namespace

void Canvas::polyline(const std::string& id, const Points& points, const char* colour,
                      double width, const std::string& extra) {
  text += "<polyline" + id_attribute(id) + " fill=\"none\" stroke=\"" + colour +
          "\" stroke-width=\"" + pixel(width) + "\" stroke-linejoin=\"round\"" + extra +
          " points=\"" + point_list(points) + "\"/>\n";
}

void Canvas::polygon(const std::string& id, const Points& points, const char* fill,
                     const std::string& extra) {
  text += "<polygon" + id_attribute(id) + " fill=\"" + fill + "\" stroke=\"none\"" + extra +
          " points=\"" + point_list(points) + "\"/>\n";
}

void Canvas::rectangle(const Frame& box, const char* fill, const std::string& extra) {
  text += "<rect x=\"" + pixel(box.left) + "\" y=\"" + pixel(box.top) + "\" width=\"" +
          pixel(box.right - box.left) + "\" height=\"" + pixel(box.bottom - box.top) +
          "\" fill=\"" + fill + "\"" + extra + "/>\n";
}

void Canvas::circle(double x, double y, double radius, const std::string& extra) {
  text += "<circle cx=\"" + pixel(x) + "\" cy=\"" + pixel(y) + "\" r=\"" + pixel(radius) + "\"" +
          extra + "/>\n";
}

void Canvas::clip(const std::string& id, const Frame& box) {
  text += "<clipPath id=\"" + id + "\">";
  rectangle(box, "#000000");
  text += "</clipPath>\n";
}

void Canvas::open_group(const std::string& attributes) { text += "<g" + attributes + ">\n"; }

void Canvas::close_group() { text += "</g>\n"; }

void Canvas::grid(const Frame& box, const Axis& x_axis, const std::vector<Tick>& x_ticks,
                  const Axis& y_axis, const std::vector<Tick>& y_ticks) {
  for (const Tick& tick : x_ticks) {
    const double x = x_axis.map(tick.value);
    if (tick.labelled) line(x, box.top, x, box.bottom, "#d8d8d8", 1);
    line(x, box.bottom, x, box.bottom + (tick.labelled ? 6 : 3), "#000000", 1);
    if (tick.labelled) label(x, box.bottom + 19, tick_label(tick.value), 12, "middle");
  }
  for (const Tick& tick : y_ticks) {
    const double y = y_axis.map(tick.value);
    if (tick.labelled) line(box.left, y, box.right, y, "#d8d8d8", 1);
    line(box.left - (tick.labelled ? 6 : 3), y, box.left, y, "#000000", 1);
    if (tick.labelled) label(box.left - 9, y + 4, tick_label(tick.value), 12, "end");
  }
}

void Canvas::top_ticks(const Frame& box, const Axis& x_axis, const std::vector<Tick>& ticks,
                       double (*to_axis)(double)) {
  for (const Tick& tick : ticks) {
    const double x = x_axis.map(to_axis(tick.value));
    line(x, box.top - (tick.labelled ? 6 : 3), x, box.top, "#000000", 1);
    if (tick.labelled) label(x, box.top - 9, tick_label(tick.value), 11, "middle");
  }
}

void Canvas::border(const Frame& box) {
  rectangle(box, "none", " stroke=\"#000000\" stroke-width=\"1\"");
}

void Canvas::axis_titles(const Frame& box, const std::string& x_title,
                         const std::string& y_title) {
  if (!x_title.empty()) {
    label(0.5 * (box.left + box.right), box.bottom + 36, x_title, 13, "middle");
  }
  if (y_title.empty()) return;
  const double middle = 0.5 * (box.top + box.bottom);
  text += "<text x=\"0\" y=\"0\" font-size=\"13\" text-anchor=\"middle\" transform=\"translate(" +
          pixel(box.left - 58) + "," + pixel(middle) + ") rotate(-90)\">" + y_title + "</text>\n";
}

}  // namespace page

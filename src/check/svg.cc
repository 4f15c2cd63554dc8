// svg.cc: a picture of a checked record (see svg.h).
#include "svg.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstdio>


namespace check {
namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 820;
const char* const kFont = "DejaVu Sans, Arial, Helvetica, sans-serif";
const char* const kHistoryColour = "#1f4e9a";
const char* const kComputedColour = "#c0392b";
const char* const kTargetColour = "#202020";
const char* const kBandColour = "#8fd18f";
const char* const kNyquistColour = "#7a3db8";

// A pixel coordinate: far off values (a figure built on infinity) are held
// well outside the picture, so that every number in it is finite.
std::string number(double value) {
  constexpr double kFarOff = 1e7;
  value = std::isnan(value) ? 0.0 : std::clamp(value, -kFarOff, kFarOff);
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

std::string label(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// Maps data values onto pixels, linearly or by logarithm.
struct Axis {
  double low;
  double high;
  bool logarithmic;
  double pixel_low;   // pixel of `low`
  double pixel_high;  // pixel of `high`

  double map(double value) const {
    double fraction;
    if (logarithmic) {
      if (!(value > 0.0)) return pixel_low;
      fraction = std::log10(value / low) / std::log10(high / low);
    } else {
      fraction = (value - low) / (high - low);
    }
    return pixel_low + fraction * (pixel_high - pixel_low);
  }
};

struct Tick {
  double value;
  bool labelled;
};

// The most ticks of one axis.
constexpr int kMostTicks = 100;

// 1, 2 or 5 times a power of ten, near `rough` (1 for a rough step that
// is not finite and positive).
double nice_step(double rough) {
  if (!(rough > 0.0 && rough <= std::numeric_limits<double>::max())) return 1.0;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double mantissa = rough / power;
  if (mantissa <= 1.0) return power;
  if (mantissa <= 2.0) return 2.0 * power;
  if (mantissa <= 5.0) return 5.0 * power;
  return 10.0 * power;
}

// The multiples of `step` in [low, high], at most kMostTicks of them; none
// for bounds that are not finite. Far from zero, where neighbouring
// multiples are one double, they are one tick.
std::vector<Tick> linear_ticks(double low, double high, double step) {
  std::vector<Tick> ticks;
  const double margin = 1e-9 * step;
  const double first = std::ceil((low - margin) / step);
  const double count = std::floor((high + margin) / step) - first;
  if (!std::isfinite(first) || !std::isfinite(count)) return ticks;
  for (int i = 0; i <= count && i <= kMostTicks; ++i) {
    const double value = (first + i) * step;
    if (!ticks.empty() && value == ticks.back().value) continue;
    ticks.push_back({value == 0.0 ? 0.0 : value, true});
  }
  return ticks;
}

// Every m * 10^d in [low, high]; those with m = 1, 2, 5 labelled.
std::vector<Tick> log_ticks(double low, double high) {
  std::vector<Tick> ticks;
  if (!(low > 0.0 && high >= low && high <= std::numeric_limits<double>::max())) return ticks;
  const int first = static_cast<int>(std::floor(std::log10(low))) - 1;
  const int last = static_cast<int>(std::ceil(std::log10(high))) + 1;
  for (int decade = first; decade <= last; ++decade) {
    for (int mantissa = 1; mantissa <= 9; ++mantissa) {
      const double value = mantissa * std::pow(10.0, decade);
      if (value < low * (1.0 - 1e-9) || value > high * (1.0 + 1e-9)) continue;
      ticks.push_back({value, mantissa == 1 || mantissa == 2 || mantissa == 5});
    }
  }
  return ticks;
}

// The largest 1-2-5 value not above `value` (> 0).
double floor_125(double value) {
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (const double mantissa : {5.0, 2.0, 1.0}) {
    if (mantissa * power <= value * (1.0 + 1e-12)) return mantissa * power;
  }
  return power;
}

// The smallest 1-2-5 value not below `value` (> 0).
double ceil_125(double value) {
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (const double mantissa : {1.0, 2.0, 5.0}) {
    if (mantissa * power >= value * (1.0 - 1e-12)) return mantissa * power;
  }
  return 10.0 * power;
}

// A plot frame: its pixel box, ticks, grid and axis titles.
struct Frame {
  double left, right, top, bottom;
};

class Writer {
 public:
  std::string text;

  void line(double x1, double y1, double x2, double y2, const char* colour,
            double width, const char* extra = "") {
    text += "<line x1=\"" + number(x1) + "\" y1=\"" + number(y1) + "\" x2=\"" +
            number(x2) + "\" y2=\"" + number(y2) + "\" stroke=\"" + colour +
            "\" stroke-width=\"" + number(width) + "\"" + extra + "/>\n";
  }

  void label_at(double x, double y, const std::string& content, int size,
                const char* anchor, const char* extra = "") {
    text += "<text x=\"" + number(x) + "\" y=\"" + number(y) +
            "\" font-size=\"" + std::to_string(size) + "\" text-anchor=\"" +
            anchor + "\"" + extra + ">" + content + "</text>\n";
  }

  void polyline(const char* id, const std::vector<std::pair<double, double>>& points,
                const char* colour, double width, const char* extra = "") {
    text += std::string("<polyline id=\"") + id + "\" fill=\"none\" stroke=\"" +
            colour + "\" stroke-width=\"" + number(width) +
            "\" stroke-linejoin=\"round\"" + extra + " points=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
      if (i > 0) text += i % 8 == 0 ? "\n" : " ";
      text += number(points[i].first) + "," + number(points[i].second);
    }
    text += "\"/>\n";
  }

  // Grid lines, ticks and tick labels of a frame; `x_ticks` and `y_ticks`
  // give the values, the axes place them.
  void frame(const Frame& box, const Axis& x_axis, const std::vector<Tick>& x_ticks,
             const Axis& y_axis, const std::vector<Tick>& y_ticks) {
    for (const Tick& tick : x_ticks) {
      const double x = x_axis.map(tick.value);
      if (tick.labelled) line(x, box.top, x, box.bottom, "#d8d8d8", 1);
      line(x, box.bottom, x, box.bottom + (tick.labelled ? 6 : 3), "#000000", 1);
      if (tick.labelled) label_at(x, box.bottom + 19, label(tick.value), 12, "middle");
    }
    for (const Tick& tick : y_ticks) {
      const double y = y_axis.map(tick.value);
      if (tick.labelled) line(box.left, y, box.right, y, "#d8d8d8", 1);
      line(box.left - (tick.labelled ? 6 : 3), y, box.left, y, "#000000", 1);
      if (tick.labelled) label_at(box.left - 9, y + 4, label(tick.value), 12, "end");
    }
  }

  void border(const Frame& box) {
    text += "<rect x=\"" + number(box.left) + "\" y=\"" + number(box.top) +
            "\" width=\"" + number(box.right - box.left) + "\" height=\"" +
            number(box.bottom - box.top) +
            "\" fill=\"none\" stroke=\"#000000\" stroke-width=\"1\"/>\n";
  }

  void axis_titles(const Frame& box, const std::string& x_title,
                   const std::string& y_title) {
    label_at(0.5 * (box.left + box.right), box.bottom + 38, x_title, 13, "middle");
    const double middle = 0.5 * (box.top + box.bottom);
    text += "<text x=\"0\" y=\"0\" font-size=\"13\" text-anchor=\"middle\" "
            "transform=\"translate(" + number(box.left - 58) + "," + number(middle) +
            ") rotate(-90)\">" + y_title + "</text>\n";
  }

  void clip(const char* id, const Frame& box) {
    text += std::string("<clipPath id=\"") + id + "\"><rect x=\"" +
            number(box.left) + "\" y=\"" + number(box.top) + "\" width=\"" +
            number(box.right - box.left) + "\" height=\"" +
            number(box.bottom - box.top) + "\"/></clipPath>\n";
  }
};

// The history reduced to the smallest and largest sample of each pixel
// column, in time order.
std::vector<std::pair<double, double>> history_points(const spectra::Record& record,
                                                      const Axis& x_axis,
                                                      const Axis& y_axis) {
  std::vector<std::pair<double, double>> points;
  const std::vector<double>& acc = record.acc;
  const double columns = std::fabs(x_axis.pixel_high - x_axis.pixel_low);
  if (static_cast<double>(acc.size()) <= 2.0 * columns) {
    for (std::size_t i = 0; i < acc.size(); ++i) {
      points.emplace_back(x_axis.map(record.time_at(i)), y_axis.map(acc[i]));
    }
    return points;
  }
  std::size_t begin = 0;
  while (begin < acc.size()) {
    const double x = std::floor(x_axis.map(record.time_at(begin)));
    std::size_t end = begin;
    std::size_t lowest = begin;
    std::size_t highest = begin;
    while (end < acc.size() && std::floor(x_axis.map(record.time_at(end))) == x) {
      if (acc[end] < acc[lowest]) lowest = end;
      if (acc[end] > acc[highest]) highest = end;
      ++end;
    }
    const double centre = x + 0.5;
    const std::size_t earlier = std::min(lowest, highest);
    const std::size_t later = std::max(lowest, highest);
    points.emplace_back(centre, y_axis.map(acc[earlier]));
    if (later != earlier) points.emplace_back(centre, y_axis.map(acc[later]));
    begin = end;
  }
  return points;
}

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
      case '\'': escaped += "&apos;"; break;
      default: escaped.append(text, pos, length);
    }
    pos += length;
  }
  return escaped;
}

namespace {

// The acceleration history, top panel.
void draw_history(Writer& svg, const CheckResult& result) {
  const spectra::Record& record = result.record;
  const Frame top{90, 870, 58, 200};
  // A silent record gets an axis of +-1 gal.
  const double largest = std::fabs(result.motion.acceleration.value);
  const double peak = largest > 0.0 ? largest : 1.0;
  const double acc_step = nice_step(2.0 * peak / 6.0);
  const double acc_limit = std::ceil(peak / acc_step) * acc_step;
  const Axis time_axis{record.start_time, record.end_time(), false, top.left, top.right};
  const Axis acc_axis{-acc_limit, acc_limit, false, top.bottom, top.top};
  char buffer[256];
  std::snprintf(buffer, sizeof buffer,
                "Acceleration history: %zu samples at %g s, peak %.4g gal at %.2f s",
                record.acc.size(), record.dt, result.motion.acceleration.value,
                result.motion.acceleration.time);
  svg.label_at(top.left, top.top - 9, buffer, 13, "start");
  svg.frame(top, time_axis,
            linear_ticks(time_axis.low, time_axis.high,
                         nice_step((time_axis.high - time_axis.low) / 10.0)),
            acc_axis, linear_ticks(-acc_limit, acc_limit, acc_step));
  svg.line(top.left, acc_axis.map(0.0), top.right, acc_axis.map(0.0), "#808080", 1);
  svg.clip("history-area", top);
  svg.polyline("history", history_points(record, time_axis, acc_axis),
               kHistoryColour, 0.8, " clip-path=\"url(#history-area)\"");
  svg.border(top);
  svg.axis_titles(top, "time (s)", "acceleration (gal)");
}

// The period axis shared by the spectrum and the ratio panels.
Axis period_axis_of(const std::vector<spectra::SpectrumPoint>& points, const Frame& box) {
  double low = points.front().period;
  double high = low;
  for (const spectra::SpectrumPoint& point : points) {
    low = std::min(low, point.period);
    high = std::max(high, point.period);
  }
  return {low, high, true, box.left, box.right};
}

// The Nyquist frequency as a dashed vertical line with id `id`, when it
// falls inside the plotted periods.
void mark_nyquist(Writer& svg, const Frame& box, const Axis& period_axis, double nyquist,
                  const char* id, bool labelled) {
  const double period = 1.0 / nyquist;
  if (!(period > period_axis.low * (1.0 + spectra::kLimitMargin) && period < period_axis.high)) return;
  const double x = period_axis.map(period);
  svg.text += std::string("<g id=\"") + id + "\">\n";
  svg.line(x, box.top, x, box.bottom, kNyquistColour, 1.2, " stroke-dasharray=\"3,3\"");
  if (labelled) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Nyquist %g Hz", nyquist);
    svg.label_at(x + 4, box.bottom - 6, buffer, 11, "start",
                 (std::string(" fill=\"") + kNyquistColour + "\"").c_str());
  }
  svg.text += "</g>\n";
}

// Frequency ticks (Hz) along the top edge of `box`, on the period axis.
void frequency_axis(Writer& svg, const Frame& box, const Axis& period_axis) {
  for (const Tick& tick : log_ticks(1.0 / period_axis.high, 1.0 / period_axis.low)) {
    const double x = period_axis.map(1.0 / tick.value);
    svg.line(x, box.top - (tick.labelled ? 6 : 3), x, box.top, "#000000", 1);
    if (tick.labelled) svg.label_at(x, box.top - 9, label(tick.value), 11, "middle");
  }
  svg.label_at(box.right, box.top - 24, "frequency (Hz)", 12, "end");
}

// The computed and target spectra with the band, middle panel.
void draw_spectrum(Writer& svg, const CheckResult& result, const Frame& box) {
  const std::vector<spectra::SpectrumPoint>& points = result.evaluation.points;
  const double damping = result.evaluation.options.damping;
  double sa_low = points.front().target * spectra::kBandLow;
  double sa_high = points.front().target * spectra::kBandHigh;
  for (const spectra::SpectrumPoint& point : points) {
    sa_low = std::min(sa_low, spectra::kBandLow * point.target);
    sa_high = std::max(sa_high, spectra::kBandHigh * point.target);
    if (point.sa > 0.0) sa_low = std::min(sa_low, point.sa);
    sa_high = std::max(sa_high, point.sa);
  }
  // Not more than three decades below the band, so a nearly silent record
  // still leaves the target readable.
  sa_low = std::max(floor_125(sa_low), floor_125(sa_high / 1e4));
  sa_high = ceil_125(sa_high);
  const Axis period_axis = period_axis_of(points, box);
  const Axis sa_axis{sa_low, sa_high, true, box.bottom, box.top};

  // The target drawn through its corner periods as well as the grid.
  std::vector<double> periods;
  for (const spectra::SpectrumPoint& point : points) periods.push_back(point.period);
  const spectra::Target& target_spectrum = result.evaluation.options.target;
  for (const double corner : target_spectrum.corner_periods()) {
    if (corner > period_axis.low && corner < period_axis.high) periods.push_back(corner);
  }
  std::sort(periods.begin(), periods.end());
  std::vector<std::pair<double, double>> target_line, band;
  for (const double period : periods) {
    const double target = target_spectrum.sa(period, damping);
    target_line.emplace_back(period_axis.map(period), sa_axis.map(target));
    band.emplace_back(period_axis.map(period), sa_axis.map(spectra::kBandHigh * target));
  }
  for (auto period = periods.rbegin(); period != periods.rend(); ++period) {
    const double target = target_spectrum.sa(*period, damping);
    band.emplace_back(period_axis.map(*period), sa_axis.map(spectra::kBandLow * target));
  }
  std::vector<std::pair<double, double>> computed;
  for (auto point = points.rbegin(); point != points.rend(); ++point) {
    computed.emplace_back(period_axis.map(point->period),
                          sa_axis.map(std::max(point->sa, sa_low)));
  }
  svg.clip("spectrum-area", box);
  svg.text += "<polygon id=\"band\" fill=\"" + std::string(kBandColour) +
              "\" fill-opacity=\"0.45\" stroke=\"none\" "
              "clip-path=\"url(#spectrum-area)\" points=\"";
  for (std::size_t i = 0; i < band.size(); ++i) {
    if (i > 0) svg.text += i % 8 == 0 ? "\n" : " ";
    svg.text += number(band[i].first) + "," + number(band[i].second);
  }
  svg.text += "\"/>\n";
  svg.frame(box, period_axis, log_ticks(period_axis.low, period_axis.high), sa_axis,
            log_ticks(sa_low, sa_high));
  svg.polyline("target-sa", target_line, kTargetColour, 1.6,
               " stroke-dasharray=\"7,4\" clip-path=\"url(#spectrum-area)\"");
  svg.polyline("computed-sa", computed, kComputedColour, 1.8,
               " clip-path=\"url(#spectrum-area)\"");
  mark_nyquist(svg, box, period_axis, result.evaluation.compared.nyquist, "nyquist", true);
  svg.border(box);
  frequency_axis(svg, box, period_axis);
  svg.axis_titles(box, "period (s)", "pseudo-acceleration Sa (gal)");
}

// Title, verdict and legend above the spectrum panel, in rows of their own
// so that they never hide a curve.
void spectrum_heading(Writer& svg, const CheckResult& result, const Frame& box) {
  const spectra::Evaluation& evaluation = result.evaluation;
  const double damping = evaluation.options.damping;
  const std::string target = xml_escape(evaluation.options.target.name());
  char buffer[256];
  std::string title = spectra::format("Response spectrum (pseudo-acceleration, damping %g %%) to ",
                                      100.0 * damping) + target + ":";
  for (const spectra::Verdict& verdict : evaluation.verdicts) {
    title += spectra::format(" <tspan font-weight=\"bold\" fill=\"%s\">%s %s</tspan>",
                             verdict.pass ? "#1a7f37" : kComputedColour, verdict.tag.c_str(),
                             verdict.pass ? "PASS" : "FAIL");
  }
  svg.label_at(box.left, box.top - 62, title, 13, "start");
  if (evaluation.fit.count > 0) {
    std::snprintf(buffer, sizeof buffer, "ratio %.3f to %.3f; mean %.3f over %zu points",
                  evaluation.points[evaluation.fit.lowest].ratio,
                  evaluation.points[evaluation.fit.highest].ratio, evaluation.fit.mean_ratio,
                  evaluation.fit.count);
    svg.label_at(box.right, box.top - 62, buffer, 12, "end");
  }
  const double key_y = box.top - 42;
  double x = box.left;
  svg.line(x, key_y, x + 30, key_y, kComputedColour, 1.8);
  std::snprintf(buffer, sizeof buffer, "computed, damping %g %%", 100.0 * damping);
  svg.label_at(x + 36, key_y + 4, buffer, 12, "start");
  x += 215;
  svg.line(x, key_y, x + 30, key_y, kTargetColour, 1.6, " stroke-dasharray=\"7,4\"");
  svg.label_at(x + 36, key_y + 4, "target " + target, 12, "start");
  // About 7 pixels a character at 12 px.
  x += std::max(100.0, 56.0 + 7.0 * static_cast<double>(evaluation.options.target.name().size()));
  svg.text += "<rect x=\"" + number(x) + "\" y=\"" + number(key_y - 6) +
              "\" width=\"30\" height=\"12\" fill=\"" + kBandColour +
              "\" fill-opacity=\"0.45\"/>\n";
  std::snprintf(buffer, sizeof buffer, "target -%.0f %% to +%.0f %%",
                100.0 * (1.0 - spectra::kBandLow), 100.0 * (spectra::kBandHigh - 1.0));
  svg.label_at(x + 36, key_y + 4, buffer, 12, "start");
}

// The ratio Sa / target on a linear axis, bottom panel: the compared
// points, lines at the band's bounds and at 1, and each compared point
// outside the band marked.
void draw_ratio(Writer& svg, const CheckResult& result, const Frame& box) {
  const spectra::Evaluation& evaluation = result.evaluation;
  const std::vector<spectra::SpectrumPoint>& points = evaluation.points;
  const spectra::ComparedPoints& compared = evaluation.compared;
  // From 0 to at least 1.5, to the largest ratio rounded up, at most 3.
  double largest = 1.5;
  for (std::size_t i = compared.in_range_first; i < compared.compared_end; ++i) {
    largest = std::max(largest, std::min(points[i].ratio, 3.0));
  }
  const double step = nice_step(largest / 5.0);
  const Axis period_axis = period_axis_of(points, box);
  const Axis ratio_axis{0.0, std::ceil(largest / step) * step, false, box.bottom, box.top};
  const auto y_of = [&](double ratio) {
    return ratio_axis.map(std::min(std::max(ratio, ratio_axis.low), ratio_axis.high));
  };
  svg.label_at(box.left, box.top - 12,
               "Ratio Sa / target (linear) at the compared points; circles: outside the band", 13, "start");
  svg.frame(box, period_axis, log_ticks(period_axis.low, period_axis.high), ratio_axis,
            linear_ticks(ratio_axis.low, ratio_axis.high, step));
  for (const double level : {spectra::kBandLow, 1.0, spectra::kBandHigh}) {
    const char* colour = level == 1.0 ? kTargetColour : "#2e8b57";
    svg.line(box.left, y_of(level), box.right, y_of(level), colour, level == 1.0 ? 1.4 : 1.2,
             level == 1.0 ? "" : " stroke-dasharray=\"6,3\"");
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", level);
    svg.label_at(box.right + 4, y_of(level) + 4, text, 11, "start");
  }
  std::vector<std::pair<double, double>> line;
  std::string marks = "<g id=\"outside-band\" fill=\"none\" stroke=\"" +
                      std::string(kComputedColour) + "\" stroke-width=\"1\">\n";
  for (std::size_t i = compared.compared_end; i-- > compared.in_range_first;) {
    const double x = period_axis.map(points[i].period);
    line.emplace_back(x, y_of(points[i].ratio));
    if (points[i].ratio < spectra::kBandLow || points[i].ratio > spectra::kBandHigh) {
      marks += "<circle cx=\"" + number(x) + "\" cy=\"" + number(y_of(points[i].ratio)) +
               "\" r=\"2.5\"/>\n";
    }
  }
  svg.polyline("ratio", line, kComputedColour, 1.4);
  svg.text += marks + "</g>\n";
  mark_nyquist(svg, box, period_axis, compared.nyquist, "nyquist-ratio", false);
  svg.border(box);
  svg.axis_titles(box, "period (s)", "Sa / target");
}

}  // namespace

std::string format_svg(const CheckResult& result) {
  Writer svg;
  svg.text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg.text += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
              std::to_string(kWidth) + "\" height=\"" + std::to_string(kHeight) +
              "\" viewBox=\"0 0 " + std::to_string(kWidth) + " " +
              std::to_string(kHeight) + "\" font-family=\"" + kFont + "\">\n";
  svg.text += "<title>seedacc-check: " + xml_escape(result.record.source) + "</title>\n";
  svg.text += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  svg.label_at(kWidth / 2.0, 24, xml_escape(result.record.source), 15, "middle",
               " font-weight=\"bold\"");
  draw_history(svg, result);
  const Frame spectrum{90, 870, 330, 545};
  spectrum_heading(svg, result, spectrum);
  draw_spectrum(svg, result, spectrum);
  draw_ratio(svg, result, Frame{90, 870, 625, 765});
  svg.text += "</svg>\n";
  return svg.text;
}

}  // namespace check

// figures.cc: the drawings of a record (see figures.h).
#include "figures.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

#include "canvas.h"
#include "text.h"

namespace page {
namespace {

// Every size and colour of the drawings.
constexpr double kWidth = 900;
constexpr double kLeft = 90;    // plot frames: left and right edge
constexpr double kRight = 870;
constexpr double kPanelHeight = 40;   // one time-history panel
constexpr double kPanelGap = 22;      // above each panel: its heading
constexpr double kBottomAxis = 44;    // below the last panel: ticks and title
constexpr double kHusidHeight = 60;
constexpr double kSpectrumHeight = 135;
constexpr double kSpectrumTop = 78;   // above it: heading, legend, period axis
constexpr double kRatioGap = 68;      // between the spectrum and the ratio panel
constexpr double kRatioHeight = 75;
constexpr int kRatioIntervals = 5;
constexpr double kMaxRatioShown = 3.0;
constexpr double kFinePoints = 600;   // target line: points over the grid's span
const char* const kFont = "DejaVu Sans, Arial, Helvetica, sans-serif";
const char* const kSeedColour = "#6b6b6b";
const char* const kHistoryColour = "#1f4e9a";
const char* const kComputedColour = "#c0392b";
const char* const kTargetColour = "#202020";
const char* const kBandColour = "#8fd18f";
const char* const kNyquistColour = "#7a3db8";
const char* const kUncomparedColour = "#e4e4e4";
const char* const kPassColour = "#1a7f37";
const char* const kMarkColour = "#b35900";

double reciprocal(double value) { return 1.0 / value; }

// `values` sampled at start + i dt, reduced to the smallest and largest of
// each pixel column in time order, as pixels.
Points trace_points(const std::vector<double>& values, double start, double dt,
                    const Axis& time_axis, const Axis& value_axis) {
  Points points;
  const auto time_of = [&](std::size_t i) { return start + static_cast<double>(i) * dt; };
  const double columns = std::fabs(time_axis.pixel_high - time_axis.pixel_low);
  if (static_cast<double>(values.size()) <= 2.0 * columns) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      points.emplace_back(time_axis.map(time_of(i)), value_axis.map(values[i]));
    }
    return points;
  }
  std::size_t begin = 0;
  while (begin < values.size()) {
    const double column = std::floor(time_axis.map(time_of(begin)));
    std::size_t end = begin;
    std::size_t lowest = begin;
    std::size_t highest = begin;
    while (end < values.size() && std::floor(time_axis.map(time_of(end))) == column) {
      if (values[end] < values[lowest]) lowest = end;
      if (values[end] > values[highest]) highest = end;
      ++end;
    }
    if (end == begin) ++end;  // a time that maps to no finite column
    const std::size_t earlier = std::min(lowest, highest);
    const std::size_t later = std::max(lowest, highest);
    points.emplace_back(column + 0.5, value_axis.map(values[earlier]));
    if (later != earlier) points.emplace_back(column + 0.5, value_axis.map(values[later]));
    begin = end;
  }
  return points;
}

// One time history to draw in a panel.
struct Trace {
  const char* name;
  const char* unit;
  const std::vector<double>* values;
  groundmotion::Peak peak;
  double start;
  double dt;
  const char* colour;
  std::string id;  // of its polyline, may be empty
};

void draw_trace(Canvas& canvas, const Trace& trace, const Frame& box, const Axis& time_axis,
                int decimals, bool last, const std::string& clip_id) {
  const double largest = std::fabs(trace.peak.value);
  const double extent = largest > 0.0 && std::isfinite(largest) ? largest : 1.0;
  const double step = nice_step(extent);
  const double limit = std::ceil(extent / step) * step;
  const int intervals = static_cast<int>(std::lround(2.0 * limit / step));
  const Axis value_axis{-limit, limit, false, box.bottom, box.top};
  canvas.label(box.left, box.top - 9,
               groundmotion::format("%s (%s): peak %.4g %s at %.*f s", trace.name, trace.unit,
                               trace.peak.value, trace.unit, decimals, trace.peak.time),
               13, "start");
  std::vector<Tick> time_ticks = linear_ticks(time_axis.low, time_axis.high, 10);
  if (!last) {
    for (Tick& tick : time_ticks) tick.labelled = false;
  }
  canvas.grid(box, time_axis, time_ticks, value_axis, linear_ticks(-limit, limit, intervals));
  canvas.line(box.left, value_axis.map(0.0), box.right, value_axis.map(0.0), "#808080", 1);
  canvas.clip(clip_id, box);
  canvas.polyline(trace.id,
                  trace_points(*trace.values, trace.start, trace.dt, time_axis, value_axis),
                  trace.colour, 0.8, " clip-path=\"url(#" + clip_id + ")\"");
  canvas.circle(time_axis.map(trace.peak.time), value_axis.map(trace.peak.value), 4,
                " fill=\"none\" stroke=\"" + std::string(kMarkColour) + "\" stroke-width=\"1.5\"");
  canvas.border(box);
  canvas.axis_titles(box, last ? "time (s)" : "", trace.unit);
}

}  // namespace

Figure histories_figure(const RecordView& view, const groundmotion::Record* seed,
                        const std::string& prefix) {
  assert(view.record != nullptr && view.motion != nullptr && !view.record->acc.empty());
  const groundmotion::Record& record = *view.record;
  const groundmotion::MotionSummary& motion = *view.motion;
  const std::vector<double> velocity = groundmotion::integrate_from_rest(record.acc, record.dt);
  const std::vector<double> displacement = groundmotion::integrate_from_rest(velocity, record.dt);
  std::vector<Trace> traces;
  double start = record.start_time;
  double end = record.end_time();
  if (seed != nullptr) {
    traces.push_back({"seed acceleration", "gal", &seed->acc,
                      groundmotion::find_peak(seed->acc, seed->start_time, seed->dt), seed->start_time,
                      seed->dt, kSeedColour, prefix + "seed-history"});
    start = std::min(start, seed->start_time);
    end = std::max(end, seed->end_time());
  }
  const char* acceleration = seed != nullptr ? "matched acceleration" : "acceleration";
  traces.push_back({acceleration, "gal", &record.acc, motion.acceleration, record.start_time,
                    record.dt, kHistoryColour, prefix + "history"});
  traces.push_back({"velocity", "cm/s", &velocity, motion.velocity, record.start_time, record.dt,
                    kHistoryColour, prefix + "velocity"});
  traces.push_back({"displacement", "cm", &displacement, motion.displacement, record.start_time,
                    record.dt, kHistoryColour, prefix + "displacement"});
  Figure figure;
  figure.width = kWidth;
  figure.height = static_cast<double>(traces.size()) * (kPanelGap + kPanelHeight) + kBottomAxis;
  figure.kind = "histories";
  figure.title = "Time histories (velocity and displacement integrated from rest)";
  Canvas canvas;
  const Axis time_axis{start, end > start ? end : start + 1.0, false, kLeft, kRight};
  const int decimals = groundmotion::time_decimals(record);
  for (std::size_t i = 0; i < traces.size(); ++i) {
    const double top = kPanelGap + static_cast<double>(i) * (kPanelGap + kPanelHeight);
    draw_trace(canvas, traces[i], Frame{kLeft, kRight, top, top + kPanelHeight}, time_axis,
               decimals, i + 1 == traces.size(), prefix + "trace-area-" + std::to_string(i));
  }
  figure.body = std::move(canvas.text);
  return figure;
}

Figure husid_figure(const RecordView& view, const std::string& prefix) {
  assert(view.record != nullptr && view.motion != nullptr && !view.record->acc.empty());
  const groundmotion::Record& record = *view.record;
  const groundmotion::MotionSummary& motion = *view.motion;
  const std::vector<double> arias = groundmotion::arias_history(record.acc, record.dt);
  const double total = arias.empty() ? 0.0 : arias.back();
  std::vector<double> normalised(arias.size(), 0.0);
  if (total > 0.0 && std::isfinite(total)) {
    for (std::size_t i = 0; i < arias.size(); ++i) normalised[i] = arias[i] / total;
  }
  Figure figure;
  figure.width = kWidth;
  figure.height = kPanelGap + kHusidHeight + kBottomAxis;
  figure.kind = "husid";
  figure.title = "Cumulative energy (Husid plot)";
  Canvas canvas;
  const Frame box{kLeft, kRight, kPanelGap, kPanelGap + kHusidHeight};
  const double end = record.end_time() > record.start_time ? record.end_time()
                                                           : record.start_time + 1.0;
  const Axis time_axis{record.start_time, end, false, kLeft, kRight};
  const Axis share_axis{0.0, 1.0, false, box.bottom, box.top};
  const groundmotion::SignificantDuration& d95 = motion.duration;
  const groundmotion::SignificantDuration& d75 = motion.duration_5_75;
  std::string heading = groundmotion::format("normalised Arias intensity (Ia = %.4g cm/s)",
                                        motion.arias_intensity);
  if (d95.defined) {
    heading += groundmotion::format(": D5-95 %.4g s from %.3f s to %.3f s; D5-75 %.4g s to %.3f s",
                               d95.length(), d95.start, d95.end, d75.length(), d75.end);
  } else {
    heading += ": D5-95 and D5-75 undefined (the record is zero throughout)";
  }
  canvas.label(box.left, box.top - 9, heading, 13, "start");
  canvas.grid(box, time_axis, linear_ticks(time_axis.low, time_axis.high, 10), share_axis,
              linear_ticks(0.0, 1.0, 4));
  canvas.clip(prefix + "husid-area", box);
  canvas.polyline(prefix + "husid", trace_points(normalised, record.start_time, record.dt,
                                                 time_axis, share_axis),
                  kHistoryColour, 1.4, " clip-path=\"url(#" + prefix + "husid-area)\"");
  if (d95.defined) {
    const std::pair<double, double> marks[] = {{groundmotion::kDurationStart, d95.start},
                                               {groundmotion::kDurationMiddle, d75.end},
                                               {groundmotion::kDurationEnd, d95.end}};
    for (const auto& [share, time] : marks) {
      const double x = time_axis.map(time);
      const double y = share_axis.map(share);
      canvas.line(box.left, y, x, y, kMarkColour, 1, " stroke-dasharray=\"4,3\"");
      canvas.line(x, y, x, box.bottom, kMarkColour, 1, " stroke-dasharray=\"4,3\"");
      canvas.label(x + 4, y - 4, groundmotion::format("%g %%", 100.0 * share), 11, "start",
                   " fill=\"" + std::string(kMarkColour) + "\"");
    }
  }
  canvas.border(box);
  canvas.axis_titles(box, "time (s)", "Ia / Ia,end");
  figure.body = std::move(canvas.text);
  return figure;
}

namespace {

// The frequency axis of the spectrum and ratio panels: the whole grid.
Axis frequency_axis(const std::vector<groundmotion::SpectrumPoint>& points, const Frame& box) {
  double low = points.front().frequency;
  double high = low;
  for (const groundmotion::SpectrumPoint& point : points) {
    low = std::min(low, point.frequency);
    high = std::max(high, point.frequency);
  }
  return {low, high, true, box.left, box.right};
}

// Grey over the frequencies not compared (outside the range, above the
// Nyquist frequency), the Nyquist frequency dashed when it falls inside.
void mark_compared(Canvas& canvas, const Frame& box, const Axis& axis,
                   const groundmotion::Evaluation& evaluation, const std::string& nyquist_id,
                   bool labelled) {
  const groundmotion::ComparedPoints& compared = evaluation.compared;
  const std::vector<groundmotion::SpectrumPoint>& points = evaluation.points;
  double first = axis.high;
  double last = axis.high;
  if (compared.compared_count() > 0) {
    first = points[compared.in_range_first].frequency;
    last = points[compared.compared_end - 1].frequency;
  }
  if (first > axis.low) canvas.rectangle({box.left, axis.map(first), box.top, box.bottom}, kUncomparedColour);
  if (last < axis.high) canvas.rectangle({axis.map(last), box.right, box.top, box.bottom}, kUncomparedColour);
  const double nyquist = compared.nyquist;
  if (!(nyquist > axis.low && nyquist < axis.high * (1.0 - groundmotion::kLimitMargin))) return;
  const double x = axis.map(nyquist);
  canvas.open_group(" id=\"" + nyquist_id + "\"");
  canvas.line(x, box.top, x, box.bottom, kNyquistColour, 1.2, " stroke-dasharray=\"3,3\"");
  if (labelled) {
    canvas.label(x - 4, box.bottom - 6, groundmotion::format("Nyquist %g Hz", nyquist), 11, "end",
                 " fill=\"" + std::string(kNyquistColour) + "\"");
  }
  canvas.close_group();
}

// The limits on each compared ratio under the chosen sets: us from
// kBandLow to kBandHigh, jp at least kMinRatio; `high` infinite when only
// jp judges.
struct RatioLimits {
  double low = 0.0;
  double high = std::numeric_limits<double>::infinity();
  std::vector<double> levels;  // every limit of every chosen set
};

RatioLimits ratio_limits(const groundmotion::CriteriaOptions& options) {
  RatioLimits limits;
  for (const groundmotion::CriteriaSet set : groundmotion::chosen_sets(options)) {
    if (set == groundmotion::CriteriaSet::us) {
      limits.low = std::max(limits.low, groundmotion::kBandLow);
      limits.high = std::min(limits.high, groundmotion::kBandHigh);
      limits.levels.insert(limits.levels.end(), {groundmotion::kBandLow, groundmotion::kBandHigh});
    } else {
      limits.low = std::max(limits.low, groundmotion::kMinRatio);
      limits.levels.push_back(groundmotion::kMinRatio);
    }
  }
  return limits;
}

bool outside(const RatioLimits& limits, double ratio) {
  return !(ratio >= limits.low && ratio <= limits.high);
}

// The band's bounds as the legend says them, from the constants.
std::string band_words(const RatioLimits& limits) {
  if (std::isinf(limits.high)) return groundmotion::format("at least %.2f x target", limits.low);
  return groundmotion::format("target %+.0f %% to %+.0f %%", 100.0 * (limits.low - 1.0),
                         100.0 * (limits.high - 1.0));
}

// The width of `text` at font size 12, about 7 units a character.
double text_width(const std::string& text) { return 7.0 * static_cast<double>(text.size()); }

void spectrum_heading(Canvas& canvas, const groundmotion::Evaluation& evaluation, double top) {
  const std::string& name = evaluation.options.target.name();
  std::string title = groundmotion::format("Response spectrum, damping %g %%, to ",
                                      100.0 * evaluation.options.damping) + xml_escape(name) + ":";
  for (const groundmotion::Verdict& verdict : evaluation.verdicts) {
    title += groundmotion::format(" <tspan font-weight=\"bold\" fill=\"%s\">%s %s</tspan>",
                             verdict.pass ? kPassColour : kComputedColour,
                             xml_escape(verdict.tag).c_str(), verdict.pass ? "PASS" : "FAIL");
  }
  canvas.label(kLeft, top, title, 13, "start");
  // The legend, each key as wide as its words.
  const double key_y = top + 18;
  double x = kLeft;
  const auto key = [&](const std::string& words) {
    canvas.label(x + 36, key_y + 4, xml_escape(words), 12, "start");
    x += 36 + text_width(words) + 18;
  };
  canvas.line(x, key_y, x + 30, key_y, kComputedColour, 1.8);
  key(groundmotion::format("computed, damping %g %%", 100.0 * evaluation.options.damping));
  canvas.line(x, key_y, x + 30, key_y, kTargetColour, 1.6, " stroke-dasharray=\"7,4\"");
  key("target " + name);
  canvas.rectangle({x, x + 30, key_y - 6, key_y + 6}, kBandColour, " fill-opacity=\"0.45\"");
  key(band_words(ratio_limits(evaluation.options)));
  canvas.rectangle({x, x + 30, key_y - 6, key_y + 6}, kUncomparedColour);
  key("not compared");
}

void draw_spectrum(Canvas& canvas, const groundmotion::Evaluation& evaluation, const Frame& box,
                   const std::string& prefix) {
  const std::vector<groundmotion::SpectrumPoint>& points = evaluation.points;
  const double damping = evaluation.options.damping;
  const RatioLimits limits = ratio_limits(evaluation.options);
  // The band's top where it has none: the top of the axis.
  const double band_top = std::isinf(limits.high) ? 1e300 : limits.high;
  const double shown_top = std::isinf(limits.high) ? 1.0 : limits.high;
  double sa_low = points.front().target * limits.low;
  double sa_high = points.front().target * shown_top;
  for (const groundmotion::SpectrumPoint& point : points) {
    sa_low = std::min(sa_low, limits.low * point.target);
    sa_high = std::max(sa_high, shown_top * point.target);
    if (point.sa > 0.0 && std::isfinite(point.sa)) sa_low = std::min(sa_low, point.sa);
    if (std::isfinite(point.sa)) sa_high = std::max(sa_high, point.sa);
  }
  // Not more than four decades below the top, so that a nearly silent
  // record still leaves the target readable.
  sa_low = std::max(floor_125(sa_low), floor_125(sa_high / 1e4));
  sa_high = ceil_125(sa_high);
  const Axis axis = frequency_axis(points, box);
  const Axis sa_axis{sa_low, sa_high, true, box.bottom, box.top};
  // The target through a fine grid and every corner of its law.
  const groundmotion::Target& target_spectrum = evaluation.options.target;
  std::vector<double> frequencies;
  for (int i = 0; i <= kFinePoints; ++i) {
    frequencies.push_back(axis.low * std::pow(axis.high / axis.low, i / kFinePoints));
  }
  for (const double corner : target_spectrum.corner_periods()) {
    if (corner > 0.0 && 1.0 / corner > axis.low && 1.0 / corner < axis.high) {
      frequencies.push_back(1.0 / corner);
    }
  }
  std::sort(frequencies.begin(), frequencies.end());
  std::vector<std::pair<double, double>> fine;  // frequency, target
  for (const double frequency : frequencies) {
    fine.emplace_back(frequency, target_spectrum.sa(1.0 / frequency, damping));
  }
  Points target_line, band;
  for (const auto& [frequency, target] : fine) {
    target_line.emplace_back(axis.map(frequency), sa_axis.map(target));
    band.emplace_back(axis.map(frequency), sa_axis.map(std::min(band_top * target, sa_high)));
  }
  for (auto point = fine.rbegin(); point != fine.rend(); ++point) {
    band.emplace_back(axis.map(point->first), sa_axis.map(limits.low * point->second));
  }
  Points computed;
  for (const groundmotion::SpectrumPoint& point : points) {
    computed.emplace_back(axis.map(point.frequency), sa_axis.map(std::max(point.sa, sa_low)));
  }
  const std::string clip_id = prefix + "spectrum-area";
  const std::string clipped = " clip-path=\"url(#" + clip_id + ")\"";
  canvas.clip(clip_id, box);
  mark_compared(canvas, box, axis, evaluation, prefix + "nyquist", true);
  // An open band (a lower limit only) lighter, as it fills the panel.
  const char* opacity = std::isinf(limits.high) ? "0.25" : "0.45";
  canvas.polygon(prefix + "band", band, kBandColour,
                 std::string(" fill-opacity=\"") + opacity + "\"" + clipped);
  canvas.grid(box, axis, log_ticks(axis.low, axis.high), sa_axis, log_ticks(sa_low, sa_high));
  canvas.polyline(prefix + "target-sa", target_line, kTargetColour, 1.6,
                  " stroke-dasharray=\"7,4\"" + clipped);
  canvas.polyline(prefix + "computed-sa", computed, kComputedColour, 1.8, clipped);
  canvas.border(box);
  canvas.top_ticks(box, axis, log_ticks(1.0 / axis.high, 1.0 / axis.low), reciprocal);
  canvas.label(box.right, box.top - 24, "period (s)", 12, "end");
  canvas.axis_titles(box, "frequency (Hz)", "Sa (gal)");
}

void draw_ratio(Canvas& canvas, const groundmotion::Evaluation& evaluation, const Frame& box,
                const std::string& prefix) {
  const std::vector<groundmotion::SpectrumPoint>& points = evaluation.points;
  const groundmotion::ComparedPoints& compared = evaluation.compared;
  double largest = 1.5;
  for (std::size_t i = compared.in_range_first; i < compared.compared_end; ++i) {
    if (std::isfinite(points[i].ratio)) {
      largest = std::max(largest, std::min(points[i].ratio, kMaxRatioShown));
    }
  }
  const double step = nice_step(largest / kRatioIntervals);
  const Axis axis = frequency_axis(points, box);
  const Axis ratio_axis{0.0, std::ceil(largest / step) * step, false, box.bottom, box.top};
  const auto y_of = [&](double ratio) {
    return ratio_axis.map(std::min(std::max(ratio, ratio_axis.low), ratio_axis.high));
  };
  canvas.label(box.left, box.top - 10,
               "Ratio Sa / target at the compared points; circles: outside the limits", 13, "start");
  if (evaluation.fit.count > 0) {
    canvas.label(box.right, box.top - 10, groundmotion::format(
        "ratio %.3f to %.3f; mean %.3f over %zu points",
        evaluation.points[evaluation.fit.lowest].ratio,
        evaluation.points[evaluation.fit.highest].ratio, evaluation.fit.mean_ratio,
        evaluation.fit.count), 12, "end");
  }
  mark_compared(canvas, box, axis, evaluation, prefix + "nyquist-ratio", false);
  canvas.grid(box, axis, log_ticks(axis.low, axis.high), ratio_axis,
              linear_ticks(ratio_axis.low, ratio_axis.high, kRatioIntervals));
  const RatioLimits limits = ratio_limits(evaluation.options);
  std::vector<double> levels = limits.levels;
  levels.push_back(1.0);
  std::sort(levels.rbegin(), levels.rend());
  // Labels from the top down, each at least a line below the one above.
  constexpr double kLabelLine = 11;
  double label_y = -1e9;
  for (const double level : levels) {
    const bool target = level == 1.0;
    canvas.line(box.left, y_of(level), box.right, y_of(level), target ? kTargetColour : "#2e8b57",
                target ? 1.4 : 1.2, target ? "" : " stroke-dasharray=\"6,3\"");
    label_y = std::max(y_of(level) + 4, label_y + kLabelLine);
    canvas.label(box.right + 4, label_y, groundmotion::format("%.2f", level), kLabelLine, "start");
  }
  Points line;
  std::string marks;
  for (std::size_t i = compared.in_range_first; i < compared.compared_end; ++i) {
    const double x = axis.map(points[i].frequency);
    line.emplace_back(x, y_of(points[i].ratio));
    if (outside(limits, points[i].ratio)) {
      marks += "<circle cx=\"" + pixel(x) + "\" cy=\"" + pixel(y_of(points[i].ratio)) +
               "\" r=\"2.5\"/>\n";
    }
  }
  canvas.polyline(prefix + "ratio", line, kComputedColour, 1.4);
  canvas.open_group(" id=\"" + prefix + "outside-band\" fill=\"none\" stroke=\"" +
                    kComputedColour + "\" stroke-width=\"1\"");
  canvas.text += marks;
  canvas.close_group();
  canvas.border(box);
  canvas.axis_titles(box, "frequency (Hz)", "Sa / target");
}

}  // namespace

Figure spectrum_figure(const RecordView& view, const std::string& prefix) {
  assert(view.evaluation != nullptr && !view.evaluation->points.empty());
  const groundmotion::Evaluation& evaluation = *view.evaluation;
  Figure figure;
  figure.width = kWidth;
  figure.kind = "spectrum";
  figure.title = "Response spectrum against the target, and their ratio";
  Canvas canvas;
  spectrum_heading(canvas, evaluation, 16);
  draw_spectrum(canvas, evaluation, Frame{kLeft, kRight, kSpectrumTop, kSpectrumTop + kSpectrumHeight},
                prefix);
  const double ratio_top = kSpectrumTop + kSpectrumHeight + kRatioGap;
  draw_ratio(canvas, evaluation, Frame{kLeft, kRight, ratio_top, ratio_top + kRatioHeight}, prefix);
  figure.height = ratio_top + kRatioHeight + kBottomAxis;
  figure.body = std::move(canvas.text);
  return figure;
}

std::string svg_document(const std::string& title, const std::vector<Figure>& figures) {
  constexpr double kHeading = 40;
  double height = kHeading;
  for (const Figure& figure : figures) height += figure.height;
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  text += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + pixel(kWidth) + "\" height=\"" +
          pixel(height) + "\" viewBox=\"0 0 " + pixel(kWidth) + " " + pixel(height) +
          "\" font-family=\"" + kFont + "\">\n";
  text += "<title>" + xml_escape(title) + "</title>\n";
  text += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  Canvas heading;
  heading.label(kWidth / 2.0, 26, xml_escape(title), 15, "middle", " font-weight=\"bold\"");
  text += heading.text;
  double top = kHeading;
  for (const Figure& figure : figures) {
    text += "<g transform=\"translate(0," + pixel(top) + ")\">\n" + figure.body + "</g>\n";
    top += figure.height;
  }
  return text + "</svg>\n";
}

std::string inline_svg(const Figure& figure) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"" + figure.kind + "\" viewBox=\"0 0 " + pixel(figure.width) + " " + pixel(figure.height) +
         "\" role=\"img\" font-family=\"" + kFont + "\"><title>" + xml_escape(figure.title) +
         "</title>\n" + figure.body + "</svg>\n";
}

}  // namespace page

// canvas.h: the small SVG builder behind every drawing of the reports:
// axes that map values onto pixels, their ticks, and the elements drawn.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace page {

// Maps data values onto pixels, linearly or by logarithm. Any finite
// `low` < `high` (and both > 0 when logarithmic) is mapped without
// overflow; a value outside maps outside the pixel span.
struct Axis {
  double low;
  double high;
  bool logarithmic;
  double pixel_low;   // pixel of `low`
  double pixel_high;  // pixel of `high`

  double map(double value) const;
};

struct Tick {
  double value;
  bool labelled;
};

// Ticks at multiples of a 1-2-5 step giving about `count` (>= 1) intervals
// over [low, high], all labelled; at most 4 * count + 2 ticks for any
// finite range, one tick at `low` when the range is empty.
std::vector<Tick> linear_ticks(double low, double high, int count);

// The 1-2-5 step of linear_ticks: 1, 2 or 5 times a power of ten, at
// least `rough` (> 0, finite), finite.
double nice_step(double rough);

// Every m * 10^d in [low, high] (0 < low <= high, finite), those with
// m = 1, 2, 5 labelled; at most 9 ticks a decade over at most 40 decades.
std::vector<Tick> log_ticks(double low, double high);

// The largest 1-2-5 value not above `value` and the smallest not below
// it (`value` > 0, finite).
double floor_125(double value);
double ceil_125(double value);

// `text` made safe as XML character data or attribute value: the five
// special characters as entities; bytes that are not valid UTF-8, and
// control characters other than tab, as '?'.
std::string xml_escape(const std::string& text);

// A pixel box of a plot.
struct Frame {
  double left, right, top, bottom;
};

using Points = std::vector<std::pair<double, double>>;

// SVG elements appended to `text`, coordinates in pixels written with two
// decimals (a value that is not finite is written as 0, so that the
// document stays well-formed whatever it is given). `extra` is appended
// inside an element's tag as it is (attributes).
class Canvas {
 public:
  std::string text;

  void line(double x1, double y1, double x2, double y2, const char* colour, double width,
            const std::string& extra = "");
  // `content` is markup: escape what comes from outside first.
  void label(double x, double y, const std::string& content, int size, const char* anchor,
             const std::string& extra = "");
  void polyline(const std::string& id, const Points& points, const char* colour, double width,
                const std::string& extra = "");
  void polygon(const std::string& id, const Points& points, const char* fill,
               const std::string& extra = "");
  void rectangle(const Frame& box, const char* fill, const std::string& extra = "");
  void circle(double x, double y, double radius, const std::string& extra = "");
  void clip(const std::string& id, const Frame& box);
  // Opens and closes a group; `attributes` as for `extra`.
  void open_group(const std::string& attributes);
  void close_group();

  // Grid lines, ticks and labels below and left of `box`.
  void grid(const Frame& box, const Axis& x_axis, const std::vector<Tick>& x_ticks,
            const Axis& y_axis, const std::vector<Tick>& y_ticks);
  // Ticks labelled with their values along the top edge of `box`, each
  // at the pixel of `x_axis` for to_axis(value) (for example a period's
  // tick on a frequency axis).
  void top_ticks(const Frame& box, const Axis& x_axis, const std::vector<Tick>& ticks,
                 double (*to_axis)(double));
  void border(const Frame& box);
  // Titles below and, turned, left of `box` (empty: none).
  void axis_titles(const Frame& box, const std::string& x_title, const std::string& y_title);
};

// A pixel coordinate as written: two decimals, finite.
std::string pixel(double value);

// A tick label: %g of `value`.
std::string tick_label(double value);

}  // namespace page

// csv.cc: the spectrum table (see csv.h).
#include "csv.h"

#include <cstdio>

#include "text.h"

namespace check {

std::string format_csv(const groundmotion::Evaluation& evaluation) {
  const groundmotion::Target& target = evaluation.options.target;
  std::string text = "# target: " + groundmotion::printable(target.description()) + "; " +
                     target.damping_rule(evaluation.options.damping) +
                     "\nfrequency_hz,period_s,sa_gal,target_sa_gal,ratio\n";
  char line[160];
  for (const groundmotion::SpectrumPoint& point : evaluation.points) {
    std::snprintf(line, sizeof line, "%.7g,%.7g,%.7g,%.7g,%.7g\n",
                  point.frequency, point.period, point.sa, point.target,
                  point.ratio);
    text += line;
  }
  return text;
}

}  // namespace check

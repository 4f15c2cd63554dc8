// html_page.cc: the page of one or several records (see html_page.h).
#include "html_page.h"

#include <cassert>
#include <sstream>

#include "canvas.h"
#include "text.h"

namespace page {
namespace {

// The page's style: the screen, and A4 print with one page per section.
// The print heights of the figures keep a record's section on one page.
const char* const kStyle = R"(
@page { size: A4; margin: 8mm; }
body { font-family: "DejaVu Sans", Arial, Helvetica, sans-serif; font-size: 10pt;
  color: #111; margin: 0 auto; max-width: 1000px; padding: 10px 16px; }
h1 { font-size: 14pt; margin: 0 0 4px; overflow-wrap: anywhere; }
h2 { font-size: 10.5pt; margin: 8px 0 2px; }
table { border-collapse: collapse; width: 100%; }
th, td { text-align: left; vertical-align: top; padding: 1px 6px; border-bottom: 1px solid #ddd;
  overflow-wrap: anywhere; }
thead th { border-bottom: 1px solid #888; white-space: nowrap; }
table.criteria { table-layout: fixed; }
tr.set th { background: #eef1f5; }
table.facts th { font-weight: normal; color: #555; white-space: nowrap; width: 1%; }
td.number { text-align: right; white-space: nowrap; }
.pass { color: #1a7f37; font-weight: bold; }
.fail { color: #c0392b; font-weight: bold; }
p.verdict { display: inline-block; font-family: "DejaVu Sans Mono", monospace; font-weight: bold;
  margin: 4px 2em 0 0; }
svg { display: block; width: 100%; height: auto; }
section { break-after: page; }
section:last-child { break-after: auto; }
@media print {
  body { max-width: none; padding: 0; font-size: 6.5pt; line-height: 1.15; }
  h1 { font-size: 10pt; margin: 0 0 2px; }
  h2 { font-size: 7.5pt; margin: 2px 0 0; }
  th, td { padding: 0 4px; }
  p.verdict { margin: 2px 2em 0 0; }
  svg { width: 90%; margin: 0 auto; }
  tr, svg { break-inside: avoid; }
}
)";

std::string cell(const char* tag, const std::string& text, const std::string& css_class = "") {
  return std::string("<") + tag + (css_class.empty() ? "" : " class=\"" + css_class + "\"") +
         ">" + xml_escape(text) + "</" + tag + ">";
}

std::string pass_cell(bool pass) {
  return pass ? cell("td", "PASS", "pass") : cell("td", "FAIL", "fail");
}

// Facts two to a row, in order; a wide one on a row of its own, so that
// a SHA-256 is never broken.
std::string facts_table(const std::vector<Fact>& facts) {
  std::string html = "<table class=\"facts\">\n";
  bool open = false;
  for (const Fact& fact : facts) {
    if (open && fact.wide) html += "</tr>\n";
    if (!open || fact.wide) html += "<tr>";
    html += cell("th", fact.label) +
            (fact.wide ? "<td colspan=\"3\">" + xml_escape(fact.value) + "</td>"
                       : cell("td", fact.value));
    open = !open && !fact.wide;
    if (!open) html += "</tr>\n";
  }
  if (open) html += "</tr>\n";
  return html + "</table>\n";
}

// Every set's criteria under a row naming the set and its practice, then
// the verdict line of each set.
std::string criteria_table(const std::vector<groundmotion::Verdict>& verdicts) {
  std::string html =
      "<table class=\"criteria\">\n<colgroup><col style=\"width: 13%\"/><col style=\"width: 12%\"/>"
      "<col style=\"width: 38%\"/><col style=\"width: 31%\"/><col style=\"width: 6%\"/></colgroup>\n"
      "<thead><tr><th>criterion</th><th>figure</th>"
      "<th>limit and details</th><th>source</th><th>result</th></tr></thead>\n<tbody>\n";
  for (const groundmotion::Verdict& verdict : verdicts) {
    html += "<tr class=\"set\"><th colspan=\"5\">" +
            xml_escape("criteria (" + verdict.tag + "): " + verdict.source) + "</th></tr>\n";
    // A source that begins with its set's practice shows the rest: the
    // practice heads the set.
    const std::string practice = verdict.source + ": ";
    for (const groundmotion::Criterion& criterion : verdict.criteria) {
      const std::string& source = criterion.source;
      const bool heads = source.compare(0, practice.size(), practice) == 0;
      html += "<tr>" + cell("td", criterion.name) + cell("td", criterion.figure, "number") +
              cell("td", criterion.note) +
              cell("td", heads ? source.substr(practice.size()) : source) +
              pass_cell(criterion.pass) + "</tr>\n";
    }
  }
  html += "</tbody>\n</table>\n";
  for (const groundmotion::Verdict& verdict : verdicts) {
    html += "<p class=\"verdict\">" + xml_escape(verdict_line(verdict)) + "</p>\n";
  }
  return html;
}

std::string section_html(const RecordSection& section) {
  std::string html = "<section id=\"" + xml_escape(section.id) + "\">\n";
  html += cell("h1", section.title) + "\n" + facts_table(section.facts);
  for (const Figure& figure : section.figures) {
    html += cell("h2", figure.title) + "\n" + inline_svg(figure);
  }
  html += "<h2>Criteria</h2>\n" + criteria_table(section.verdicts);
  return html + "</section>\n";
}

std::string summary_html(const std::vector<SummaryLine>& lines) {
  std::string html =
      "<section id=\"summary\">\n<h1>Summary</h1>\n<table class=\"summary\">\n<thead><tr>"
      "<th>record</th><th>target</th><th>peak acc. (gal)</th><th>peak vel. (cm/s)</th><th>peak disp. (cm)</th>"
      "<th>D5-95 (s)</th><th>smallest ratio</th><th>largest ratio</th><th>verdicts</th>"
      "</tr></thead>\n<tbody>\n";
  for (const SummaryLine& line : lines) {
    if (line.view == nullptr) {  // no section to link to
      html += "<tr>" + cell("td", line.name) + "<td colspan=\"8\">" + xml_escape(line.failure) +
              "</td></tr>\n";
      continue;
    }
    html += "<tr><td><a href=\"#" + xml_escape(line.id) + "\">" + xml_escape(line.name) + "</a></td>";
    const groundmotion::MotionSummary& motion = *line.view->motion;
    const groundmotion::Evaluation& evaluation = *line.view->evaluation;
    const auto number = [](const std::string& text) { return cell("td", text, "number"); };
    html += cell("td", evaluation.options.target.name()) +
            number(groundmotion::format("%.4g", motion.acceleration.value)) +
            number(groundmotion::format("%.4g", motion.velocity.value)) +
            number(groundmotion::format("%.4g", motion.displacement.value)) +
            number(motion.duration.defined ? groundmotion::format("%.4g", motion.duration.length())
                                           : "undefined");
    if (evaluation.fit.count > 0) {
      html += number(groundmotion::format("%.3f", evaluation.points[evaluation.fit.lowest].ratio)) +
              number(groundmotion::format("%.3f", evaluation.points[evaluation.fit.highest].ratio));
    } else {
      html += "<td>none compared</td><td></td>";
    }
    std::string verdicts;
    for (const groundmotion::Verdict& verdict : evaluation.verdicts) {
      verdicts += std::string(verdicts.empty() ? "" : " ") + "<span class=\"" +
                  (verdict.pass ? "pass" : "fail") + "\">" + xml_escape(verdict.tag) + " " +
                  (verdict.pass ? "PASS" : "FAIL") + "</span>";
    }
    html += "<td>" + verdicts + "</td></tr>\n";
  }
  return html + "</tbody>\n</table>\n</section>\n";
}

// What the reader says it read, from the lines that open the report:
// "read: ...", "corrected on reading: ..." and "warning: ...".
struct ReadingWords {
  std::string read;
  std::string corrections;  // "; " between them, empty for none
  std::string warnings;
};

ReadingWords reading_words(const groundmotion::Record& record) {
  ReadingWords words;
  std::istringstream lines(groundmotion::describe_reading(record));
  const auto take = [](std::string& into, const std::string& line, const std::string& prefix) {
    if (line.compare(0, prefix.size(), prefix) != 0) return false;
    into += (into.empty() ? "" : "; ") + line.substr(prefix.size());
    return true;
  };
  for (std::string line; std::getline(lines, line);) {
    take(words.read, line, "read: ") || take(words.corrections, line, "corrected on reading: ") ||
        take(words.warnings, line, "warning: ");
  }
  return words;
}

// The chosen sets by name, "jp" or "us and jp".
std::string sets_words(const groundmotion::CriteriaOptions& options) {
  std::string words;
  for (const groundmotion::CriteriaSet set : groundmotion::chosen_sets(options)) {
    words += std::string(words.empty() ? "" : " and ") + groundmotion::set_name(set);
  }
  return words;
}

}  // namespace

std::string file_words(const FileFacts& file) {
  return file.name + groundmotion::format(", %llu bytes", static_cast<unsigned long long>(file.size));
}

std::vector<Figure> record_figures(const RecordView& view, const groundmotion::Record* seed,
                                   const std::string& prefix) {
  return {histories_figure(view, seed, prefix), husid_figure(view, prefix),
          spectrum_figure(view, prefix)};
}

std::vector<Fact> record_facts(const FileFacts& file, const RecordView& view,
                               const std::string& date) {
  assert(view.record != nullptr && view.evaluation != nullptr);
  const groundmotion::Record& record = *view.record;
  const groundmotion::Evaluation& evaluation = *view.evaluation;
  const double damping = evaluation.options.damping;
  const ReadingWords reading = reading_words(record);
  std::vector<Fact> facts = {
      {"file", file_words(file)},
      {"format", reading.read},
      {"SHA-256", file.sha256, true},
      {"samples", groundmotion::format("%zu at dt = %.6g s, %.6g s to %.6g s", record.acc.size(),
                                  record.dt, record.start_time, record.end_time())},
      {"corrections", reading.corrections.empty() ? "none" : reading.corrections},
      {"target", evaluation.options.target.description(), true},
      {"damping", groundmotion::format("h = %g; ", damping) +
                      evaluation.options.target.damping_rule(damping)},
      {"criteria", sets_words(evaluation.options)},
      {"compared", groundmotion::format("%zu points in %g-%g Hz, at most the Nyquist frequency "
                                   "%.6g Hz", evaluation.compared.compared_count(),
                                   evaluation.options.range.low, evaluation.options.range.high,
                                   evaluation.compared.nyquist)},
      {"program", "seedacc, git commit " + program_version()},
      {"run", date},
  };
  if (!reading.warnings.empty()) facts.push_back({"warnings", reading.warnings});
  return facts;
}

std::string verdict_line(const groundmotion::Verdict& verdict) {
  std::ostringstream text;
  groundmotion::write_verdict(text, verdict);
  std::istringstream lines(text.str());
  std::string found;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("verdict", 0) == 0) found = line;
  }
  return found;
}

std::string html_page(const std::string& title, const std::vector<SummaryLine>& summary,
                      const std::vector<RecordSection>& sections) {
  std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n";
  html += "<title>" + xml_escape(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
  if (!summary.empty()) html += summary_html(summary);
  for (const RecordSection& section : sections) html += section_html(section);
  return html + "</body>\n</html>\n";
}

}  // namespace page

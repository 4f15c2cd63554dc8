// html.cc: the HTML page of a run of seedacc-check (see html.h).
#include "html.h"

#include "html_page.h"
#include "svg.h"

namespace check {

std::string format_html(const std::vector<PageRecord>& records, const std::string& date) {
  std::vector<page::RecordView> views;
  views.reserve(records.size());
  std::vector<page::SummaryLine> summary;
  std::vector<page::RecordSection> sections;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const PageRecord& record = records[i];
    const std::string id = "record-" + std::to_string(i + 1);
    if (record.result == nullptr) {
      summary.push_back({id, record.file, nullptr, "not read: " + record.failure});
      continue;
    }
    views.push_back(view_of(*record.result));
    const page::RecordView& view = views.back();
    summary.push_back({id, record.file, &view, ""});
    sections.push_back({id, record.file, page::record_facts(record.facts, view, date),
                        page::record_figures(view, nullptr, id + "-"),
                        record.result->evaluation.verdicts});
  }
  if (records.size() < 2) summary.clear();
  const std::string title = records.size() == 1
                                ? "seedacc-check: " + records.front().file
                                : "seedacc-check: " + std::to_string(records.size()) + " records";
  return page::html_page(title, summary, sections);
}

}  // namespace check

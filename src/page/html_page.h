// html_page.h: the report an engineer hands to a reviewer: one
// self-contained HTML page (inline SVG and CSS, no script, nothing
// fetched) with a section per record, printable on A4 with a page break
// per record.
#pragma once

#include <string>
#include <vector>

#include "criteria.h"
#include "figures.h"
#include "provenance.h"

namespace page {

// One line of provenance: what it is, and its value (plain text). Facts
// stand two to a row; a wide one (a SHA-256) has a row of its own.
struct Fact {
  std::string label;
  std::string value;
  bool wide = false;
};

// One record's section of the page, shown in this order: title, facts,
// figures, the criteria table (each set under its source) and the
// verdict line of each set.
struct RecordSection {
  std::string id;     // the section's anchor, unique in the page
  std::string title;  // plain text
  std::vector<Fact> facts;
  std::vector<Figure> figures;
  std::vector<groundmotion::Verdict> verdicts;
};

// The three drawings of a record, in the page's order: time histories
// (with the seed's acceleration when `seed` is not null), Husid plot,
// spectrum with the ratio. Element ids begin with `prefix`.
std::vector<Figure> record_figures(const RecordView& view, const groundmotion::Record* seed,
                                   const std::string& prefix);

// "rec.csv, 360473 bytes": a file's name and size.
std::string file_words(const FileFacts& file);

// The facts of a record read from `file`: the file by name, size and
// SHA-256; how it was read; the target and damping; the criteria and the
// compared points; the program's version and the date of the run.
std::vector<Fact> record_facts(const FileFacts& file, const RecordView& view,
                               const std::string& date);

// One line of the summary table of several records: the record's section
// and what it shows, or, when `view` is null, the reason it has none (the
// line then links to nothing).
struct SummaryLine {
  std::string id;    // the section linked to
  std::string name;  // plain text
  const RecordView* view = nullptr;
  std::string failure;
};

// The whole page: `title` (plain text) as its title; when `summary` is
// not empty, a first page with the summary table (record, target, peaks, D5-95,
// smallest and largest ratio, verdict of each set), each row linked to its
// section;
// then every section on a page of its own.
std::string html_page(const std::string& title, const std::vector<SummaryLine>& summary,
                      const std::vector<RecordSection>& sections);

// The verdict line of `verdict`, as the text report prints it.
std::string verdict_line(const groundmotion::Verdict& verdict);

}  // namespace page

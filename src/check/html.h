// html.h: the HTML page of a run of seedacc-check (--html).
#pragma once

#include <string>
#include <vector>

#include "provenance.h"
#include "report.h"

namespace check {

// One record of the run as the page shows it: the file as given and, when
// it was read, its facts and result; otherwise why it was not.
struct PageRecord {
  std::string file;
  const CheckResult* result = nullptr;
  page::FileFacts facts;  // meaningful with `result`
  std::string failure;    // without `result`
};

// The page of the run (page::html_page): a section per record that was
// read, with its provenance (the run dated `date`), its drawings and its
// criteria; for several records, the summary first.
std::string format_html(const std::vector<PageRecord>& records, const std::string& date);

}  // namespace check

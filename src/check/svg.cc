// svg.cc: the picture of a checked record (see svg.h).
#include "svg.h"

#include "html_page.h"

namespace check {

page::RecordView view_of(const CheckResult& result) {
  return {&result.record, &result.motion, &result.evaluation};
}

std::string format_svg(const CheckResult& result) {
  return page::svg_document(result.record.source,
                            page::record_figures(view_of(result), nullptr, ""));
}

}  // namespace check

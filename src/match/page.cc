// page.cc: the HTML page of a run of seedacc-match (see page.h).
#include "page.h"

#include "html_page.h"
#include "text.h"

namespace match {

std::string iterations_words(const MatchResult& result) {
  const std::size_t total = result.iterations.size();
  if (result.second_pass == 0) {
    return groundmotion::format("%zu correction steps after the seed; step %zu kept", total - 1,
                           result.best);
  }
  const bool kept_second = result.best >= result.second_pass;
  return groundmotion::format(
      "first pass %zu steps, second pass %zu steps (from the seed again); step %zu of the %s "
      "pass kept",
      result.second_pass - 1, total - result.second_pass - 1,
      kept_second ? result.best - result.second_pass : result.best,
      kept_second ? "second" : "first");
}

std::string format_html(const MatchPage& match, const std::string& date) {
  const page::RecordView view{match.matched, match.motion, match.evaluation};
  std::vector<page::Fact> facts = page::record_facts(match.matched_file, view, date);
  const std::vector<page::Fact> seed_facts = {
      {"seed file", page::file_words(match.seed_file)},
      {"iterations", iterations_words(*match.result)},
      {"seed SHA-256", match.seed_file.sha256, true},
  };
  facts.insert(facts.begin() + 3, seed_facts.begin(), seed_facts.end());
  const std::string title =
      "seedacc-match: " + match.seed_file.name + " -> " + match.matched_file.name;
  page::RecordSection section{"record-1", title, facts,
                              page::record_figures(view, match.seed, "record-1-"),
                              match.evaluation->verdicts};
  return page::html_page(title, {}, {section});
}

}  // namespace match

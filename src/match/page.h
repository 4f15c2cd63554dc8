// page.h: the HTML page of a run of seedacc-match (--html).
#pragma once

#include <string>

#include "criteria.h"
#include "match.h"
#include "motion.h"
#include "provenance.h"
#include "record.h"

namespace match {

// What the page of one match shows: the seed as read and its file, the
// matched record as written and its file, the matching's iterations, and
// the figures and verdict of the matched record.
struct MatchPage {
  const groundmotion::Record* seed;
  page::FileFacts seed_file;
  const groundmotion::Record* matched;
  page::FileFacts matched_file;
  const MatchResult* result;
  const groundmotion::MotionSummary* motion;
  const groundmotion::Evaluation* evaluation;  // its verdict is the full verdict
};

// The iterations in words: how many in each pass and which was kept.
std::string iterations_words(const MatchResult& result);

// The page (page::html_page): one section with the provenance of the
// matched record and of its seed (the run dated `date`), the drawings with
// the seed's acceleration beside the matched one, and the criteria.
std::string format_html(const MatchPage& match, const std::string& date);

}  // namespace match

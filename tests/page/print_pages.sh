#!/bin/sh
# The pages in a real browser: a suite of three records (and a file that
# cannot be read) through seedacc-check --html and one match through
# seedacc-match --html, printed to PDF by headless Chromium. Checks the
# page count (a page a record, and the summary first for the suite), that
# the printed text holds what the text reports say (the verdict lines, the
# peaks, D5-95, each criterion's figure), the target's name, the SHA-256
# of every input (sha256sum), the commit of the build and the date of the
# run; that xmllint finds the page well-formed and its HTML parser no
# error; that every link leads to a section; and that the page fetches
# nothing.
#
#   sh print_pages.sh SEEDACC SEEDACC_CHECK SEEDACC_MATCH CHROMIUM PDFTOTEXT PDFINFO
set -u

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

[ $# -eq 6 ] || fail "usage: sh print_pages.sh SEEDACC SEEDACC_CHECK SEEDACC_MATCH CHROMIUM PDFTOTEXT PDFINFO"
seedacc=$1 checker=$2 matcher=$3 chromium=$4 pdftotext=$5 pdfinfo=$6
[ -n "$chromium" ] || fail "chromium not found (Debian package chromium: tools/install-deps.sh test)"
[ -n "$pdftotext" ] && [ -n "$pdfinfo" ] || fail "pdftotext and pdfinfo not found (Debian package poppler-utils)"
command -v xmllint >/dev/null 2>&1 || fail "xmllint not found (Debian package libxml2-utils)"

# The commit the programs were built from, as git says it of this source.
version=$(git -C "$(dirname "$0")" rev-parse --short=12 HEAD 2>/dev/null) || version=unknown
scratch=$(mktemp -d) || fail "no temporary folder"
[ -n "${KEEP_SCRATCH:-}" ] || trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || fail "cannot enter $scratch"

# A fixed date, so that the page says it.
SOURCE_DATE_EPOCH=1700000000
export SOURCE_DATE_EPOCH
run_date="2023-11-14 22:13:20 UTC"

printf '7\n0\nrec.csv\n' | "$seedacc" >/dev/null || fail "seedacc 7"
printf '11\n0\ntwo.csv\n' | "$seedacc" >/dev/null || fail "seedacc 11"
"$matcher" rec.csv matched.csv --html match.html >match.txt 2>&1 || fail "seedacc-match: $(cat match.txt)"
# The suite against another target, judged by both sets: the most lines;
# a file that cannot be read has its row in the summary and no section.
"$checker" rec.csv missing.csv two.csv matched.csv --target ec8:type=1,ground=C,ag=0.3 \
  --criteria both --html suite.html >suite.txt 2>&1
[ $? -eq 1 ] || fail "seedacc-check with a missing file: $(cat suite.txt)"

# Both pages at once, each browser with a profile of its own.
print_pdf() {
  timeout 120 "$chromium" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$scratch/profile-$1" --no-pdf-header-footer --print-to-pdf="$scratch/$1.pdf" \
    "file://$scratch/$1.html" >"$1.browser.log" 2>&1
}
print_pdf suite & suite_job=$!
print_pdf match & match_job=$!
wait $suite_job || fail "chromium could not print suite.html: $(tail -5 suite.browser.log)"
wait $match_job || fail "chromium could not print match.html: $(tail -5 match.browser.log)"

pages() { "$pdfinfo" "$1" | sed -n 's/^Pages: *//p'; }
[ "$(pages suite.pdf)" = 4 ] || fail "suite.pdf has $(pages suite.pdf) pages, not the summary and 3 records"
[ "$(pages match.pdf)" = 1 ] || fail "match.pdf has $(pages match.pdf) pages, not 1"
"$pdftotext" suite.pdf suite.pdf.txt && "$pdftotext" match.pdf match.pdf.txt || fail "pdftotext"

# `text` must appear in the printed page `pdf`.
holds() {
  grep -qF -- "$2" "$1.pdf.txt" || fail "$1.pdf does not show '$2'"
}
for page in suite match; do
  # The target's name, as the report's line gives it before its words.
  target=$(sed -n 's/^target: \([^,]*\),.*/\1/p' $page.txt | head -1)
  [ -n "$target" ] || fail "$page.txt names no target"
  holds $page "$target"
  holds $page "$run_date"
  holds $page "git commit $version"
  grep '^verdict' $page.txt >verdicts.txt
  [ -s verdicts.txt ] || fail "$page.txt has no verdict line"
  while IFS= read -r line; do holds $page "$line"; done <verdicts.txt
  # Each criterion's figure: the second column of its line in the text report.
  grep -E '^(us|jp|match) ' $page.txt |
    sed -nE 's/^(us|jp|match) +//; s/^.{15}(.*[^ ]) +(PASS|FAIL)  .*/\1/p' >figures.txt
  [ -s figures.txt ] || fail "$page.txt has no criterion line"
  while IFS= read -r figure; do holds $page "$figure"; done <figures.txt
  if ! xmllint --noout $page.html; then fail "$page.html is not well-formed"; fi
  # libxml2's HTML parser knows HTML 4 only: it names every HTML5 and SVG
  # element as an invalid tag. Any other error fails.
  xmllint --html --noout $page.html 2>&1 | grep 'parser error' |
    grep -vE 'Tag (section|svg|g|line|polyline|polygon|rect|circle|text|tspan|title|clippath) invalid' \
      >errors.txt
  [ -s errors.txt ] && fail "xmllint --html: $(head -5 errors.txt)"
  grep -nE '<script|<link|<img|<iframe|<object| src=|@import|url\(["'"'"']?[a-z]+:' $page.html &&
    fail "$page.html fetches something"
  # Every link leads to a section of the page.
  for target in $(grep -o 'href="#[^"]*"' $page.html | sed 's/href="#//; s/"$//'); do
    grep -q "id=\"$target\"" $page.html || fail "$page.html links to #$target, which it does not hold"
  done
done
for input in rec.csv two.csv matched.csv; do holds suite "$(sha256sum "$input" | cut -c1-64)"; done
for input in rec.csv matched.csv; do holds match "$(sha256sum "$input" | cut -c1-64)"; done

# The peaks and D5-95 of the check's report, as its drawings write them.
sed -n '/^seedacc-check: rec.csv$/,/^$/p;/^ground motion/,/^after/p' suite.txt |
  awk '/^  peak (acceleration|velocity|displacement) / && !seen[$2]++ {
         printf "%s: peak %s %s at %s s\n", $2, $3, $4, $6 }
       /^  D5-95 duration/ && !d++ { printf "D5-95 %s s from %s s to %s s\n", $3, $6, $9 }' >motion.txt
[ "$(wc -l <motion.txt)" -ge 4 ] || fail "motion figures not found in the report: $(cat motion.txt)"
while IFS= read -r figure; do
  case $figure in
    acceleration:*) holds suite "acceleration (gal): ${figure#acceleration: }" ;;
    velocity:*) holds suite "velocity (cm/s): ${figure#velocity: }" ;;
    displacement:*) holds suite "displacement (cm): ${figure#displacement: }" ;;
    *) holds suite "$figure" ;;
  esac
done <motion.txt
echo "pages printed and checked: suite.pdf 4 pages, match.pdf 1 page"

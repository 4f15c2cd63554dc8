#!/bin/sh
# The worked-example record: seedacc run with the answers 7, 0 and rec.csv
# (default corner times), then seedacc-check on its file, twice in fresh
# folders. Checks the report's structure, that both runs agree byte for
# byte, and, when the golden report exists, that the report equals it.
#
#   sh worked_example.sh SEEDACC SEEDACC_CHECK GOLDEN_REPORT [--regenerate]
#
# --regenerate writes the report of this run to GOLDEN_REPORT, below three
# comment lines starting with '#', instead of comparing (build target
# check-regenerate-golden); review it before keeping it. Needs xmllint
# (Debian package libxml2-utils).
set -u
mode=${4:-compare}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Absolute paths, as each run works in its own folder.
absolute() {
  case $1 in
    /*) printf '%s\n' "$1" ;;
    *) printf '%s/%s\n' "$(pwd)" "$1" ;;
  esac
}
[ $# -ge 3 ] || fail "usage: sh worked_example.sh SEEDACC SEEDACC_CHECK GOLDEN_REPORT [--regenerate]"
seedacc=$(absolute "$1")
checker=$(absolute "$2")
golden=$(absolute "$3")

command -v xmllint >/dev/null 2>&1 || fail "xmllint not found (Debian package libxml2-utils)"
scratch=$(mktemp -d) || fail "no temporary folder"
trap 'rm -rf "$scratch"' EXIT

for run in 1 2; do
  dir=$scratch/run$run
  mkdir "$dir" && cd "$dir" || fail "cannot enter $dir"
  printf '7\n0\nrec.csv\n' | "$seedacc" >console.txt 2>stderr.txt
  status=$?
  [ -s rec.csv ] || fail "seedacc wrote no file rec.csv (exit status $status; stderr: $(head -c 300 stderr.txt))"
  [ "$status" -eq 0 ] || fail "seedacc exited with status $status"
  lines=$(wc -l <rec.csv)
  [ "$lines" -eq 16385 ] || fail "rec.csv has $lines lines, not 16385"
  "$checker" rec.csv --csv spectrum.csv --svg picture.svg >report.txt 2>check-stderr.txt
  status=$?
  [ "$status" -eq 0 ] || fail "seedacc-check exited with status $status: $(cat check-stderr.txt)"
  [ -s check-stderr.txt ] && fail "seedacc-check wrote to standard error: $(cat check-stderr.txt)"
  for pattern in \
    '^seedacc-check: rec\.csv$' '^target: jp-l2, the Japanese level-2 spectrum' \
    '^record: 16384 samples, dt = 0\.01 s, 0 s to 163\.83 s, header line present$' \
    '^  peak acceleration  *-*[0-9.e+-]* gal   at  *[0-9]*\.[0-9][0-9] s$' \
    '^  peak velocity ' '^  peak displacement ' '^  Arias intensity ' \
    '^  D5-95 duration  *[0-9.]* s     from ' \
    '^pseudo-acceleration response spectrum, damping ratio 0\.05$' \
    '^  271 frequencies: 100 per decade from 0\.1 Hz' \
    '^  smallest ratio ' '^  largest ratio ' '^  mean ratio .* over the 271 compared points$' \
    '^  residual velocity ' '^  residual displacement ' '^  D5-75 duration ' \
    '^after the quadratic velocity baseline correction ' \
    '^criteria (jp): Japanese practice ' '^jp  time step  ' '^jp  duration  ' \
    '^jp  minimum ratio  ' '^jp  CoV  ' '^jp  mean error  ' \
    '^jp  SI ratio  *[0-9][0-9]*\.[0-9][0-9][0-9]  *[PF]A[SI][SL]  '; do
    grep -q "$pattern" report.txt || fail "report lacks a line matching '$pattern'"
  done
  tail -n 1 report.txt | grep -Eq '^verdict \(jp\): (PASS|FAIL \()' || fail "the last line states no verdict"
  rows=$(wc -l <spectrum.csv)
  [ "$rows" -eq 273 ] || fail "spectrum.csv has $rows lines, not 273 (the target, the header, 271 points)"
  xmllint --noout picture.svg || fail "picture.svg is not well-formed XML"
  # The SI ratio once more, by awk from the table: the trapezoidal integral
  # of Sa T / (2 pi) over the periods 0.1 s to 2.5 s, record over target.
  printed=$(awk '$2 == "SI" && $3 == "ratio" { print $4 }' report.txt)
  again=$(awk -F, 'NR > 2 && $2 >= 0.1 * (1 - 1e-9) && $2 <= 2.5 {
      if (n++) { sa += ($2 - t) * ($3 * $2 + s) / 2; ta += ($2 - t) * ($4 * $2 + g) / 2 }
      t = $2; s = $3 * $2; g = $4 * $2 }
    END { printf "%.3f", sa / ta }' spectrum.csv)
  [ "$printed" = "$again" ] || fail "SI ratio $printed in the report, $again from the table"
done

for file in rec.csv report.txt spectrum.csv picture.svg; do
  cmp -s "$scratch/run1/$file" "$scratch/run2/$file" || fail "$file differs between two runs"
done

if [ "$mode" = "--regenerate" ]; then
  {
    echo "# GENERATED golden report of seedacc-check for seedacc answered 7, 0, rec.csv."
    echo "# Do not edit: regenerate with the build target check-regenerate-golden"
    echo "# (tests/check/worked_example.sh --regenerate) and review the difference."
    cat "$scratch/run1/report.txt"
  } >"$golden" || fail "cannot write $golden"
  echo "wrote $golden"
elif [ -f "$golden" ]; then
  grep -v '^#' "$golden" | diff -u - "$scratch/run1/report.txt" ||
    fail "report differs from $golden (lines starting with # are comments)"
else
  echo "note: no golden report at $golden yet; structure and repeatability checked"
fi
grep '^verdict (' "$scratch/run1/report.txt"

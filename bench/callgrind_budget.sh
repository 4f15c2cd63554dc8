#!/bin/sh
# The instruction budget of a whole default run.
#
#   bench/callgrind_budget.sh PATH/TO/seedacc [--annotate]
#
# Runs the given seedacc (it builds nothing) under callgrind in a fresh
# temporary folder, with the answers 7, 0 and out.csv piped in, prints the
# total instruction count (Ir) and exits with 1 when it is above the budget
# of 40,000,000, or when the run did not finish normally (a run that ends
# early would otherwise pass on a small count). With --annotate it prints
# the top entries of callgrind_annotate as well. Build seedacc in Release
# first, for example:
#   cmake -S . -B build-perf -DCMAKE_BUILD_TYPE=Release -DSEEDACC_TESTS=OFF
#   cmake --build build-perf -j2 --target seedacc
set -u

budget=40000000

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 PATH/TO/seedacc [--annotate]" >&2
  exit 2
fi
case $1 in
  /*) program=$1 ;;
  *) program=$(pwd)/$1 ;;
esac
annotate=no
if [ $# -eq 2 ]; then
  if [ "$2" = --annotate ]; then annotate=yes; else echo "unknown option: $2" >&2; exit 2; fi
fi
if [ ! -x "$program" ]; then
  echo "not an executable: $program" >&2
  exit 2
fi
if ! command -v valgrind >/dev/null 2>&1; then
  echo "valgrind is not installed" >&2
  exit 2
fi

folder=$(mktemp -d "${TMPDIR:-/tmp}/seedacc_callgrind.XXXXXX") || exit 2
trap 'rm -rf "$folder"' EXIT

cd "$folder" || exit 2
printf '7\n0\nout.csv\n' |
  valgrind --tool=callgrind --callgrind-out-file="$folder/callgrind.out" \
    --log-file="$folder/valgrind.log" "$program" >"$folder/console.txt"
status=$?
if [ "$status" -ne 0 ]; then
  echo "seedacc did not finish normally (exit status $status)" >&2
  cat "$folder/valgrind.log" >&2
  exit 1
fi
# The default run writes 16385 lines: the header and 16384 records.
if [ ! -f out.csv ]; then
  echo "seedacc wrote no out.csv" >&2
  exit 1
fi
lines=$(wc -l <out.csv)
if [ "$lines" -ne 16385 ]; then
  echo "out.csv has $lines lines, not 16385" >&2
  exit 1
fi

total=$(sed -n 's/^summary: *\([0-9][0-9]*\).*/\1/p' "$folder/callgrind.out")
if [ -z "$total" ]; then
  echo "no total in the callgrind output" >&2
  exit 1
fi

if [ "$annotate" = yes ] && command -v callgrind_annotate >/dev/null 2>&1; then
  callgrind_annotate "$folder/callgrind.out" 2>/dev/null |
    sed -n '/file:function/,$p' | sed -n '1,32p'
  echo
fi

echo "instructions (Ir): $total, budget $budget"
if [ "$total" -gt "$budget" ]; then
  echo "over the budget" >&2
  exit 1
fi
exit 0

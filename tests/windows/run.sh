#!/bin/sh
# End-to-end tests of the Windows programs under wine. The reference is the
# Linux build of the same sources, run on the same answers in a folder of
# its own: every Windows output must equal the Linux one with each LF
# replaced by CR LF (the console text, the record file, the report), the
# exit status must be the same (an abort is status 3 on Windows, the signal
# SIGABRT on Linux), and the same files must be left behind. The Linux
# build's record files are themselves held to golden checksums by make test.
#
#   sh tests/windows/run.sh WINDOWS_BUILD LINUX_BUILD
#
# Needs wine (Debian package wine64) and script (util-linux).
set -u

fail_count=0
fail() {
  echo "FAIL: $*" >&2
  fail_count=$((fail_count + 1))
}
die() {
  echo "FAIL: $*" >&2
  exit 1
}

absolute() {
  case $1 in
    /*) printf '%s\n' "$1" ;;
    *) printf '%s/%s\n' "$(pwd)" "$1" ;;
  esac
}
[ $# -eq 2 ] || die "usage: sh tests/windows/run.sh WINDOWS_BUILD LINUX_BUILD"
win=$(absolute "$1")
linux=$(absolute "$2")
here=$(cd "$(dirname "$0")" && pwd)
golden_report=$here/../check/golden/seed7-report.txt
WINE=${WINE:-/usr/lib/wine/wine64}
[ -x "$WINE" ] || die "$WINE not found (Debian package wine64)"
for program in seedacc seedacc-check; do
  [ -x "$linux/$program" ] || die "$linux/$program not built"
  [ -f "$win/$program.exe" ] || die "$win/$program.exe not built"
done
export WINEDEBUG=-all WINEPREFIX="$win/wineprefix"

scratch=$(mktemp -d) || die "no temporary folder"
trap 'rm -rf "$scratch"' EXIT
# The first run creates the wine prefix and says so on standard error.
"$WINE" "$win/seedacc-check.exe" --help >/dev/null 2>&1 </dev/null

# LF to CR LF, a last line without LF left as it is.
crlf() { perl -pe 's/\n/\r\n/' "$@"; }

# Status as a word: the two programs end the same way when the words agree.
ending() {
  case $1 in
    0) echo normal ;;
    1) echo status-1 ;;
    3 | 134) echo abort ;;  # Windows abort, Linux SIGABRT (128 + 6)
    *) echo "status-$1" ;;
  esac
}

# prepare KIND FOLDER: what the folder holds before the run.
prepare() {
  mkdir -p "$2"
  case $1 in
    -) ;;
    long) perl -e 'print "an older and longer file\n" x 20000' >"$2/out.csv" ;;
    folder) mkdir "$2/out.csv" ;;
    *) die "unknown preparation $1" ;;
  esac
}

# Compares the Windows folder $1 with the Linux folder $2 after a run: the
# same file names, each Windows file the Linux one in CR LF.
same_folders() {
  (cd "$2" && ls -A) >"$scratch/names.linux"
  (cd "$1" && ls -A) >"$scratch/names.windows"
  cmp -s "$scratch/names.linux" "$scratch/names.windows" ||
    { fail "$3: files differ: $(tr '\n' ' ' <"$scratch/names.windows") vs $(tr '\n' ' ' <"$scratch/names.linux")"; return; }
  for name in $(cat "$scratch/names.linux"); do
    [ -f "$2/$name" ] || continue
    crlf "$2/$name" | cmp -s - "$1/$name" || fail "$3: $name is not the Linux file in CR LF"
  done
}

# seedacc ANSWERS PREPARE REASON: one dialogue on both platforms; the
# Windows answers end their lines in CR LF.
row_seedacc() {
  case=$((case + 1))
  lin=$scratch/$case/linux win_dir=$scratch/$case/windows
  prepare "$2" "$lin/run"
  prepare "$2" "$win_dir/run"
  # The subshell's own notice of an abort is not part of the run.
  (cd "$lin/run" && printf '%b' "$1" | "$linux/seedacc" >../out 2>../err) 2>/dev/null
  linux_status=$?
  (cd "$win_dir/run" && printf '%b' "$1" | crlf | "$WINE" "$win/seedacc.exe" >../out 2>../err)
  windows_status=$?
  [ "$(ending $windows_status)" = "$(ending $linux_status)" ] ||
    fail "$3: ended $(ending $windows_status), on Linux $(ending $linux_status)"
  crlf "$lin/out" | cmp -s - "$win_dir/out" || fail "$3: console text is not the Linux text in CR LF"
  crlf "$lin/err" | cmp -s - "$win_dir/err" ||
    fail "$3: standard error is not the Linux text in CR LF: $(head -c 200 "$win_dir/err")"
  same_folders "$win_dir/run" "$lin/run" "$3"
}

# interrupt REASON: CTRL+C typed at the console while the seed is awaited.
# The console is a pseudo-terminal run by script; the tests stop waiting for
# the prompt after 30 s.
row_interrupt() {
  case=$((case + 1))
  dir=$scratch/$case
  mkdir -p "$dir/run" && mkfifo "$dir/keys"
  (cd "$dir/run" && script -qec "$WINE '$win/seedacc.exe'; echo status=\$?" /dev/null \
    <"$dir/keys" >"$dir/console" 2>&1) &
  exec 9>"$dir/keys"
  tries=0
  until grep -q 'Random Number' "$dir/console" || [ $tries -ge 300 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  printf '\003' >&9
  exec 9>&-
  wait
  # The console's own cursor controls and line ends are taken out.
  perl -pe 's/\e\[[0-9;?]*[A-Za-z]//g; s/\r//g' "$dir/console" >"$dir/text"
  grep -q '^Interrupt$' "$dir/text" || fail "$1: no \"Interrupt\": $(cat -v "$dir/console")"
  grep -q '^status=1$' "$dir/text" || fail "$1: status is not 1: $(cat -v "$dir/console")"
  [ -z "$(ls -A "$dir/run")" ] || fail "$1: a file was left"
}

# check REASON: the check's worked example on the Windows record.
row_check() {
  case=$((case + 1))
  dir=$scratch/$case
  mkdir -p "$dir/linux" "$dir/windows"
  (cd "$dir/linux" && printf '7\n0\nrec.csv\n' | "$linux/seedacc" >/dev/null &&
    "$linux/seedacc-check" rec.csv --csv spectrum.csv --svg picture.svg >report.txt)
  (cd "$dir/windows" && printf '7\r\n0\r\nrec.csv\r\n' | "$WINE" "$win/seedacc.exe" >/dev/null &&
    for run in 1 2; do
      "$WINE" "$win/seedacc-check.exe" rec.csv --csv spectrum.csv --svg picture.svg >report.txt ||
        exit 1
    done) || fail "$1: seedacc-check.exe failed"
  same_folders "$dir/windows" "$dir/linux" "$1"
  grep -v '^#' "$golden_report" | crlf | cmp -s - "$dir/windows/report.txt" ||
    fail "$1: the report is not the golden report in CR LF"
}

# match REASON: the seed of the worked example matched on both platforms.
row_match() {
  [ -x "$linux/seedacc-match" ] && [ -f "$win/seedacc-match.exe" ] ||
    { echo "note: seedacc-match not built, $1 skipped"; return; }
  case=$((case + 1))
  dir=$scratch/$case
  mkdir -p "$dir/linux" "$dir/windows"
  (cd "$dir/linux" && printf '7\n0\nseed.csv\n' | "$linux/seedacc" >/dev/null &&
    "$linux/seedacc-match" seed.csv matched.csv >report.txt)
  linux_status=$?
  (cd "$dir/windows" && printf '7\r\n0\r\nseed.csv\r\n' | "$WINE" "$win/seedacc.exe" >/dev/null &&
    "$WINE" "$win/seedacc-match.exe" seed.csv matched.csv >report.txt)
  windows_status=$?
  [ $windows_status -eq $linux_status ] || fail "$1: status $windows_status, on Linux $linux_status"
  same_folders "$dir/windows" "$dir/linux" "$1"
}

case=0
# kind       answers / preparation                   reason
while IFS='|' read -r kind answers preparation reason; do
  kind=$(echo $kind) answers=$(echo $answers) preparation=$(echo $preparation) reason=${reason# }
  [ "$answers" = "-" ] && answers=
  case $kind in
    seedacc) row_seedacc "$answers" "$preparation" "$reason" ;;
    interrupt) row_interrupt "$reason" ;;
    check) row_check "$reason" ;;
    match) row_match "$reason" ;;
  esac
done <<'EOF'
seedacc   | 7\n0\nout.csv\n               | -      | the worked example: dialogue and record
seedacc   | 1\n0\nout.csv\n               | -      | golden seed 1
seedacc   | 999\n0\nout.csv\n             | -      | golden seed 999
seedacc   | 0\n0\nout.csv\n               | -      | golden seed 0, which the generator replaces
seedacc   | 500\n0\nout.csv\n             | -      | golden seed 500
seedacc   | 7\n1\n4 35 80 100\nout.csv\n  | -      | golden corner times, te below the last sample
seedacc   | 42\n1\n10,,,90\nout.csv\n     | -      | golden null values keep tc and td
seedacc   | 123\n1\n0 0 0 163.84\nout.csv\n | -    | golden tb <= 0
seedacc   | 7\n0\nout.csv\n               | long   | a longer file is cut after the last record, counted in CR LF bytes
seedacc   | abc\n                         | -      | an answer that is no number: the four-line report and an abort
seedacc   | 1.0\n                         | -      | a real number for the seed
seedacc   | -                             | -      | end of input at the first prompt
seedacc   | 7                             | -      | end of input right after the seed
seedacc   | 7\n0\n''\n                    | -      | a blank file name: the report, no file
seedacc   | 7\n0\n'nowhere/out.csv'\n     | -      | a file in a missing folder
seedacc   | 7\n0\nout.csv\n               | folder | a folder's name is refused as on Linux
interrupt | -                             | -      | CTRL+C at the console ends the run with Interrupt and status 1
check     | -                             | -      | the check's worked example, run twice over its own files
match     | -                             | -      | one match of the worked example's seed
EOF

if [ $fail_count -gt 0 ]; then
  echo "$fail_count failure(s)" >&2
  exit 1
fi
echo "windows: all $case cases passed"

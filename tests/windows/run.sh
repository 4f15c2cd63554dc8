#!/bin/sh
# End-to-end tests of the Windows programs under wine. The reference is the
# Linux build of the same sources, run on the same input in a folder of its
# own: every Windows output must equal the Linux one with each LF replaced
# by CR LF (console text, standard error, every file left behind), and the
# run must end the same way (an abort is status 3 on Windows, SIGABRT on
# Linux). The Linux build's own outputs are held to golden checksums and
# reports by make test.
#
#   sh tests/windows/run.sh WINDOWS_BUILD LINUX_BUILD
#
# Needs wine (Debian package wine64), perl and script (both always there).
set -u
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
die() { echo "FAIL: $*" >&2; exit 1; }
[ $# -eq 2 ] || die "usage: sh tests/windows/run.sh WINDOWS_BUILD LINUX_BUILD"
win=$(cd "$1" && pwd) && linux=$(cd "$2" && pwd) || die "no build folder"
WINE=${WINE:-/usr/lib/wine/wine64}
[ -x "$WINE" ] || die "$WINE not found (Debian package wine64)"
export WINEDEBUG=-all WINEPREFIX="$win/wineprefix"
scratch=$(mktemp -d) || die "no temporary folder"
trap 'for disk in $(cat "$scratch/disks" 2>/dev/null); do umount "$disk"; done; rm -rf "$scratch"' EXIT
# The first run creates the wine prefix and says so on standard error.
"$WINE" "$win/seedacc-check.exe" --help >/dev/null 2>&1 </dev/null

crlf() { perl -pe 's/\n/\r\n/' "$@"; }  # a last line without LF stays so
ending() {
  case $1 in 0) echo normal ;; 3 | 134) echo abort ;; *) echo "status $1" ;; esac
}

# prepare KIND FOLDER CONVERT: what the folder holds before the run; record
# files as the Linux program writes them, through CONVERT.
prepare() {
  mkdir -p "$2"
  case $1 in
    -) ;;
    long) perl -e 'print "an older and longer file\n" x 20000' >"$2/out.csv" ;;
    folder) mkdir "$2/out.csv" ;;
    disk) mkdir "$2/disk" && mount -t tmpfs -o size=102400 tmpfs "$2/disk" && echo "$2/disk" >>"$scratch/disks" ;;
    seed) (cd "$2" && printf '7\n0\nseed.csv\n' | "$linux/seedacc" >/dev/null && $3 seed.csv >rec.csv &&
      rm seed.csv && echo old | $3 >spectrum.csv && echo old | $3 >matched.csv) ;;
  esac
}

# row PROGRAM PREPARE ANSWERS ARGUMENTS REASON: one run on each platform;
# the Windows answers end their lines in CR LF.
row() {
  [ -f "$win/$1.exe" ] || { echo "note: $1.exe not built: $5"; return; }
  [ "$2" != disk ] || [ "$(id -u)" -eq 0 ] || { echo "note: a small tmpfs needs root: $5"; return; }
  case=$((case + 1))
  for side in linux windows; do
    dir=$scratch/$case/$side
    if [ $side = linux ]; then program="$linux/$1" convert=cat; else program="$WINE $win/$1.exe" convert=crlf; fi
    prepare "$2" "$dir/run" $convert || { echo "note: no folder $2 here: $5"; return; }
    # The subshell's own notice of an abort is not part of the run.
    (cd "$dir/run" && printf '%b' "$3" | $convert | $program $4 >../out 2>../err) 2>/dev/null
    ending $? >"$dir/ending"
  done
  lin=$scratch/$case/linux windows=$scratch/$case/windows
  cmp -s "$lin/ending" "$windows/ending" || fail "$5: ended $(cat "$windows/ending"), on Linux $(cat "$lin/ending")"
  (cd "$lin/run" && ls -A) >"$lin/names" && (cd "$windows/run" && ls -A) >"$windows/names"
  cmp -s "$lin/names" "$windows/names" || fail "$5: left $(echo $(cat "$windows/names")), on Linux $(echo $(cat "$lin/names"))"
  for name in ../out ../err $(cat "$lin/names"); do
    [ -d "$lin/run/$name" ] || crlf "$lin/run/$name" | cmp -s - "$windows/run/$name" ||
      fail "$5: $name is not the Linux one in CR LF: $(head -c 160 "$windows/run/$name")"
  done
  # A full disk stops each platform at a record of its own: the Windows
  # file must be the start of the worked example's record, ending at a line.
  [ "$2" = disk ] || return 0
  part=$windows/run/disk/out.csv
  crlf "$scratch/1/linux/run/out.csv" | head -c "$(wc -c <"$part")" | cmp -s - "$part" &&
    [ "$(tail -c 2 "$part" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "$5: disk/out.csv is not whole records"
}

# interrupt REASON: CTRL+C typed at a console (a pseudo-terminal run by
# script) while the seed is awaited; the prompt is awaited 30 s at most.
interrupt() {
  case=$((case + 1))
  dir=$scratch/$case
  mkdir -p "$dir/run" && mkfifo "$dir/keys"
  (cd "$dir/run" && script -qec "$WINE '$win/seedacc.exe'; echo status=\$?" /dev/null <"$dir/keys" >"$dir/console" 2>&1) &
  exec 9>"$dir/keys"
  tries=0
  until grep -q 'Random Number' "$dir/console" || [ $tries -ge 300 ]; do sleep 0.1; tries=$((tries + 1)); done
  printf '\003' >&9 && exec 9>&- && wait
  # The console's cursor controls and line ends are taken out, and the
  # terminal's own echo of the key ("^C"), which it gives when the key
  # arrives before wine has put the console in raw mode (seen on a loaded
  # machine): the program's answer is the same either way.
  perl -pe 's/\e\[[0-9;?]*[A-Za-z]//g; s/\r//g; s/\^C//g' "$dir/console" | tr '\n' '|' >"$dir/text"
  grep -q '|Interrupt|status=1|$' "$dir/text" || fail "$1: $(cat "$dir/text")"
  [ -z "$(ls -A "$dir/run")" ] || fail "$1: a file was left"
}

case=0
while IFS='|' read -r program preparation answers arguments reason; do
  set -- $program $preparation
  answers=$(printf '%s' "$answers" | sed 's/^ *//; s/ *$//; s/^-$//')
  case $1 in
    interrupt) interrupt "$reason" ;;
    *) row "$1" "$2" "$answers" "$arguments" "${reason# }" ;;
  esac
done <<'EOF'
seedacc       | -      | 7\n0\nout.csv\n      | | the worked example: dialogue and record
seedacc       | -      | 1\n0\nout.csv\n      | | golden seed 1
seedacc       | -      | 999\n0\nout.csv\n    | | golden seed 999
seedacc       | -      | 0\n0\nout.csv\n      | | golden seed 0, which the generator replaces
seedacc       | -      | 500\n0\nout.csv\n    | | golden seed 500
seedacc       | -      | 7\n1\n4 35 80 100\nout.csv\n | | golden corner times, te below the last sample
seedacc       | -      | 42\n1\n10,,,90\nout.csv\n | | golden null values keep tc and td
seedacc       | -      | 123\n1\n0 0 0 163.84\nout.csv\n | | golden tb <= 0
seedacc       | long   | 7\n0\nout.csv\n      | | a longer file is cut after the last record, counted in CR LF bytes
seedacc       | -      | abc\n                | | an answer that is no number: the four-line report and an abort
seedacc       | -      | 1.0\n                | | a real number for the seed
seedacc       | -      | -                    | | end of input at the first prompt
seedacc       | -      | 7                    | | end of input right after the seed
seedacc       | -      | 7\n0\n''\n           | | a blank file name: the report, no file
seedacc       | -      | 7\n0\n'nowhere/out.csv'\n | | a file in a missing folder
seedacc       | folder | 7\n0\nout.csv\n      | | a folder's name is refused as on Linux
seedacc       | disk   | 7\n0\n'disk/out.csv'\n | | a full disk: the write failure reported, the file cut after its last whole record
interrupt     | -      | -                    | | CTRL+C at the console: Interrupt, status 1, no file
seedacc-check | seed   | -                    | rec.csv --csv spectrum.csv --svg picture.svg | the check's worked example over an older spectrum file
seedacc-match | seed   | -                    | rec.csv matched.csv | one match of the worked example's seed over an older file
seedacc-check | seed   | -                    | rec.csv --target jp-l1:ground=2 --csv spectrum.csv | the check to another target, named in the report and the table
seedacc-match | seed   | -                    | rec.csv matched.csv --max-iterations 1 | a criterion not met ends with status 4 on both, never 3 (an abort on Windows)
EOF

[ $failures -eq 0 ] || die "$failures failure(s)"
echo "windows: all $case cases passed"

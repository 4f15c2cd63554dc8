#!/bin/sh
# readme_blocks.sh README BUILD_DIR: every fenced block of README that
# follows a line
#   <!-- output of: COMMAND -->
# must be exactly what COMMAND writes on standard output. Each command runs
# by sh in a fresh empty folder in which `build` leads to BUILD_DIR, so the
# README's own paths (build/seedacc, build/seedacc-check) work as written.
# Fails on the first README block that differs, or when no marker is found.
set -u

fail() { echo "readme_blocks: $*" >&2; exit 1; }
[ $# -eq 2 ] || fail "usage: sh readme_blocks.sh README BUILD_DIR"
readme=$1
build=$(cd "$2" && pwd) || fail "no build folder $2"
scratch=$(mktemp -d) || fail "no temporary folder"
trap 'rm -rf "$scratch"' EXIT

# Split README into scratch/N.command and scratch/N.expected, one pair per
# marker; a marker not followed at once by a fence is an error.
awk -v dir="$scratch" '
  state == 2 && /^```/ { state = 0; close(out); next }
  state == 2 { print > out; next }
  state == 1 {
    if ($0 !~ /^```/) { print "line " NR ": no fenced block after the marker" > "/dev/stderr"; exit 1 }
    state = 2; out = dir "/" count ".expected"; printf "" > out; next
  }
  /^<!-- output of: .* -->$/ {
    count++; command = $0
    sub(/^<!-- output of: /, "", command); sub(/ -->$/, "", command)
    print command > (dir "/" count ".command"); close(dir "/" count ".command")
    state = 1
  }
  END { if (state != 0) { print "unterminated block at the end" > "/dev/stderr"; exit 1 } }
' "$readme" || fail "$readme: malformed output block"

count=0
for command_file in "$scratch"/*.command; do
  [ -e "$command_file" ] || fail "$readme has no '<!-- output of: ... -->' block"
  count=$((count + 1))
  number=$(basename "$command_file" .command)
  work="$scratch/run$number"
  mkdir "$work" && ln -s "$build" "$work/build" || fail "cannot prepare $work"
  command=$(cat "$command_file")
  (cd "$work" && sh -c "$command" </dev/null >"$scratch/$number.actual" 2>"$scratch/$number.stderr")
  status=$?
  [ "$status" -eq 0 ] || fail "'$command' exited with status $status: $(head -c 300 "$scratch/$number.stderr")"
  diff -u "$scratch/$number.expected" "$scratch/$number.actual" >&2 \
    || fail "the README block after '<!-- output of: $command -->' is not the command's output (diff above: - README, + command)"
done
echo "readme_blocks: $count blocks equal their commands' output"

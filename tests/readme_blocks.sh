#!/bin/sh
# readme_blocks.sh README BUILD_DIR: every block of README fenced as
# ```console (indented or not) is a transcript, and must be what its commands write: each
# line that begins with "$ " is a command, the lines up to the next command
# are its standard output. The commands of a block run in order, by sh, in
# a fresh empty folder of their own in which `build` and `build-run` lead
# to BUILD_DIR, so the README's paths (build/seedacc, build-run/seedacc and
# the same for seedacc-check) work as written.
# Every command must end with status 0. Fails on the first block that
# differs, or when README has no such block.
set -u

fail() { echo "readme_blocks: $*" >&2; exit 1; }
[ $# -eq 2 ] || fail "usage: sh readme_blocks.sh README BUILD_DIR"
readme=$1
build=$(cd "$2" && pwd) || fail "no build folder $2"
scratch=$(mktemp -d) || fail "no temporary folder"
trap 'rm -rf "$scratch"' EXIT

# scratch/N.expected: block N as written; scratch/N.commands: its commands.
awk -v dir="$scratch" '
  inside && /^[ \t]*```/ { inside = 0; close(expected); close(commands); next }
  inside {
    line = $0
    if (substr(line, 1, indent) == margin) line = substr(line, indent + 1)
    print line > expected
    if (substr(line, 1, 2) == "$ ") print substr(line, 3) > commands
    next
  }
  /^[ \t]*```console[ \t]*$/ {
    count++; inside = 1
    margin = $0; sub(/```.*/, "", margin); indent = length(margin)
    expected = dir "/" count ".expected"; commands = dir "/" count ".commands"
    printf "" > expected; printf "" > commands
  }
  END { if (inside) { print "a console block is not closed" > "/dev/stderr"; exit 1 } }
' "$readme" || fail "$readme: malformed console block"

count=0
for expected in "$scratch"/*.expected; do
  [ -e "$expected" ] || fail "$readme has no console block"
  count=$((count + 1))
  number=$(basename "$expected" .expected)
  work="$scratch/run$number"
  actual="$scratch/$number.actual"
  mkdir "$work" && ln -s "$build" "$work/build" && ln -s "$build" "$work/build-run" || fail "cannot prepare $work"
  : >"$actual"
  while IFS= read -r command; do
    printf '$ %s\n' "$command" >>"$actual"
    (cd "$work" && sh -c "$command" </dev/null >>"$actual" 2>"$scratch/stderr")
    status=$?
    [ "$status" -eq 0 ] || fail "'$command' exited with status $status: $(head -c 300 "$scratch/stderr")"
  done <"$scratch/$number.commands"
  diff -u "$expected" "$actual" >&2 \
    || fail "console block $number of $readme is not its commands' output (diff above: - README, + commands)"
done
echo "readme_blocks: $count console blocks equal their commands' output"

#!/bin/sh
# readme_blocks.sh README BUILD_DIR: every ```console block of README
# (indented or not) is a transcript: a line "$ COMMAND" is run by sh, and the
# lines up to the next command are its standard output. A block's commands
# run in order in a fresh folder where `build` and `build-run` lead to
# BUILD_DIR, so the README's paths work as written; each must exit with 0.
set -u
fail() { echo "readme_blocks: $*" >&2; exit 1; }
[ $# -eq 2 ] && build=$(cd "$2" && pwd) || fail "usage: sh readme_blocks.sh README BUILD_DIR"
scratch=$(mktemp -d) && trap 'rm -rf "$scratch"' EXIT || fail "no temporary folder"

# Block N as written goes to scratch/N.expected, its commands to N.commands.
awk -v dir="$scratch" '
  inside && /^[ \t]*```/ { inside = 0; next }
  inside {
    if (substr($0, 1, indent) == margin) $0 = substr($0, indent + 1)
    print > (dir "/" n ".expected")
    if (substr($0, 1, 2) == "$ ") print substr($0, 3) > (dir "/" n ".commands")
    next
  }
  /^[ \t]*```console[ \t]*$/ { n++; inside = 1; margin = $0; sub(/```.*/, "", margin); indent = length(margin) }
' "$1"

for expected in "$scratch"/*.expected; do
  [ -e "$expected" ] || fail "$1 has no console block"
  block=${expected%.expected}
  mkdir "$block.run" && ln -s "$build" "$block.run/build" && ln -s "$build" "$block.run/build-run"
  while IFS= read -r command; do
    printf '$ %s\n' "$command"
    (cd "$block.run" && sh -c "$command" </dev/null 2>"$block.stderr") || fail "'$command' failed: $(cat "$block.stderr")"
  done <"$block.commands" >"$block.actual"
  diff -u "$expected" "$block.actual" >&2 || fail "a console block of $1 differs from its commands' output (- README, + commands)"
done
echo "readme_blocks: every console block of $1 is its commands' output"

#!/bin/sh
# merge_corpus.sh BUILD_DIR: adds to tests/fuzz/corpus the inputs of
# BUILD_DIR/new-corpus (and any extra folders given after it) that reach
# code the corpus does not reach yet, at most 512 bytes each. The files
# already in the corpus stay as they are.
set -eu
build=${1:-build-fuzz}
shift || true
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
"$top/$build/fuzz_answers" -merge=1 -max_len=512 "$here/corpus" "$top/$build/new-corpus" "$@"
echo "corpus: $(ls "$here/corpus" | wc -l) files, $(du -sk "$here/corpus" | cut -f1) KB"

#!/bin/sh
# run_fuzz.sh BUILD_DIR SECONDS [TARGET]: builds the libFuzzer target TARGET
# (fuzz_answers, the default, or fuzz_record) with clang in BUILD_DIR and
# runs it for SECONDS seconds, one worker, over its committed corpus
# (tests/fuzz/corpus, or tests/fuzz/record-corpus). Inputs that reach new
# code go to BUILD_DIR/new-corpus (or new-record-corpus; the committed
# corpus is only read); crashes, hangs and leaks go to BUILD_DIR/artifacts.
# Merge new answer inputs in with tests/fuzz/merge_corpus.sh.
set -eu

build=${1:-build-fuzz}
seconds=${2:-60}
target=${3:-fuzz_answers}
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)

# clang and its fuzzer run-time (the Debian packages of the set "fuzz"),
# then a trivial fuzz target as proof that they work.
sh "$top/tools/install-deps.sh" fuzz </dev/null
probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT
printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
  > "$probe_dir/probe.cc"
clang++ -fsanitize=fuzzer "$probe_dir/probe.cc" -o "$probe_dir/probe" >/dev/null 2>&1 \
  || { echo "run_fuzz: clang++ cannot build a fuzz target" >&2; exit 1; }

# Coverage instrumentation and the sanitizers for the whole I/O layer; only
# the target itself links libFuzzer (CMake adds -fsanitize=fuzzer to it).
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S "$top" -B "$top/$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DSEEDACC_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build "$top/$build" --target "$target" -j 2

# -max_len: a dialogue's answers are a few short lines, and longer inputs
# only repeat what short ones reach; a record's headers and a few lines of
# numbers fit in 4096 bytes. -timeout 10: a reader that loops on such an
# input for ten seconds is hanging.
if [ "$target" = fuzz_record ]; then
  corpus=record-corpus new=new-record-corpus max_len=4096 dict=
else
  corpus=corpus new=new-corpus max_len=512 dict="-dict=$here/answers.dict"
fi
mkdir -p "$top/$build/$new" "$top/$build/artifacts"
cd "$top/$build"
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "./$target" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
  -max_total_time="$seconds" -print_final_stats=1 \
  $dict -artifact_prefix="$top/$build/artifacts/" \
  "$new" "$here/$corpus"

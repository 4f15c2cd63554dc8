#!/bin/sh
# install-deps.sh SET...: makes sure the Debian packages that each SET needs
# are installed, and installs the missing ones with apt-get (directly as
# root, through `sudo -n` otherwise). Prints nothing when nothing is
# missing; otherwise one line naming what it installs, with apt-get's
# output kept in a log that is shown only when apt-get fails. When it
# cannot install, it stops with status 1 and one line giving the command
# to run by hand.
#
# Sets:
#   run      the compiler, CMake and make: enough for `make run`
#   test     run + GoogleTest and the tools the tests call (xmllint,
#            chattr, setpriv, mount, valgrind, and Chromium with pdftotext
#            and pdfinfo for the printed page): `make test`, `make sanitize`
#   bench    run + Google Benchmark: `make bench`
#   fuzz     run + clang and its fuzzer and sanitizer run-times: `make fuzz`
#   windows  the MinGW-w64 cross compiler and wine: the Windows build
set -eu

packages_of() {
  case $1 in
    run) echo "g++ cmake make" ;;
    test) echo "g++ cmake make libgtest-dev libgmock-dev libxml2-utils e2fsprogs util-linux mount valgrind chromium poppler-utils" ;;
    bench) echo "g++ cmake make libbenchmark-dev" ;;
    fuzz) echo "cmake make clang libclang-rt-dev" ;;
    windows) echo "g++-mingw-w64-x86-64-posix wine64 cmake make" ;;
    *) return 1 ;;
  esac
}

say() { echo "install-deps: $*" >&2; }

[ $# -gt 0 ] || { say "usage: install-deps.sh SET... (run, test, bench, fuzz, windows)"; exit 2; }
wanted=""
for set_name in "$@"; do
  list=$(packages_of "$set_name") || { say "unknown set '$set_name' (run, test, bench, fuzz, windows)"; exit 2; }
  wanted="$wanted $list"
done

# Without dpkg this is not a Debian system: the build then finds the tools
# or says which one it lacks.
if ! command -v dpkg-query >/dev/null 2>&1; then
  say "not a Debian system; make sure these are installed:$wanted"
  exit 0
fi

missing=""
for package in $wanted; do
  case " $missing " in *" $package "*) continue ;; esac
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null) || status=""
  [ "$status" = "install ok installed" ] || missing="$missing $package"
done
[ -n "$missing" ] || exit 0
missing=${missing# }

if [ "$(id -u)" -eq 0 ]; then
  as_root=""
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  as_root="sudo -n"
else
  say "missing packages; install them as root with: sudo apt-get install $missing"
  exit 1
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
say "installing $missing"
apt() { $as_root env DEBIAN_FRONTEND=noninteractive apt-get -q "$@"; }
if ! { apt update && apt install -y --no-install-recommends $missing; } </dev/null >"$log" 2>&1; then
  cat "$log" >&2
  say "apt-get failed (above); install the packages with: sudo apt-get install $missing"
  exit 1
fi

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up a Debian machine for Quillsift, builds it, and then starts it or runs every test.
#   scripts/setup.sh run    build and start Quillsift
#   scripts/setup.sh test   build and run all tests through CTest
# QUILLSIFT_PRESET picks the CMake preset (default, debug or sanitize); default: default.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
action=${1:-}
preset=${QUILLSIFT_PRESET:-default}

case "$action" in
run | test) ;;
*)
    echo "usage: scripts/setup.sh run|test" >&2
    exit 2
    ;;
esac

mapfile -t packages < <(grep -v -e '^#' -e '^[[:space:]]*$' "$root/scripts/debian-packages.txt")
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if ((${#missing[@]})); then
    if [ "$(id -u)" -eq 0 ]; then
        export DEBIAN_FRONTEND=noninteractive
        apt-get -o DPkg::Lock::Timeout=600 update -q
        apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
    else
        echo "Quillsift needs these Debian packages; install them, then run this again:"
        echo "sudo apt-get install -y ${missing[*]}"
        exit 1
    fi
fi

cd "$root"
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(nproc)"

if [ "$action" = run ]; then
    exec "build/$preset/bin/quillsift"
fi

if [ "$preset" = sanitize ]; then
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1}
    export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fi
ctest --preset "$preset" -j "$(nproc)"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up a Debian machine for Quillsift, builds it, and then starts it, runs every test, or makes
# the Debian package.
#   scripts/setup.sh run      build and start Quillsift
#   scripts/setup.sh test     build and run all tests through CTest
#   scripts/setup.sh package  build the package preset and make build/package/quillsift_<version>_<arch>.deb
#                             (with the tools of scripts/debian-packages-package.txt as well)
#   scripts/setup.sh install  make that package and install it with apt-get
# QUILLSIFT_PRESET picks the CMake preset of run and test (default, debug or sanitize); default: default.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
action=${1:-}
preset=${QUILLSIFT_PRESET:-default}

case "$action" in
run | test) ;;
package | install) preset=package ;;
*)
    echo "usage: scripts/setup.sh run|test|package|install" >&2
    exit 2
    ;;
esac

lists=("$root/scripts/debian-packages.txt")
if [ "$action" = package ] || [ "$action" = install ]; then
    lists+=("$root/scripts/debian-packages-package.txt")
fi
mapfile -t packages < <(cat "${lists[@]}" | grep -v -e '^#' -e '^[[:space:]]*$')
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
if [ "$action" = package ] || [ "$action" = install ]; then
    rm -f build/package/quillsift_*.deb
    cpack --preset package
    deb=$(echo build/package/quillsift_*.deb)
    if [ "$action" = install ]; then
        if [ "$(id -u)" -eq 0 ]; then
            DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q "./$deb"
        else
            echo "Install the package with:"
            echo "sudo apt-get install ./$deb"
        fi
    fi
    exit 0
fi

if [ "$preset" = sanitize ]; then
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1}
    export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fi
ctest --preset "$preset" -j "$(nproc)"

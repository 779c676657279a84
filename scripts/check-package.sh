#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian package that `scripts/setup.sh package` made and checks it the way a user
# meets it: lintian has no errors, both programs run from /usr/bin with the package's version, the
# command line cleans a document, the window lists the file it is started with, and the installed
# menu entry and metainfo validate. Run as root on a machine it may install packages on.
#   scripts/check-package.sh [build/package/quillsift_<version>_<arch>.deb]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if (($# > 1)); then
    echo "usage: scripts/check-package.sh [PACKAGE.deb]" >&2
    exit 2
fi
if (($# == 1)); then
    deb=$1
else
    shopt -s nullglob
    debs=("$root"/build/package/quillsift_*.deb)
    if ((${#debs[@]} != 1)); then
        echo "check-package: expected one build/package/quillsift_*.deb, found ${#debs[@]}" >&2
        exit 1
    fi
    deb=${debs[0]}
fi
deb=$(realpath "$deb")
version=$(dpkg-deb --field "$deb" Version)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

step() { printf '\n== %s\n' "$*"; }
fail() {
    echo "check-package: $*" >&2
    exit 1
}

step "lintian $(basename "$deb")"
lintian --fail-on error --display-info "$deb"

step "apt-get install $(basename "$deb")"
export DEBIAN_FRONTEND=noninteractive
# --reinstall: a package of the same version installed before is replaced by this one.
apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends --reinstall "$deb"
dpkg -L quillsift

step "versions"
[ "$(/usr/bin/quillsift-cli --version)" = "quillsift-cli $version" ] || fail "quillsift-cli --version is not $version"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/quillsift --version)" = "quillsift $version" ] ||
    fail "quillsift --version is not $version"

step "quillsift-cli cleans a document"
printf 'alpha\nbeta\nalpha\ngamma\nbeta\n' >"$work/notes.txt"
/usr/bin/quillsift-cli --lines --output "$work/out" "$work/notes.txt"
cleaned=$(cat "$work/out/notes.txt")
[ "$cleaned" = "$(printf 'alpha\nbeta\ngamma')" ] || fail "the cleaned copy reads: $cleaned"
cmp -s "$work/notes.txt" <(printf 'alpha\nbeta\nalpha\ngamma\nbeta\n') || fail "the source was changed"

step "quillsift lists the file it is started with"
listed=$(cd "$work" && QT_QPA_PLATFORM=offscreen timeout 60 /usr/bin/quillsift --print-list notes.txt)
[ "$listed" = "$work/notes.txt" ] || fail "the window listed: $listed"

step "the installed menu entry and metainfo validate"
desktop-file-validate /usr/share/applications/quillsift.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.quillsift.Quillsift.metainfo.xml
for page in quillsift quillsift-cli; do
    [ -s "/usr/share/man/man1/$page.1.gz" ] || fail "no manual page for $page"
done

step "the package checks passed"

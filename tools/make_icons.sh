#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the application icon, resources/icons/quillsift.svg, into the PNG sizes the hicolor
# theme installs (resources/icons/png/quillsift-N.png). Needs rsvg-convert (librsvg2-bin). Run it
# after changing the drawing and commit the PNGs with it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../resources/icons"
mkdir -p png
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" quillsift.svg --output "png/quillsift-$size.png"
done

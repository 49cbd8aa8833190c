#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes drag.ico, the pointer shown while an entry of the file list is
# dragged up or down: a small list entry with arrows above and below.
# Needs ImageMagick.
set -euo pipefail
out="${1:-$(dirname "$0")/../src/gui/filelist/drag.ico}"
convert -size 32x32 xc:none \
  -fill white -stroke black -strokewidth 1 \
  -draw "polygon 16,1 24,9 19,9 19,12 13,12 13,9 8,9" \
  -draw "polygon 16,31 24,23 19,23 19,20 13,20 13,23 8,23" \
  -fill '#2f6fd6' -draw "rectangle 3,13 28,19" \
  -stroke none -fill white -draw "rectangle 6,15 22,17" \
  "$out"

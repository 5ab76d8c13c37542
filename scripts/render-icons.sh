#!/usr/bin/env bash
# Renders the Windows icon files from the one artwork, data/icons/quillet.svg:
#   quillet.ico       the program's icon (resource group 101)
#   quillet-hot.ico   the same artwork on a brighter tile, shown under the mouse (group 102)
# The .ico files are kept in the repository so that a Windows build needs no SVG renderer; run
# this again after changing the artwork. Needs rsvg-convert (librsvg2-bin) and icotool (icoutils).
set -euo pipefail
icons="$(cd "$(dirname "$0")/.." && pwd)/data/icons"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

render() {  # render SVG ICO
  local sizes=(16 24 32 48 256) pngs=() size
  for size in "${sizes[@]}"; do
    rsvg-convert -w "$size" -h "$size" "$1" -o "$work/$size.png"
    pngs+=("$work/$size.png")
  done
  # The 256-pixel image is stored as PNG inside the icon, the small ones as bitmaps.
  icotool -c -o "$2" "${pngs[@]:0:4}" -r "${pngs[4]}"
}

render "$icons/quillet.svg" "$icons/quillet.ico"
sed -e 's/#2f7fc1/#5aa8e6/' -e 's/#1b4f8a/#2f7fc1/' "$icons/quillet.svg" >"$work/hot.svg"
render "$work/hot.svg" "$icons/quillet-hot.ico"

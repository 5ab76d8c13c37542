#!/usr/bin/env bash
# Takes the screenshot that Quillet's AppStream data shows, data/screenshot-main.png: the real
# main window of the build in $BUILD_DIR (default build) with the sample list, on a virtual
# screen (Xvfb) and with settings of its own in a temporary folder. Run it again when the window
# changes. Needs xvfb-run, xwininfo (x11-utils) and import (imagemagick).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
program="$here/${BUILD_DIR:-build}/quillet"
scratch=$(mktemp -d /tmp/quillet-screenshot.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/config" "$scratch/data" "$scratch/runtime" && chmod 700 "$scratch/runtime"

cat >"$scratch/shoot.sh" <<SHOOT
#!/bin/sh
"$program" &
sleep 6
window=\$(xwininfo -root -tree | awk '/\("quillet" "Quillet"\)/ { print \$1; exit }')
import -window "\$window" -strip "$here/data/screenshot-main.png"
kill \$!
SHOOT
chmod +x "$scratch/shoot.sh"
XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch/runtime" \
  GSETTINGS_BACKEND=memory xvfb-run -a -s "-screen 0 1280x800x24" "$scratch/shoot.sh"
echo "data/screenshot-main.png: $(file -b "$here/data/screenshot-main.png")"

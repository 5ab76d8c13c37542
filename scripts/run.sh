#!/usr/bin/env bash
# Starts the program that `make build` made. Without a display it says how to start it.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
program="$here/${BUILD_DIR:-build}/quillet"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
Quillet is built ($program), but this session has no display.
Start it from a desktop session, or on a machine without a screen with:
  xvfb-run -a make run
MSG
  exit 2
fi
exec "$program" "$@"

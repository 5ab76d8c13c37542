#!/usr/bin/env bash
# Installs the Debian packages that building, running or testing Quillet needs, only those
# that are missing. As root it runs apt-get; otherwise it prints the one command to run.
#   scripts/install-deps.sh run    what building and starting the program needs
#   scripts/install-deps.sh test   that, plus what the test suite needs
set -euo pipefail

run_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libglib2.0-dev gsettings-desktop-schemas
  libcurl4-openssl-dev libmicrohttpd-dev libcli11-dev nlohmann-json3-dev libmaxminddb-dev
  help2man librsvg2-bin python3-markdown
)
test_packages=(
  googletest libgtest-dev
  tinyproxy squid microsocks dante-server iproute2 chromium firefox-esr libkf5config-bin
  xvfb xauth trayer xdotool libglib2.0-bin dbus-daemon libmaxmind-db-writer-perl
  g++-mingw-w64-x86-64-posix wine64 python3
  clang libclang-rt-14-dev ccache
  desktop-file-utils appstream lintian file init-system-helpers
)

packages=("${run_packages[@]}")
if [ "${1:-run}" = "test" ]; then packages+=("${test_packages[@]}"); fi
if [ -n "${QUILLET_EXTRA_PACKAGES:-}" ]; then read -r -a extra <<<"$QUILLET_EXTRA_PACKAGES"; packages+=("${extra[@]}"); fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Quillet needs these packages first. Please run:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# Proxy servers are started by the tests themselves, each with its own configuration.
for service in tinyproxy squid; do
  if command -v service >/dev/null && pgrep -x "$service" >/dev/null; then service "$service" stop || true; fi
done
